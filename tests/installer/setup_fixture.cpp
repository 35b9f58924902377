#include "setup_fixture.h"

#include "Application.h"

namespace {
class SetupEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ui::Application::Initialize();
    ui::Application::SetTitle("VellmarkTools-Installer");
    StartProgram();
  }
  void TearDown() override {
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
    ui::Application::Finalize();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new SetupEnvironment);
}  // namespace

void StartProgram() {
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
  Form1 = new TForm1;
  Form2 = new TForm2;
}

RegistryValueOverride::RegistryValueOverride(HKEY root, std::string key, std::string value, const std::string& text)
    : root_(root), key_(std::move(key)), value_(std::move(value)) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
    DWORD size = 0;
    if (RegQueryValueExA(opened, value_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      saved_.resize(size);
      hadValue_ = RegQueryValueExA(opened, value_.c_str(), nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(opened);
  }
  Set(text);
}

RegistryValueOverride::~RegistryValueOverride() {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return;
  if (hadValue_) {
    RegSetValueExA(opened, value_.c_str(), 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
  } else {
    RegDeleteValueA(opened, value_.c_str());
  }
  RegCloseKey(opened);
}

void RegistryValueOverride::Set(const std::string& text) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr), ERROR_SUCCESS);
  RegSetValueExA(opened, value_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(opened);
}

void RegistryValueOverride::Remove() {
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(root_, key_.c_str(), 0, KEY_WRITE, &opened), ERROR_SUCCESS);
  RegDeleteValueA(opened, value_.c_str());
  RegCloseKey(opened);
}

InstallRun RunInstall(const std::function<void(TForm2&)>& pathDialog) {
  InstallRun run;
  const ui::MessageResponder previousMessages = ui::SetMessageResponder([&run](const ui::MessageRequest& request) {
    run.messages.push_back(request);
    return static_cast<int>(IDOK);
  });
  const ui::ModalResponder previousModal = ui::SetModalResponder([&](ui::Form& form) {
    ++run.dialogShowings;
    EXPECT_EQ(&form, Form2);
    pathDialog(*Form2);
    return Form2->ModalResult();
  });
  Form1->FormActivate();
  ui::SetModalResponder(previousModal);
  ui::SetMessageResponder(previousMessages);
  return run;
}

void ChooseFolder(TForm2& dialog, const std::string& folder) {
  dialog.ShellTreeView1.SetPath(folder);
  dialog.Button1Click();
}

void PressAbort(TForm2& dialog) { dialog.Button2Click(); }

std::vector<int> TaskStates() {
  std::vector<int> states;
  for (int i = 0; i < Form1->lvTask.Count(); ++i) states.push_back(Form1->lvTask.Item(i).stateIndex);
  return states;
}

void Installer::SetUp() {
  StartProgram();
  programs = std::make_unique<RegistryValueOverride>(HKEY_CURRENT_USER, kShellFolders, "Programs", startMenu.path());
}

void Installer::TearDown() { programs.reset(); }
