#pragma once
// The installer's main window: the task list with its LEDs, the progress bar and the install sequence.
#include <string>

#include "Controls.h"
#include "Form.h"
#include "Graphics.h"
#include "ListView.h"
#include "framed_group.h"

class TForm1 : public ui::Form {
 public:
  TForm1();

  ui::ImageList ilLEDs;
  FramedGroup GroupBox1;
  ui::Bevel Bevel1;
  ui::Image Image1;
  ui::ProgressBar ProgressBar1;
  ui::ListView lvTask;
  ui::Button btClose;

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
};

// A payload: an RCDATA resource of this program and the file it becomes.
struct Payload {
  const char* resource;
  const char* fileName;
};
constexpr int kPayloadCount = 8;
// The payloads in the order they are written, as task items 4 to 11.
extern Payload Payloads[kPayloadCount];

// The makers' home page, opened by a click on the banner.
extern const char* const kHomePage;

extern TForm1* Form1;
extern std::string InstallPath;
// The folder handed to the path dialog and back.
extern std::string SelectedPath;
extern bool CloseAllowed;
extern bool InstallStarted;

// Proposes Program Files, shows the path dialog and returns the chosen folder ("" for none).
std::string GetInstallPath();
// The current user's start-menu Programs folder, or "".
std::string GetProgramsFolder();
// Saves a shortcut at `link` to workingFolder\program, starting in workingFolder; true when saved.
bool CreateShortcut(const std::string& workingFolder, const std::string& program, const std::string& link,
                    const std::string& description, const std::string& arguments);
