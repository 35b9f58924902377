#include "setupU.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <exception>

#include "Application.h"
#include "Dialogs.h"
#include "Unit2.h"
#include "files.h"
#include "registry.h"
#include "setup_resources.h"

TForm1* Form1 = nullptr;

namespace {
using ui::Rect;

// The makers' home page, opened by a click on the banner.
const char kHomePage[] = "http://www.vellmarktools.example/";

enum Led { kGrey = 0, kGreen = 1, kRed = 2 };
enum Task { kGetPath = 0, kPathIs = 1, kToolsFolder = 2, kProgramFolder = 3, kFirstPayload = 4, kShortcut = 12 };
constexpr int kTaskCount = 13;

const char* const kTaskCaptions[kTaskCount] = {
    "Get Install Path",
    "Path is",
    "Create Directory VellmarkTools",
    "Create Directory QuennickEx",
    "Copy File Readme.txt",
    "Copy File Changes.txt",
    "Copy File npmod32.dll",
    "Copy File unacev2.dll",
    "Copy File unrar.dll",
    "Copy File unzipw32.dll",
    "Copy File credits.mod",
    "Copy File quennex.exe",
    "Create Shortcut",
};

const char kGroupSubfolder[] = "\\VellmarkTools";
const char kProgramSubfolder[] = "\\VellmarkTools\\QuennickEx";
const char kShortcutName[] = "\\Quennick-Extractor.lnk";
const char kShortcutDescription[] = "Extract File_ID.diz Files from Archives";
const char kSuccessText[] = "Installation OK.\r\rKlick \"Start -> Programs -> VellmarkTools\" to open tool.";
const char kFailureText[] = "Installation FAILED!!!";

// Rectangles of the controls in GroupBox1 are relative to it.
namespace layout {
constexpr Rect GroupBox1{8, 8, 321, 433};
constexpr Rect Bevel1{8, 16, 304, 114};
constexpr Rect Image1{8, 16, 302, 113};
constexpr Rect ProgressBar1{8, 136, 305, 17};
constexpr Rect lvTask{8, 160, 305, 233};
constexpr Rect btClose{8, 400, 305, 25};
}  // namespace layout

ui::ImageList& Filled(ui::ImageList& list, int resource) {
  list.AddResource(resource);
  return list;
}

// An existing folder counts as made; one level only.
bool MakeFolder(const std::string& path) {
  return files::FolderExists(path) || CreateDirectoryA(path.c_str(), nullptr);
}

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::vector<ui::ListItem> TaskItems() {
  std::vector<ui::ListItem> items;
  for (const char* caption : kTaskCaptions) items.push_back({caption, {}, -1, kGrey});
  return items;
}

}  // namespace

TForm1::TForm1()
    : ui::Form({.caption = "Vellmark Tools Installer",
                .clientWidth = 338,
                .clientHeight = 449,
                .border = ui::BorderStyle::Single,
                .minimizeBox = false,
                .maximizeBox = false,
                .position = ui::Position::Designed,
                .left = 192,
                .top = 114}),
      ilLEDs(16, 16),
      GroupBox1(*this, layout::GroupBox1, "Installation"),
      Bevel1(GroupBox1, {layout::Bevel1}),
      Image1(GroupBox1, {layout::Image1, kBannerResource}),
      ProgressBar1(GroupBox1, {layout::ProgressBar1}),
      lvTask(GroupBox1, {.bounds = layout::lvTask,
                         .columns = {{"Task", 300, false, false}},
                         .stateImages = &Filled(ilLEDs, kSetupLedsBitmap),
                         .gridLines = false,
                         .view = ui::ListView::ViewStyle::Details,
                         .columnHeaders = false}),
      btClose(GroupBox1, {.bounds = layout::btClose, .caption = "Close Installer"}) {
  ProgressBar1.SetMax(kTaskCount);
  ProgressBar1.SetPosition(0);
  for (ui::ListItem& item : TaskItems()) lvTask.Add(std::move(item));
  Image1.onClick = [this] { Image1Click(); };
  btClose.onClick = [this] { btCloseClick(); };
  FormCreate();
}

void TForm1::FormCreate() {
  CloseAllowed = false;
  InstallStarted = false;
}

