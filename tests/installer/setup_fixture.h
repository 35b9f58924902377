#pragma once
// The installer's windows, made anew for each test as at a program start, and the seam answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Unit2.h"
#include "setupU.h"
#include "test_support.h"

// A registry string value set for the life of the object, then put back as it was.
class RegistryValueOverride {
 public:
  RegistryValueOverride(HKEY root, std::string key, std::string value, const std::string& text);
  ~RegistryValueOverride();
  RegistryValueOverride(const RegistryValueOverride&) = delete;
  RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;
  void Set(const std::string& text);
  void Remove();

 private:
  HKEY root_;
  std::string key_, value_;
  bool hadValue_ = false;
  DWORD type_ = REG_SZ;
  std::vector<BYTE> saved_;
};

// One run of the install sequence: the path dialog answered by `pathDialog`, every message box
// recorded and answered OK.
struct InstallRun {
  std::vector<ui::MessageRequest> messages;
  int dialogShowings = 0;
};
InstallRun RunInstall(const std::function<void(TForm2&)>& pathDialog);

// Answers for the path dialog.
void ChooseFolder(TForm2& dialog, const std::string& folder);  // set the tree, then "Install"
void PressAbort(TForm2& dialog);

// The states of the 13 task items: 0 grey, 1 green, 2 red.
std::vector<int> TaskStates();

class Installer : public ::testing::Test {
 protected:
  // A fresh program start, with the start-menu Programs folder pointed at a private folder.
  void SetUp() override;
  void TearDown() override;

  testing_support::TempFolder base;
  testing_support::TempFolder startMenu;
  std::unique_ptr<RegistryValueOverride> programs;
};

inline const char kProgramSubfolder[] = "\\VellmarkTools\\QuennickEx";
inline const char kShortcutPath[] = "\\VellmarkTools\\Quennick-Extractor.lnk";
inline const char kSuccessText[] = "Installation OK.\r\rKlick \"Start -> Programs -> VellmarkTools\" to open tool.";
inline const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Makes new main window and path dialog, as the program block does.
void StartProgram();
