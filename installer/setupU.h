#pragma once
// The installer's main window: the task list with its LEDs, the progress bar and the install sequence.
#include <array>
#include <string>

#include "Controls.h"
#include "Form.h"
#include "FramedGroup.h"
#include "Graphics.h"
#include "ListView.h"

// A payload: an RCDATA resource of this program and the file it becomes.
struct Payload {
  const char* resource;
  const char* fileName;
};
constexpr int kPayloadCount = 8;

class TForm1 : public ui::Form {
 public:
  TForm1();

  ui::ImageList ilLEDs;
  ui::FramedGroup GroupBox1;
  ui::Bevel Bevel1;
  ui::Image Image1;
  ui::ProgressBar ProgressBar1;
  ui::ListView lvTask;
  ui::Button btClose;

  // The payloads in the order they are written, as task items 4 to 11.
  std::array<Payload, kPayloadCount> Payloads{{{"README", "readme.txt"},
                                               {"CHANGES", "changes.txt"},
                                               {"NPMOD32", "npmod32.dll"},
                                               {"UNACE", "unacev2.dll"},
                                               {"UNRAR", "unrar.dll"},
                                               {"UNZIP", "unzipw32.dll"},
                                               {"MOD", "credits.mod"},
                                               {"EXE", "quennex.exe"}}};
  std::string InstallPath;
  bool CloseAllowed = false;
  bool InstallStarted = false;

  void FormCreate();
  // The install sequence; runs once, at the first activation.
  void FormActivate() override;
  // False while closing is refused.
  bool FormClose();
  void btCloseClick();
  void Image1Click();
  // Writes one payload into the program folder; lights task item `item` green or red.
  bool CopyResourceToFile(const std::string& resource, const std::string& fileName, int item);

 protected:
  bool CanClose() override { return FormClose(); }

 private:
  // Raises the bar by one and lets the window catch up; every step of the sequence ends so.
  void Progress();
};

extern TForm1* Form1;

// Proposes Program Files, shows the path dialog and returns the chosen folder ("" for none).
std::string GetInstallPath();
// The current user's start-menu Programs folder, or "".
std::string GetProgramsFolder();
// Saves a shortcut at `link` to workingFolder\program, starting in workingFolder; true when saved.
bool CreateShortcut(const std::string& workingFolder, const std::string& program, const std::string& link,
                    const std::string& description, const std::string& arguments);
