// The install sequence: files, LEDs, progress, final message, shortcut and the failures on the way.
#include <objbase.h>
#include <shlobj.h>

#include "Graphics.h"
#include "setup_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::FolderExists;
using testing_support::ReadBytes;

const std::vector<int> kAllGreen(13, 1);

struct ShortcutFields {
  std::string target, workingFolder, description, arguments;
};

ShortcutFields ReadShortcut(const std::string& path) {
  ShortcutFields fields;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    ADD_FAILURE() << "no shell link object";
    return fields;
  }
  char text[MAX_PATH * 2] = {};
  std::wstring wide(path.begin(), path.end());
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
    if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) fields.target = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) fields.workingFolder = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetDescription(text, sizeof text))) fields.description = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetArguments(text, sizeof text))) fields.arguments = text;
  } else {
    ADD_FAILURE() << "cannot load " << path;
  }
  if (file) file->Release();
  link->Release();
  return fields;
}

// Every payload as installed is the resource it came from, byte for byte.
void ExpectPayloadsInstalled(const std::string& folder) {
  for (const Payload& payload : Form1->Payloads) {
    const auto embedded = ui::LoadResourceBytes(payload.resource);
    ASSERT_FALSE(embedded.empty()) << payload.resource;
    EXPECT_EQ(ReadBytes(folder + "\\" + payload.fileName), embedded) << payload.fileName;
  }
}

void ExpectFailureMessage(const InstallRun& run) {
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].text, "Installation FAILED!!!");
  EXPECT_EQ(run.messages[0].caption, "Error");
  EXPECT_EQ(run.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(Form1->ProgressBar1.Position(), 13);
  EXPECT_TRUE(Form1->CloseAllowed);
  EXPECT_TRUE(Form1->btClose.Enabled());
}

TEST(InstallerPayloads, EmbeddedPayloadsAreTheBuiltFiles) {
  struct Built {
    const char* resource;
    const char* path;
  };
  const Built built[] = {
#include "built_payloads.h"
  };
  ASSERT_EQ(std::size(built), std::size(Form1->Payloads));
  for (const Built& file : built) {
    const auto bytes = ui::LoadResourceBytes(file.resource);
    EXPECT_FALSE(bytes.empty()) << file.resource;
    EXPECT_EQ(bytes, ReadBytes(file.path)) << file.resource;
  }
}

TEST_F(Installer, FullInstallWritesEverythingAndLightsAllLeds) {
  // Kept in the working folder after the test: the shortcut is read again by lnkinfo on the Linux side.
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string kept = std::string(current) + "\\lnk-check";
  testing_support::RemoveRecursively(kept);
  testing_support::MakeFolder(kept);
  testing_support::MakeFolder(kept + "\\base");
  testing_support::MakeFolder(kept + "\\programs");
  programs->Set(kept + "\\programs");

  std::vector<int> positions;
  Form1->ProgressBar1.onChange = [&] { positions.push_back(Form1->ProgressBar1.Position()); };
  const InstallRun run = RunInstall([&](TForm2& dialog) {
    EXPECT_FALSE(Form1->btClose.Enabled());
    EXPECT_EQ(Form1->ProgressBar1.Position(), 0);
    ChooseFolder(dialog, kept + "\\base");
  });
  // The dialog, the accepted path, eight payloads, the shortcut, the end, then full.
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));

  EXPECT_EQ(run.dialogShowings, 1);
  EXPECT_EQ(Form1->InstallPath, kept + "\\base");
  const std::string folder = Form1->InstallPath + kProgramSubfolder;
  ExpectPayloadsInstalled(folder);
  EXPECT_EQ(testing_support::ListFilesRecursively(folder),
            (std::vector<std::string>{"changes.txt", "credits.mod", "npmod32.dll", "quennex.exe", "readme.txt",
                                      "unacev2.dll", "unrar.dll", "unzipw32.dll"}));
  EXPECT_EQ(TaskStates(), kAllGreen);
  EXPECT_EQ(Form1->lvTask.Item(1).caption, "Path is " + Form1->InstallPath);
  EXPECT_EQ(Form1->ProgressBar1.Position(), 13);
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].text, kSuccessText);
  EXPECT_EQ(run.messages[0].caption, "Information");
  EXPECT_EQ(run.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_TRUE(Form1->CloseAllowed);
  EXPECT_TRUE(Form1->btClose.Enabled());

  const ShortcutFields shortcut = ReadShortcut(kept + "\\programs" + kShortcutPath);
  EXPECT_EQ(shortcut.target, folder + "\\quennex.exe");
  EXPECT_EQ(shortcut.workingFolder, folder);
  EXPECT_EQ(shortcut.description, "Extract File_ID.diz Files from Archives");
  EXPECT_EQ(shortcut.arguments, "");
}

