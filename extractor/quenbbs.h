#pragma once
// The main window of quennex. It owns the run state that one run of Go shares.
#include <cstdint>
#include <string>
#include <vector>

#include "Containers.h"
#include "biffsheet.h"
#include "catalogue.h"
#include "Form.h"
#include "Graphics.h"
#include "ListView.h"
#include "run_state.h"

// A remembered pick of the best-match window: the archive's index in the list and the line taken.
using TVorschlag = quennex::TVorschlag;

class TForm1 : public ui::Form {
 public:
  TForm1();

  // Image lists.
  ui::ImageList ImageList1{16, 16};  // archive types: 0 ZIP, 1 RAR, 2 ACE
  ui::ImageList ImageList2{16, 16};  // LEDs: 0 grey, 1 green, 2 red
  ui::ImageList ImageList3{16, 16};  // page tabs: Files, Options
  ui::ImageList ImageList4{16, 16};  // view tabs: List, Details

  // Logo and folder rows.
  ui::Bevel Bevel1;
  ui::Image Image1;
  ui::Label Label1;
  ui::Edit Edit1;
  ui::Button BitBtn1;
  ui::Label Label4;
  ui::Edit Edit3;
  ui::Button BitBtn5;
  ui::SpeedButton SpeedButton1;

  // Pages: Files and Options.
  ui::PageControl PageControl1;
  ui::TabSheet& TabSheet1;
  ui::TabSheet& TabSheet2;
  ui::Label Label14, Label15, Label16;
  ui::TabControl TabControl1;
  ui::ListView ListView1;
  ui::ScrollBox ScrollBox1;
  ui::Label Label18, Label27;
  ui::CheckBox CheckBox1, CheckBox2, CheckBox3, CheckBox9;
  ui::Bevel Bevel5;
  ui::Label Label28, Label29;
  ui::CheckBox CheckBox7;
  ui::Bevel Bevel6;
  ui::Label Label19, Label25, Label26;
  ui::RadioGroup RadioGroup1;
  ui::CheckBox CheckBox4, CheckBox5;
  ui::Bevel Bevel7;
  ui::Label Label23, Label24, Label10;
  ui::Edit Edit2;
  ui::Bevel Bevel8;
  ui::Label Label20, Label21, Label22, Label30, Label31;
  ui::RadioGroup RadioGroup2;
  ui::Bevel Bevel9;
  ui::Label Label32, Label33, Label11, Label12;
  ui::UpDown UpDown1;
  ui::Label Label13;
  ui::Bevel Bevel10;
  ui::Label Label34, Label35, Label36;
  ui::CheckBox CheckBox6;
  ui::Bevel Bevel11;
  ui::Label Label37;
  ui::CheckBox CheckBox8;

  // Go, Stop and progress at the right end of the tab row.
  ui::ProgressBar ProgressBar1;
  ui::Button BitBtn3;
  ui::Button BitBtn2;

  // Counters.
  ui::Label Label2;
  ui::Label Label3;
  ui::Bevel Bevel2;
  ui::Label Label5;
  ui::Label Label6;
  ui::Bevel Bevel3;
  ui::Label Label7;
  ui::Label Label8;
  ui::Bevel Bevel4;
  ui::Label Label9;

  ui::StatusBar StatusBar1;
  ui::Timer Timer1{1000};
  TBiffSheet BiffSheet1;

  // Read and written by Go, Stop, the timer, the listing, the writers and the viewer.
  quennex::RunState Run;

  // Program start and run driver.
  void FormCreate();
  void InitTempDir();
  void BitBtn2Click();
  void BitBtn3Click();
  // Shows the run's clock in ElapsedMinutes and ElapsedSeconds.
  void Timer1Timer();

  // Options and folders.
  void TesteGo();
  void BitBtn1Click();
  void BitBtn5Click();
  void SpeedButton1Click();
  void UpDown1Click(ui::UpDown::Button button);
  void TabControl1Change();
  void Image1Click();

  // Listing and sort.
  bool ReadSourceDir();
  void ProbeArchives();
  void ListView1ColumnClick(int column);
  int ListView1Compare(const ui::ListItem& item1, const ui::ListItem& item2);

  // Extraction, reading and the viewer.
  bool EntpackeBeschreibung(const std::string& path);
  bool AnalysiereBeschreibung();
  void ListView1DblClick();

  // Catalogue writers, called by Go in this order.
  void WriteFilesBbs();
  void WriteDescriptIon();
  void WriteFilesXls();
  void WriteFilesCsv();

  bool Running() const { return running_; }

 protected:
  bool CanClose() override;

 private:
  void RunJob();
  void RunWriter(quennex::Catalogue catalogue);
  quennex::BestMatch AskBestMatch(std::int32_t itemIndex, const std::vector<std::string>& candidates);
  // True when the writer may write the file: it is not there, or overwriting needs no question, or the user
  // said Yes.
  bool ConfirmOverwrite(const std::string& fileName);
  bool SaveSheet(const std::string& path, const std::vector<quennex::SheetCell>& cells);
  void EndRun();
  void SetFolderRowsAndGoEnabled(bool enabled);
  void SetStatus(const std::string& text) { StatusBar1.SetSimpleText(text); }
  bool running_ = false;
  bool closeAfterRun_ = false;
};

extern TForm1* Form1;
