// Installed and started as the shortcut starts it, quennex finds its libraries and tune, shows its
// main window, and a run over the demo archives writes Files.BBS. Driven from outside, as a user would.
#include <algorithm>

#include "setup_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadText;
using testing_support::TempFolder;

// Polls until found returns a window, or about ten seconds pass.
template <typename Find>
HWND WaitFor(Find found) {
  for (int i = 0; i < 500; ++i) {
    if (HWND hwnd = found()) return hwnd;
    Sleep(20);
  }
  return nullptr;
}

struct ChildSearch {
  const char* className;
  std::string text;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ChildSearch*>(data);
  char cls[64] = {}, caption[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (lstrcmpiA(cls, search->className) == 0 && search->text == caption) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Any window below parent of that class and text.
HWND ChildWithText(HWND parent, const char* className, const std::string& text) {
  ChildSearch search{className, text, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The direct children of a class, top to bottom.
std::vector<HWND> ChildrenOfClass(HWND parent, const char* className) {
  std::vector<HWND> found;
  for (HWND child = FindWindowExA(parent, nullptr, className, nullptr); child;
       child = FindWindowExA(parent, child, className, nullptr)) {
    found.push_back(child);
  }
  std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return found;
}

// A top-level window of the given process, class and caption; other test programs show windows
// with the same captions at the same time.
struct TopSearch {
  DWORD process;
  const char* className;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<TopSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char cls[64] = {}, caption[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (owner == search->process && lstrcmpiA(cls, search->className) == 0 && lstrcmpA(caption, search->caption) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindProcessWindow(DWORD process, const char* className, const char* caption) {
  TopSearch search{process, className, caption, nullptr};
  EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Ends the started program whatever the test's outcome, so nothing outlives the test.
struct StartedProgram {
  PROCESS_INFORMATION info{};
  ~StartedProgram() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

TEST_F(Installer, InstalledQuennexRunsOverTheDemoArchives) {
  RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  const std::string folder = base.path() + kProgramSubfolder;
  ASSERT_TRUE(FileExists(folder + "\\quennex.exe"));
  const std::string demo = testing_support::SourceDir() + "\\demo";
  TempFolder target;

  // Started as the shortcut starts it: the program's folder is the working folder.
  STARTUPINFOA startup{sizeof startup};
  StartedProgram process;
  std::string command = "\"" + folder + "\\quennex.exe\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                             &process.info));
  const DWORD id = process.info.dwProcessId;
  HWND main = WaitFor([&] { return FindProcessWindow(id, "QuennexContainer", "Vellmark Quennick Extractor Beta 2"); });
  ASSERT_NE(main, nullptr) << "the main window did not come up: a library missing?";
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) ? main : nullptr; }));

  // The logo opens the credits window; closing it brings the main window back.
  HWND logo = nullptr;
  for (HWND child : ChildrenOfClass(main, "Static")) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) logo = child;
  }
  ASSERT_NE(logo, nullptr);
  PostMessageA(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  HWND credits = WaitFor([&] {
    HWND hwnd = FindProcessWindow(id, "QuennexContainer", "Vellmark Credits");
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
  });
  ASSERT_NE(credits, nullptr);
  PostMessageA(credits, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) ? main : nullptr; }));

  // Source and target, then Go; the report box is answered.
  const std::vector<HWND> edits = ChildrenOfClass(main, "Edit");
  ASSERT_EQ(edits.size(), 2u);
  SendMessageA(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(demo.c_str()));
  SendMessageA(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.path().c_str()));
  HWND filesBbs = ChildWithText(main, "Button", "Files.BBS");
  ASSERT_NE(filesBbs, nullptr);
  SendMessageA(filesBbs, BM_CLICK, 0, 0);  // the Go rule runs at every click of an output box
  SendMessageA(filesBbs, BM_CLICK, 0, 0);
  HWND go = ChildWithText(main, "Button", "Go");
  ASSERT_NE(go, nullptr);
  ASSERT_TRUE(IsWindowEnabled(go));
  PostMessageA(go, BM_CLICK, 0, 0);
  HWND report = WaitFor([&] { return FindProcessWindow(id, "#32770", "Vellmark Quennick Extractor"); });
  ASSERT_NE(report, nullptr) << "no report at the end of the run";
  PostMessageA(report, WM_COMMAND, IDOK, 0);

  ASSERT_TRUE(WaitFor([&] { return FileExists(target / "Files.BBS") ? HWND(1) : nullptr; }));
  const std::string bbs = ReadText(target / "Files.BBS");
  EXPECT_NE(bbs.find("FastMail Tosser 3.10 - Fido tosser"), std::string::npos) << bbs;
  EXPECT_NE(bbs.find("TETRIX.ZIP"), std::string::npos) << bbs;

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.info.hProcess, 10000), WAIT_OBJECT_0) << "the program did not end";
}

}  // namespace