TEST_F(Installer, SecondInstallIntoTheSameFolderReplacesFilesAndShortcut) {
  RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  const std::string folder = base.path() + kProgramSubfolder;
  const std::string link = startMenu.path() + kShortcutPath;
  // Spoil what the first run left: a longer exe, an empty tune, a shortcut that is no shortcut.
  testing_support::WriteBytes(folder + "\\quennex.exe", std::vector<std::uint8_t>(3'000'000, 0x55));
  testing_support::WriteText(folder + "\\credits.mod", "");
  testing_support::WriteText(link, "not a shortcut");

  StartProgram();
  const InstallRun second = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates(), kAllGreen);
  ExpectPayloadsInstalled(folder);
  ASSERT_EQ(second.messages.size(), 1u);
  EXPECT_EQ(second.messages[0].text, kSuccessText);
  EXPECT_EQ(ReadShortcut(link).target, folder + "\\quennex.exe");
}

TEST_F(Installer, AbortFailsAtGetInstallPathAndTouchesNothing) {
  const InstallRun run = RunInstall(PressAbort);
  EXPECT_EQ(TaskStates(), (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_EQ(Form1->lvTask.Item(1).caption, "Path is");
  EXPECT_TRUE(Form1->InstallPath.empty());
  ExpectFailureMessage(run);
  EXPECT_TRUE(testing_support::ListFilesRecursively(startMenu.path()).empty());
}

TEST_F(Installer, ToolsFolderThatIsAFileFailsAtItsItem) {
  testing_support::WriteText(base / "VellmarkTools", "a file, not a folder");
  const InstallRun run = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates(), (std::vector<int>{1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  ExpectFailureMessage(run);
}

TEST_F(Installer, PayloadThatCannotBeWrittenStopsTheChain) {
  // A folder where readme.txt should go cannot be opened as a file.
  testing_support::MakeFolder(base / "VellmarkTools");
  testing_support::MakeFolder(base.path() + kProgramSubfolder);
  testing_support::MakeFolder(base.path() + kProgramSubfolder + "\\readme.txt");
  const InstallRun run = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates(), (std::vector<int>{1, 1, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 2}));
  EXPECT_FALSE(FileExists(base.path() + kProgramSubfolder + "\\changes.txt"));
  ExpectFailureMessage(run);
}

TEST_F(Installer, MissingPayloadResourceIsAFailedStep) {
  Form1->Payloads[6].resource = "NO_SUCH_PAYLOAD";  // this window only: each test starts the program anew
  const InstallRun run = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates(), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0, 2}));
  const std::string folder = base.path() + kProgramSubfolder;
  EXPECT_TRUE(FileExists(folder + "\\unzipw32.dll"));
  EXPECT_FALSE(FileExists(folder + "\\credits.mod"));
  EXPECT_FALSE(FileExists(folder + "\\quennex.exe"));
  ExpectFailureMessage(run);
}

TEST_F(Installer, ErrorInsideAStepFailsThatStepAndEndsTheRun) {
  const InstallRun run = RunInstall([](TForm2&) { throw std::runtime_error("no window"); });
  EXPECT_EQ(TaskStates(), (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  ExpectFailureMessage(run);  // the only box shown
}

TEST_F(Installer, StartMenuTroubleFailsTheShortcutOnly) {
  programs->Set(startMenu / "missing\\deeper");  // the group folder cannot be made one level deep
  InstallRun run = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates(), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}));
  ExpectFailureMessage(run);

  StartProgram();
  programs->Remove();
  run = RunInstall([&](TForm2& dialog) { ChooseFolder(dialog, base.path()); });
  EXPECT_EQ(TaskStates().back(), 2);
  ExpectFailureMessage(run);
}

TEST_F(Installer, RunsOnceAndRefusesToCloseUntilTheEnd) {
  int nestedShowings = 0;
  InstallRun run = RunInstall([&](TForm2& dialog) {
    EXPECT_FALSE(Form1->FormClose());
    // Activations while the sequence runs start nothing.
    const ui::ModalResponder outer = ui::SetModalResponder([&](ui::Form&) { return ++nestedShowings; });
    Form1->FormActivate();
    ui::SetModalResponder(outer);
    ChooseFolder(dialog, base.path());
  });
  EXPECT_EQ(nestedShowings, 0);
  EXPECT_EQ(run.messages.size(), 1u);
  EXPECT_TRUE(Form1->FormClose());

  // Later activations do nothing either.
  run = RunInstall([](TForm2&) { ADD_FAILURE() << "dialog shown again"; });
  EXPECT_EQ(run.dialogShowings, 0);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(TaskStates(), kAllGreen);
}

TEST_F(Installer, CloseBoxIsRefusedWhileTheFinalMessageIsUp) {
  bool closeAllowedDuringMessage = true;
  const ui::MessageResponder previous = ui::SetMessageResponder([&](const ui::MessageRequest&) {
    closeAllowedDuringMessage = Form1->FormClose();
    SendMessageA(Form1->hwnd(), WM_CLOSE, 0, 0);
    return static_cast<int>(IDOK);
  });
  const ui::ModalResponder previousModal =
      ui::SetModalResponder([&](ui::Form&) { return PressAbort(*Form2), Form2->ModalResult(); });
  ShowWindow(Form1->hwnd(), SW_SHOWNOACTIVATE);
  Form1->FormActivate();
  ui::SetModalResponder(previousModal);
  ui::SetMessageResponder(previous);
  EXPECT_FALSE(closeAllowedDuringMessage);
  EXPECT_TRUE(IsWindowVisible(Form1->hwnd()));
  ShowWindow(Form1->hwnd(), SW_HIDE);
}

}  // namespace