void TForm1::FormActivate() {
  if (InstallStarted) return;
  InstallStarted = true;
  btClose.SetEnabled(false);
  bool ok = true;
  int task = kGetPath;  // the step under way, failed if an error escapes it
  try {
    InstallPath = GetInstallPath();
    Progress();
    if (InstallPath.empty()) {
      lvTask.SetStateIndex(kGetPath, kRed);
      ok = false;
    } else {
      lvTask.SetStateIndex(kGetPath, kGreen);
      ProgressBar1.StepBy(1);
      lvTask.SetStateIndex(kPathIs, kGreen);
      lvTask.SetCaption(kPathIs, lvTask.Item(kPathIs).caption + " " + InstallPath);
    }
    task = kToolsFolder;
    if (ok) {
      ok = MakeFolder(InstallPath + kGroupSubfolder);
      lvTask.SetStateIndex(kToolsFolder, ok ? kGreen : kRed);
    }
    task = kProgramFolder;
    if (ok) {
      ok = MakeFolder(InstallPath + kProgramSubfolder);
      lvTask.SetStateIndex(kProgramFolder, ok ? kGreen : kRed);
    }
    for (int i = 0; i < kPayloadCount && ok; ++i) {
      task = kFirstPayload + i;
      ok = CopyResourceToFile(Payloads[i].resource, Payloads[i].fileName, task);
    }
    task = kShortcut;
    if (ok) {
      const std::string programs = GetProgramsFolder();
      if (programs.empty() || !MakeFolder(programs + kGroupSubfolder)) {
        ok = false;
      } else {
        ok = CreateShortcut(InstallPath + kProgramSubfolder, "quennex.exe", programs + kGroupSubfolder + kShortcutName,
                            kShortcutDescription, "");
        Progress();
      }
    }
  } catch (const std::exception&) {
    lvTask.SetStateIndex(task, kRed);
    ok = false;
  }
  lvTask.SetStateIndex(kShortcut, ok ? kGreen : kRed);
  ProgressBar1.StepBy(1);
  ui::Application::ProcessMessages();
  ProgressBar1.SetPosition(ProgressBar1.Max());
  if (ok) {
    ui::ShowMessage(kSuccessText, "Information", MB_OK | MB_ICONINFORMATION);
  } else {
    ui::ShowMessage(kFailureText, "Error", MB_OK | MB_ICONERROR);
  }
  CloseAllowed = true;
  btClose.SetEnabled(true);
}

bool TForm1::FormClose() { return CloseAllowed; }

void TForm1::btCloseClick() {
  CloseAllowed = true;
  Close();
}

void TForm1::Progress() {
  ProgressBar1.StepBy(1);
  ui::Application::ProcessMessages();
}

void TForm1::Image1Click() { ShellExecuteA(hwnd(), "open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL); }

bool TForm1::CopyResourceToFile(const std::string& resource, const std::string& fileName, int item) {
  bool written = false;
  // A payload missing from the program fails its step like a file that cannot be written.
  if (HRSRC found = FindResourceA(nullptr, resource.c_str(), MAKEINTRESOURCEA(10))) {
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) {
      const std::string path = InstallPath + kProgramSubfolder + "\\" + fileName;
      written = files::SaveReplacing(path, bytes, SizeofResource(nullptr, found)) == ERROR_SUCCESS;
    }
  }
  lvTask.SetStateIndex(item, written ? kGreen : kRed);
  Progress();
  return written;
}

std::string GetInstallPath() {
  const std::string proposal =
      registry::ReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  return Form2->Execute(proposal).value_or("");
}

std::string GetProgramsFolder() {
  return registry::ReadString(HKEY_CURRENT_USER,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
}

bool CreateShortcut(const std::string& workingFolder, const std::string& program, const std::string& link,
                    const std::string& description, const std::string& arguments) {
  bool saved = false;
  IShellLinkA* shellLink = nullptr;
  IPersistFile* persistFile = nullptr;
  // A shell-link object that cannot be had fails the step like a save that fails.
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink))) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persistFile)))) {
    shellLink->SetArguments(arguments.c_str());
    shellLink->SetDescription(description.c_str());
    shellLink->SetPath((workingFolder + "\\" + program).c_str());
    shellLink->SetWorkingDirectory(workingFolder.c_str());
    if (files::FileExists(link)) DeleteFileA(link.c_str());
    const std::wstring wideLink = Wide(link);
    saved = !wideLink.empty() && SUCCEEDED(persistFile->Save(wideLink.c_str(), FALSE));
  }
  if (persistFile) persistFile->Release();
  if (shellLink) shellLink->Release();
  return saved;
}
