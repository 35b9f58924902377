#include <gtest/gtest.h>
#include "test_support.h"
TEST(Smoke, TempFolderRoundTrip) {
  testing_support::TempFolder folder;
  testing_support::WriteText(folder / "a.txt", "x\r\n");
  EXPECT_EQ(testing_support::ReadText(folder / "a.txt"), "x\r\n");
}
