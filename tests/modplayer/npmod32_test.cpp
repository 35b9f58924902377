#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "npmod32.h"

#include <tlhelp32.h>
#include "test_support.h"

namespace {

using testing_support::TempFolder;

const char kParams[] = "bgcolor|#000000|hidden|false|Title|MOD|width|25|height|25|loop|true";

std::string WorkingFolder() {
  char path[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return std::string(path, length);
}

// Runs the test with another current folder, and restores the old one.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : old_(WorkingFolder()) { SetCurrentDirectoryA(folder.c_str()); }
  ~InFolder() { SetCurrentDirectoryA(old_.c_str()); }

 private:
  std::string old_;
};

// The tune lies beside the test program, in its working folder.
std::vector<std::uint8_t> Tune() { return testing_support::ReadBytes(WorkingFolder() + "\\credits.mod"); }

// A module of one pattern that breaks off after four rows at speed 1: over in a tenth of a second.
std::vector<std::uint8_t> ShortModule() {
  std::vector<std::uint8_t> bytes(1084 + 1024, 0);
  for (int i = 0; i < 31; ++i) bytes[20 + i * 30 + 29] = 1;  // repeat length 1 word: no loop
  bytes[950] = 1;                                            // song length
  bytes[1080] = 'M', bytes[1081] = '.', bytes[1082] = 'K', bytes[1083] = '.';
  bytes[1084 + 2] = 0x0F, bytes[1084 + 3] = 1;  // row 0: speed 1
  bytes[1084 + 3 * 16 + 2] = 0x0D;              // row 3: pattern break
  return bytes;
}

template <typename Action>
double Seconds(Action action) {
  auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(Npmod32, ExportsTheEntryPointsByPlainNameAndItsVersion) {
  HMODULE library = GetModuleHandleA("npmod32.dll");
  ASSERT_NE(library, nullptr);
  for (const char* name : {"ModPlug_CreateEx", "ModPlug_SetWindow", "ModPlug_Load", "ModPlug_IsReady", "ModPlug_Play",
                           "ModPlug_Stop", "ModPlug_Destroy", "ModPlug_GetVersion"}) {
    EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
  }
  EXPECT_EQ(GetProcAddress(library, "ModPlug_CreateEx@4"), nullptr);
  EXPECT_EQ(ModPlug_GetVersion(), 0x00010000);
}

TEST(Npmod32, EachInstanceGetsItsOwnHandle) {
  ModPlugHandle a = ModPlug_CreateEx(kParams);
  ModPlugHandle b = ModPlug_CreateEx(nullptr);
  ModPlugHandle c = ModPlug_CreateEx("");
  EXPECT_NE(a, 0u);
  EXPECT_NE(b, 0u);
  EXPECT_NE(c, 0u);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_NE(a, c);
  EXPECT_FALSE(ModPlug_IsReady(a));  // nothing loaded yet
  EXPECT_TRUE(ModPlug_Destroy(a));
  EXPECT_TRUE(ModPlug_Destroy(b));
  EXPECT_TRUE(ModPlug_Destroy(c));
  // A destroyed handle is not given out again.
  ModPlugHandle d = ModPlug_CreateEx(kParams);
  EXPECT_NE(d, a);
  EXPECT_NE(d, b);
  EXPECT_NE(d, c);
  ModPlug_Destroy(d);
}

TEST(Npmod32, UnknownHandlesAreNeverReady) {
  ModPlugHandle live = ModPlug_CreateEx(kParams);
  ModPlugHandle gone = ModPlug_CreateEx(kParams);
  ModPlug_Destroy(gone);
  for (ModPlugHandle h : {ModPlugHandle{0}, gone, live + 1000, ModPlugHandle{0xFFFFFFFF}}) {
    EXPECT_FALSE(ModPlug_IsReady(h)) << h;
    EXPECT_FALSE(ModPlug_Load(h, "credits.mod")) << h;
    EXPECT_FALSE(ModPlug_IsReady(h)) << h;
    EXPECT_FALSE(ModPlug_SetWindow(h, nullptr)) << h;
    EXPECT_FALSE(ModPlug_Play(h)) << h;
    EXPECT_FALSE(ModPlug_Stop(h)) << h;
    EXPECT_FALSE(ModPlug_Destroy(h)) << h;
  }
  ModPlug_Destroy(live);
}

TEST(Npmod32, LoadsRelativeToTheCurrentFolder) {
  TempFolder folder;
  testing_support::WriteBytes(folder / "credits.mod", Tune());
  testing_support::MakeFolder(folder / "sub");
  testing_support::WriteBytes(folder / "sub\\tune.mod", Tune());
  ModPlugHandle h = ModPlug_CreateEx(kParams);
  {
    InFolder in(folder.path());
    EXPECT_TRUE(ModPlug_Load(h, "credits.mod"));
    EXPECT_TRUE(ModPlug_IsReady(h));
    EXPECT_TRUE(ModPlug_Load(h, "sub\\tune.mod"));
    EXPECT_TRUE(ModPlug_IsReady(h));
    EXPECT_FALSE(ModPlug_Load(h, "tune.mod"));
    EXPECT_FALSE(ModPlug_IsReady(h));
  }
  EXPECT_TRUE(ModPlug_Load(h, (folder / "credits.mod").c_str()));
  EXPECT_TRUE(ModPlug_IsReady(h));
  ModPlug_Destroy(h);
}

TEST(Npmod32, MissingEmptyOrForeignFilesAreNotReady) {
  TempFolder folder;
  testing_support::WriteText(folder / "empty.mod", "");
  testing_support::WriteText(folder / "text.mod", "This is not a tracker module at all.\r\n");
  std::vector<std::uint8_t> cut = Tune();
  cut.resize(600);  // ends inside the sample headers
  testing_support::WriteBytes(folder / "cut.mod", cut);
  ModPlugHandle h = ModPlug_CreateEx(kParams);
  for (const char* name : {"missing.mod", "empty.mod", "text.mod", "cut.mod", ""}) {
    testing_support::WriteBytes(folder / "credits.mod", Tune());
    ASSERT_TRUE(ModPlug_Load(h, (folder / "credits.mod").c_str()));
    // A failed load leaves nothing loaded, not the previous tune.
    EXPECT_FALSE(ModPlug_Load(h, (folder / name).c_str())) << name;
    EXPECT_FALSE(ModPlug_IsReady(h)) << name;
    EXPECT_FALSE(ModPlug_Play(h)) << name;
  }
  EXPECT_FALSE(ModPlug_Load(h, nullptr));
  EXPECT_FALSE(ModPlug_Load(h, ""));
  EXPECT_FALSE(ModPlug_Load(h, folder.path().c_str()));  // a folder
  ModPlug_Destroy(h);
}

TEST(Npmod32, PlaysStopsAndDestroysWithoutHanging) {
  ModPlugHandle h = ModPlug_CreateEx(kParams);
  ASSERT_TRUE(ModPlug_Load(h, "credits.mod"));
  double took = Seconds([&] {
    EXPECT_TRUE(ModPlug_Play(h));
    EXPECT_TRUE(ModPlug_Play(h));  // already playing
    Sleep(200);
    EXPECT_TRUE(ModPlug_Stop(h));
    EXPECT_TRUE(ModPlug_Stop(h));  // already stopped
    EXPECT_TRUE(ModPlug_IsReady(h));
    EXPECT_TRUE(ModPlug_Play(h));
    Sleep(100);
    // Loading while playing stops first.
    EXPECT_TRUE(ModPlug_Load(h, "credits.mod"));
    EXPECT_TRUE(ModPlug_Play(h));
    Sleep(100);
    EXPECT_TRUE(ModPlug_Destroy(h));
  });
  EXPECT_LT(took, 3.0);
  EXPECT_FALSE(ModPlug_IsReady(h));
}

TEST(Npmod32, SeveralInstancesPlayAtOnce) {
  std::vector<ModPlugHandle> handles;
  for (int i = 0; i < 3; ++i) {
    handles.push_back(ModPlug_CreateEx(kParams));
    ASSERT_TRUE(ModPlug_Load(handles.back(), "credits.mod"));
    ASSERT_TRUE(ModPlug_Play(handles.back()));
  }
  Sleep(150);
  double took = Seconds([&] {
    for (ModPlugHandle h : handles) EXPECT_TRUE(ModPlug_Destroy(h));
  });
  EXPECT_LT(took, 2.0);
}

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TEST(Npmod32, RepeatedUseLeavesNoThreadsOrHandlesBehind) {
  auto cycle = [] {
    ModPlugHandle h = ModPlug_CreateEx(kParams);
    ModPlug_Load(h, "credits.mod");
    ModPlug_Play(h);
    Sleep(20);
    ModPlug_Stop(h);
    ModPlug_Play(h);
    ModPlug_Destroy(h);
  };
  cycle();  // the sound system keeps threads of its own once opened
  Sleep(100);
  const int threads = ThreadsOfThisProcess();
  DWORD handles_before = 0, handles_after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles_before);
  for (int i = 0; i < 10; ++i) cycle();
  Sleep(100);
  GetProcessHandleCount(GetCurrentProcess(), &handles_after);
  // Some slack for the system's own worker threads; a leak would show ten times over.
  EXPECT_LE(ThreadsOfThisProcess(), threads + 2);
  EXPECT_LE(handles_after, handles_before + 4);
}

TEST(Npmod32, SongThatEndsCanBePlayedAgain) {
  TempFolder folder;
  testing_support::WriteBytes(folder / "short.mod", ShortModule());
  ModPlugHandle h = ModPlug_CreateEx("loop|false");
  ASSERT_TRUE(ModPlug_Load(h, (folder / "short.mod").c_str()));
  EXPECT_TRUE(ModPlug_Play(h));
  Sleep(500);  // long past its end
  EXPECT_TRUE(ModPlug_Play(h));
  EXPECT_LT(Seconds([&] { ModPlug_Stop(h); }), 1.0);
  EXPECT_TRUE(ModPlug_IsReady(h));
  ModPlug_Destroy(h);
}

// The level meter paints the bound window's background while the tune plays, unless hidden.
TEST(Npmod32, MeterPaintsAVisibleWindowUnlessHidden) {
  // One window for both runs, left to the end of the process: hiding a window costs Wine seconds here.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  auto paint_colour = [window](const char* params) {
    HDC dc = GetDC(window);
    RECT all{0, 0, 60, 20};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ModPlugHandle h = ModPlug_CreateEx(params);
    ModPlug_SetWindow(h, window);
    ModPlug_Load(h, "credits.mod");
    ModPlug_Play(h);
    Sleep(300);
    ModPlug_Destroy(h);
    COLORREF colour = GetPixel(dc, 59, 19);  // below the bars
    ReleaseDC(window, dc);
    return colour;
  };
  EXPECT_EQ(paint_colour("bgcolor|#123456|hidden|false"), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(paint_colour("bgcolor|#123456|hidden|true"), RGB(0xFF, 0xFF, 0xFF));
}

}  // namespace
