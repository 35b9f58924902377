#pragma once
// A test with a private folder that checks, at its end, that nothing appeared in the folders an
// escaping entry name could reach: the system temp folder and its parent, C:\ and the working folder.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "archive_makers.h"
#include "test_support.h"

class Sandboxed : public ::testing::Test {
 protected:
  void SetUp() override { before_ = Surroundings(); }
  void TearDown() override { EXPECT_EQ(Surroundings(), before_) << "an entry escaped its destination"; }

  // Writes bytes as name inside the private folder and returns the path.
  std::string Put(const std::string& name, const makers::Bytes& bytes) {
    const std::string path = box / name;
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  std::string Folder(const std::string& name) {
    const std::string path = box / name;
    testing_support::MakeFolder(path);
    return path;
  }

  testing_support::TempFolder box;

 private:
  static std::set<std::string> Surroundings();
  std::set<std::string> before_;
};

// The folder of the running test program.
std::string ProgramFolder();
