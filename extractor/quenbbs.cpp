#include "quenbbs.h"

#include <memory>
#include <optional>

#include "Application.h"
#include "Dialogs.h"
#include "about.h"
#include "description.h"
#include "dirs.h"
#include "extraction.h"
#include "files.h"
#include "listing.h"
#include "raten.h"
#include "resources.h"
#include "run_report.h"
#include "viewer.h"

TForm1* Form1 = nullptr;

namespace {

using ui::Rect;
constexpr COLORREF kHelpBlue = RGB(0, 0, 128);

// The window, top to bottom, in client pixels (320 x 508).
namespace layout {
constexpr Rect Bevel1{7, 5, 306, 117};
constexpr Rect Image1{9, 7, 302, 113};
constexpr Rect Label1{8, 131, 40, 13};
constexpr Rect Edit1{50, 127, 196, 21};
constexpr Rect BitBtn1{250, 127, 25, 21};
constexpr Rect Label4{8, 155, 40, 13};
constexpr Rect Edit3{50, 151, 196, 21};
constexpr Rect BitBtn5{250, 151, 25, 21};
constexpr Rect SpeedButton1{283, 127, 29, 45};
constexpr Rect PageControl1{4, 178, 312, 283};
constexpr Rect ProgressBar1{136, 181, 70, 16};
constexpr Rect BitBtn3{210, 177, 50, 21};
constexpr Rect BitBtn2{264, 177, 50, 21};
constexpr Rect Label2{8, 470, 0, 13};
constexpr Rect Label3{98, 470, 0, 13};
constexpr Rect Bevel2{124, 466, 36, 20};
constexpr Rect Label5{126, 470, 32, 13};
constexpr Rect Label6{170, 470, 0, 13};
constexpr Rect Bevel3{196, 466, 36, 20};
constexpr Rect Label7{198, 470, 32, 13};
constexpr Rect Label8{244, 470, 0, 13};
constexpr Rect Bevel4{268, 466, 36, 20};
constexpr Rect Label9{270, 470, 32, 13};
}  // namespace layout

// The "Files" page, in page pixels.
namespace files_page {
constexpr Rect Label14{6, 4, 0, 13};
constexpr Rect Label15{6, 17, 0, 13};
constexpr Rect Label16{6, 30, 0, 13};
constexpr Rect TabControl1{4, 48, 296, 202};
}  // namespace files_page

// The "Options" page: a vertically scrolling box, its content top to bottom.
namespace options_page {
constexpr Rect ScrollBox1{2, 2, 300, 250};
constexpr int ContentHeight = 728;
constexpr int Width = 270;
constexpr Rect Label18{8, 6, 0, 13};
constexpr Rect Label27{8, 19, 0, 13};
constexpr Rect CheckBox1{8, 36, 118, 17};
constexpr Rect CheckBox2{128, 36, 140, 17};
constexpr Rect CheckBox3{8, 54, 118, 17};
constexpr Rect CheckBox9{128, 54, 140, 17};
constexpr Rect Bevel5{8, 78, Width - 8, 2};
constexpr Rect Label28{8, 84, 0, 13};
constexpr Rect Label29{8, 97, 0, 13};
constexpr Rect CheckBox7{8, 114, Width - 8, 17};
constexpr Rect Bevel6{8, 138, Width - 8, 2};
constexpr Rect Label19{8, 144, 0, 13};
constexpr Rect Label25{8, 157, 0, 13};
constexpr Rect Label26{8, 170, 0, 13};
constexpr Rect RadioGroup1{8, 188, Width - 8, 72};
constexpr Rect CheckBox4{8, 264, Width - 6, 17};
constexpr Rect CheckBox5{8, 284, Width - 6, 17};
constexpr Rect Bevel7{8, 308, Width - 8, 2};
constexpr Rect Label23{8, 314, 0, 13};
constexpr Rect Label24{8, 327, 0, 13};
constexpr Rect Label10{8, 346, 0, 13};
constexpr Rect Edit2{8, 362, Width - 8, 21};
constexpr Rect Bevel8{8, 390, Width - 8, 2};
constexpr Rect Label20{8, 396, 0, 13};
constexpr Rect Label21{8, 409, 0, 13};
constexpr Rect Label22{8, 422, 0, 13};
constexpr Rect Label30{8, 435, 0, 13};
constexpr Rect Label31{8, 448, 0, 13};
constexpr Rect RadioGroup2{8, 466, Width - 8, 56};
constexpr Rect Bevel9{8, 528, Width - 8, 2};
constexpr Rect Label32{8, 534, 0, 13};
constexpr Rect Label33{8, 547, 0, 13};
constexpr Rect Label11{8, 564, 0, 13};
constexpr Rect Label12{8, 583, 14, 13};
constexpr Rect UpDown1{24, 580, 32, 18};
constexpr Rect Label13{62, 583, 0, 13};
constexpr Rect Bevel10{8, 606, Width - 8, 2};
constexpr Rect Label34{8, 612, 0, 13};
constexpr Rect Label35{8, 625, 0, 13};
constexpr Rect Label36{8, 638, 0, 13};
constexpr Rect CheckBox6{8, 655, Width - 8, 17};
constexpr Rect Bevel11{8, 680, Width - 8, 2};
constexpr Rect Label37{8, 686, 0, 13};
constexpr Rect CheckBox8{8, 703, Width - 8, 17};
}  // namespace options_page

ui::Label::Args Help(const Rect& bounds, const char* text) { return {bounds, text, false, kHelpBlue}; }
ui::Label::Args Plain(const Rect& bounds, const char* text) { return {bounds, text}; }
ui::Bevel::Args Line(const Rect& bounds) { return {bounds, ui::Bevel::Shape::TopLine}; }
ui::Label::Args Counter(const Rect& bounds) { return {bounds, "-", false, CLR_INVALID, true}; }

ui::ImageList& Filled(ui::ImageList& list, int resource) {
  list.AddResource(resource);
  return list;
}

// A text catalogue written piece by piece beside its path, put in place at the end.
class CatalogueFile : public quennex::TextOutput {
 public:
  explicit CatalogueFile(const std::string& path) : file_(path) {}
  bool ok() const { return file_.error() == ERROR_SUCCESS; }
  bool Write(std::string_view bytes) override { return file_.Write(bytes.data(), bytes.size()); }
  bool Commit() override { return file_.Commit() == ERROR_SUCCESS; }

 private:
  files::ReplacingFile file_;
};

}  // namespace

TForm1::TForm1()
    : ui::Form({.caption = "Vellmark Quennick Extractor",
                .clientWidth = 320,
                .clientHeight = 508,
                .border = ui::BorderStyle::Single,
                .maximizeBox = false,
                .position = ui::Position::ScreenCenter}),
      Bevel1(*this, {layout::Bevel1}),
      Image1(*this, {layout::Image1, kLogoResource}),
      Label1(*this, Plain(layout::Label1, "Source")),
      Edit1(*this, {.bounds = layout::Edit1, .readOnly = true, .tabStop = false}),
      BitBtn1(*this, {.bounds = layout::BitBtn1, .tabStop = false, .glyph = kFolderBitmap}),
      Label4(*this, Plain(layout::Label4, "Target")),
      Edit3(*this, {.bounds = layout::Edit3, .readOnly = true, .tabStop = false}),
      BitBtn5(*this, {.bounds = layout::BitBtn5, .tabStop = false, .glyph = kFolderBitmap}),
      SpeedButton1(*this, {layout::SpeedButton1, kArrowBitmap, true}),
      PageControl1(*this, {layout::PageControl1, {"Files", "Options"}, &Filled(ImageList3, kPagesBitmap)}),
      TabSheet1(PageControl1.Page(0)),
      TabSheet2(PageControl1.Page(1)),
      Label14(TabSheet1, Help(files_page::Label14, "These files are found in the Source directory. Grey leds shows")),
      Label15(TabSheet1, Help(files_page::Label15, "a unknown Status until \"go\" is pressed. Green indicates that")),
      Label16(TabSheet1, Help(files_page::Label16, "file_id.diz was found, red that it was not found.")),
      TabControl1(TabSheet1, {files_page::TabControl1, {"List", "Details"}, &Filled(ImageList4, kViewsBitmap)}),
      ListView1(TabSheet1, {.bounds = TabControl1.DisplayArea(),
                            .columns = {{"Name", 120, false}, {"Size", 80, true}, {"Date", 80, false}},
                            .smallImages = &Filled(ImageList2, kLedsBitmap),
                            .stateImages = &Filled(ImageList1, kKindsBitmap),
                            .gridLines = true,
                            .view = ui::ListView::ViewStyle::List}),
      ScrollBox1(TabSheet2, {options_page::ScrollBox1, options_page::ContentHeight}),
      Label18(ScrollBox1.Content(),
              Help(options_page::Label18, "These files can be created into the target directory.")),
      Label27(ScrollBox1.Content(), Help(options_page::Label27, "Select the files you need.")),
      CheckBox1(ScrollBox1.Content(), {options_page::CheckBox1, "Files.BBS", true}),
      CheckBox2(ScrollBox1.Content(), {options_page::CheckBox2, "Descript.ion", false}),
      CheckBox3(ScrollBox1.Content(), {options_page::CheckBox3, "files.xls (Excel)", false}),
      CheckBox9(ScrollBox1.Content(), {options_page::CheckBox9, "files.csv (colon seperated)", false}),
      Bevel5(ScrollBox1.Content(), Line(options_page::Bevel5)),
      Label28(ScrollBox1.Content(),
              Help(options_page::Label28, "To prevent destroying existing files like above you can")),
      Label29(ScrollBox1.Content(), Help(options_page::Label29, "choose if you want to overwrite them or not.")),
      CheckBox7(ScrollBox1.Content(), {options_page::CheckBox7, "Ask before overwriting files", true}),
      Bevel6(ScrollBox1.Content(), Line(options_page::Bevel6)),
      Label19(ScrollBox1.Content(),
              Help(options_page::Label19, "The file_id.diz can contain more than one line. In most")),
      Label25(ScrollBox1.Content(),
              Help(options_page::Label25, "cases just one line is interesting for having in the final")),
      Label26(ScrollBox1.Content(),
              Help(options_page::Label26, "Files.BBS files. Select what you need in your Files.BBS.")),
      RadioGroup1(ScrollBox1.Content(),
                  {options_page::RadioGroup1,
                   "Lines to take",
                   {"all lines", "only the first one", "try to guess description (options below)"},
                   2}),
      CheckBox4(ScrollBox1.Content(),
                {options_page::CheckBox4, "Remove inital spaces if only first line should be taken", true}),
      CheckBox5(ScrollBox1.Content(), {options_page::CheckBox5, "Remove all non-characters and non-numbers", false}),
      Bevel7(ScrollBox1.Content(), Line(options_page::Bevel7)),
      Label23(ScrollBox1.Content(),
              Help(options_page::Label23, "Often it is neccessary to append a custom string like a")),
      Label24(ScrollBox1.Content(), Help(options_page::Label24, "CD-no. at the end of the Files.BBS-line.")),
      Label10(ScrollBox1.Content(), Plain(options_page::Label10, "Custom string to append after description")),
      Edit2(ScrollBox1.Content(), {.bounds = options_page::Edit2}),
      Bevel8(ScrollBox1.Content(), Line(options_page::Bevel8)),
      Label20(ScrollBox1.Content(),
              Help(options_page::Label20, "The guess mode is an intelligent algorythm to detect the")),
      Label21(ScrollBox1.Content(),
              Help(options_page::Label21, "line in the file_id.diz containing the programs name, so")),
      Label22(ScrollBox1.Content(), Help(options_page::Label22, "that unwanted lines get removed to generate small")),
      Label30(ScrollBox1.Content(), Help(options_page::Label30, "output files. Two modes are supported: guessing by")),
      Label31(ScrollBox1.Content(), Help(options_page::Label31, "detecting version numbers or words.")),
      RadioGroup2(ScrollBox1.Content(), {options_page::RadioGroup2, "Detection mode", {"Version number", "Word"}, 0}),
      Bevel9(ScrollBox1.Content(), Line(options_page::Bevel9)),
      Label32(ScrollBox1.Content(),
              Help(options_page::Label32, "Declare when a word is a word by setting the minimum")),
      Label33(ScrollBox1.Content(), Help(options_page::Label33, "characters required.")),
      Label11(ScrollBox1.Content(), Plain(options_page::Label11, "The first detected word needs at least")),
      Label12(ScrollBox1.Content(), {options_page::Label12, "6", true}),
      UpDown1(ScrollBox1.Content(), {options_page::UpDown1, true}),
      Label13(ScrollBox1.Content(), Plain(options_page::Label13, "characters to match")),
      Bevel10(ScrollBox1.Content(), Line(options_page::Bevel10)),
      Label34(ScrollBox1.Content(),
              Help(options_page::Label34, "If more than line could match the description line the")),
      Label35(ScrollBox1.Content(),
              Help(options_page::Label35, "first one will be taken. If you want to take this decision by")),
      Label36(ScrollBox1.Content(), Help(options_page::Label36, "yourself you can activate the ask-mode.")),
      CheckBox6(ScrollBox1.Content(), {options_page::CheckBox6, "Ask if more lines match at guessing", false}),
      Bevel11(ScrollBox1.Content(), Line(options_page::Bevel11)),
      Label37(ScrollBox1.Content(),
              Help(options_page::Label37, "After doing all the work you may watch a short report.")),
      CheckBox8(ScrollBox1.Content(), {options_page::CheckBox8, "View report after processing archives", true}),
      ProgressBar1(*this, {layout::ProgressBar1, true, false}),
      BitBtn3(*this, {.bounds = layout::BitBtn3, .caption = "Stop", .glyph = kStopBitmap}),
      BitBtn2(*this, {.bounds = layout::BitBtn2, .caption = "Go", .glyph = kGoBitmap}),
      Label2(*this, Plain(layout::Label2, "Files found:")),
      Label3(*this, Plain(layout::Label3, "ACE")),
      Bevel2(*this, {layout::Bevel2}),
      Label5(*this, Counter(layout::Label5)),
      Label6(*this, Plain(layout::Label6, "RAR")),
      Bevel3(*this, {layout::Bevel3}),
      Label7(*this, Counter(layout::Label7)),
      Label8(*this, Plain(layout::Label8, "ZIP")),
      Bevel4(*this, {layout::Bevel4}),
      Label9(*this, Counter(layout::Label9)),
      StatusBar1(*this) {
  // Go, Stop and the bar sit over the page control's tab row.
  for (ui::Window* topmost : {static_cast<ui::Window*>(&ProgressBar1), static_cast<ui::Window*>(&BitBtn3),
                              static_cast<ui::Window*>(&BitBtn2)}) {
    SetWindowPos(topmost->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetWindowPos(ListView1.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  BitBtn3.SetVisible(false);
  BitBtn2.SetEnabled(false);

  Image1.onClick = [this] { Image1Click(); };
  BitBtn1.onClick = Edit1.onClick = [this] { BitBtn1Click(); };
  BitBtn5.onClick = Edit3.onClick = [this] { BitBtn5Click(); };
  SpeedButton1.onClick = [this] { SpeedButton1Click(); };
  BitBtn2.onClick = [this] { BitBtn2Click(); };
  BitBtn3.onClick = [this] { BitBtn3Click(); };
  CheckBox1.onClick = CheckBox2.onClick = CheckBox3.onClick = CheckBox9.onClick = [this] { TesteGo(); };
  TabControl1.onChange = [this] { TabControl1Change(); };
  UpDown1.onClick = [this](ui::UpDown::Button button) { UpDown1Click(button); };
  ListView1.onColumnClick = [this](int column) { ListView1ColumnClick(column); };
  ListView1.onCompare = [this](const ui::ListItem& a, const ui::ListItem& b) { return ListView1Compare(a, b); };
  ListView1.onDblClick = [this] { ListView1DblClick(); };
  Timer1.onTimer = [this] { Timer1Timer(); };

  BiffSheet1.SetActiveFont(0);
  BiffSheet1.SetBorders({});
  BiffSheet1.SetShading(false);
  BiffSheet1.SetHidden(true);

  FormCreate();
}

// Program start

void TForm1::FormCreate() {
  Run.ListReady = false;
  InitTempDir();
  StatusBar1.SetSimpleText("Click logo for info!");
  SetCaption(Caption() + " Beta 2");
}

void TForm1::InitTempDir() {
  char path[256] = {};
  const DWORD n = GetTempPathA(255, path);
  // The temp path must leave room for "file_id.diz" within MAX_PATH.
  constexpr DWORD kLongestUsable = MAX_PATH - 1 - 11;
  if (n == 0 || n > 255 || n > kLongestUsable) {
    Run.TempDir.clear();
    ui::ShowPlainMessage("Can not work in Temp dir");
    Close();
    return;
  }
  Run.TempDir.assign(path, n);
}

// Run driver

void TForm1::BitBtn2Click() {
  if (running_) return;
  running_ = true;
  Run.StartedAt = std::chrono::steady_clock::now();
  Run.ElapsedMinutes = 0;
  Run.ElapsedSeconds = 0;
  Timer1.SetEnabled(true);
  SetFolderRowsAndGoEnabled(false);
  BitBtn3.SetVisible(true);
  PageControl1.SetEnabled(false);
  PageControl1.SetActivePage(0);

  Run.StopRequested = false;
  Run.WriteFailed = false;
  Run.Guess.ResetForRun();
  Run.ListReady = false;
  Run.ReportText.clear();

  // An error that escapes a step still ends the run properly; the error box follows.
  std::string escaped;
  try {
    RunJob();
  } catch (const std::exception& error) {
    escaped = error.what();
  }
  EndRun();
  if (!escaped.empty()) ui::Application::ShowException(std::runtime_error(escaped));
  if (closeAfterRun_) Close();
}

void TForm1::RunJob() {
  if (ReadSourceDir()) {
    Run.ListReady = true;
    Run.ReportText += run_report::HeadLines({CheckBox4.Checked(), CheckBox5.Checked(), Edit2.Text()});
    ProbeArchives();
    if (CheckBox1.Checked()) WriteFilesBbs();
    if (CheckBox2.Checked()) WriteDescriptIon();
    if (CheckBox3.Checked()) WriteFilesXls();
    if (CheckBox9.Checked()) WriteFilesCsv();
  } else if (ui::ShowMessage("In the source directory are no archive files.\rPlease select another source.", "Confirm",
                             MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
    BitBtn1Click();
  }
}

void TForm1::EndRun() {
  Timer1.SetEnabled(false);
  Timer1Timer();  // the report takes the clock's last reading
  Run.ReportText +=
      run_report::TailLines({Run.WriteFailed, Run.Guess.UserHelpCount, Run.ElapsedMinutes, Run.ElapsedSeconds});
  if (Run.StopRequested) {
    ui::ShowPlainMessage("Stopped by user.");
  } else if (CheckBox8.Checked()) {
    ui::ShowPlainMessage(Run.ReportText);
  }
  BitBtn3Click();
  SetFolderRowsAndGoEnabled(true);
  PageControl1.SetEnabled(true);
  SetStatus("Ready");
  running_ = false;
}

// The folder rows and Go, which a run disables and gives back at its end.
void TForm1::SetFolderRowsAndGoEnabled(bool enabled) {
  for (ui::Window* control :
       {static_cast<ui::Window*>(&Edit1), static_cast<ui::Window*>(&BitBtn1), static_cast<ui::Window*>(&Edit3),
        static_cast<ui::Window*>(&BitBtn5), static_cast<ui::Window*>(&BitBtn2)}) {
    control->SetEnabled(enabled);
  }
}

void TForm1::BitBtn3Click() {
  BitBtn3.SetVisible(false);
  Run.StopRequested = true;
  Run.Guess.ForgetChoices();
}

void TForm1::Timer1Timer() {
  // Messages, and so ticks, get through only between archives; the clock runs regardless.
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - Run.StartedAt).count();
  const auto whole = static_cast<std::uint64_t>(std::max<decltype(seconds)>(seconds, 0));
  Run.ElapsedMinutes = static_cast<std::uint32_t>(std::min<std::uint64_t>(whole / 60, UINT32_MAX));
  Run.ElapsedSeconds = static_cast<std::uint8_t>(whole % 60);
}

// During a run the close box acts as Stop; the program closes once the run has ended.
bool TForm1::CanClose() {
  if (!running_) return true;
  BitBtn3Click();
  closeAfterRun_ = true;
  return false;
}

// Options and folders

void TForm1::TesteGo() {
  const bool anyOutput = CheckBox1.Checked() || CheckBox2.Checked() || CheckBox3.Checked() || CheckBox9.Checked();
  BitBtn2.SetEnabled(!Edit1.Text().empty() && !Edit3.Text().empty() && anyOutput);
}

void TForm1::BitBtn1Click() {
  if (const std::optional<std::string> folder = Form4->Execute("Where are the archives in?", "Set as Source")) {
    Edit1.SetText(*folder);
    if (Edit3.Text().empty()) Edit3.SetText(Edit1.Text());
    if (SpeedButton1.Down()) Edit3.SetText(Edit1.Text());
  }
  TesteGo();
}

void TForm1::BitBtn5Click() {
  // A cancelled choice leaves the target as it was.
  if (const std::optional<std::string> folder = Form4->Execute("Where to place the output files?", "Set as Target")) {
    Edit3.SetText(*folder);
  }
  TesteGo();
}

void TForm1::SpeedButton1Click() {
  if (running_) {
    // Ignored during a run: put the toggle back.
    SpeedButton1.SetDown(!SpeedButton1.Down());
    return;
  }
  if (SpeedButton1.Down()) Edit3.SetText(Edit1.Text());
}

void TForm1::UpDown1Click(ui::UpDown::Button button) {
  int n = 0;
  try {
    n = std::stoi(Label12.Caption());
  } catch (const std::exception&) {
    n = 6;
  }
  n += button == ui::UpDown::Button::Next ? 1 : -1;
  n = std::clamp(n, 3, 9);
  Label12.SetCaption(std::to_string(n));
}

void TForm1::TabControl1Change() {
  switch (TabControl1.TabIndex()) {
    case 0:
      ListView1.SetView(ui::ListView::ViewStyle::List);
      break;
    case 1:
      ListView1.SetView(ui::ListView::ViewStyle::Details);
      break;
    default:
      break;
  }
}

void TForm1::Image1Click() {
  if (running_) return;
  Hide();
  Form2->onClosed = [this] { Show(); };
  Form2->Show();
}

// Listing and sort

bool TForm1::ReadSourceDir() {
  SetStatus("Reading Directory");
  ListView1.Clear();
  int entries = 0;
  Run.RarCount = Run.AceCount = Run.ZipCount = 0;
  Label5.SetCaption("-");
  Label7.SetCaption("-");
  Label9.SetCaption("-");

  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((Edit1.Text() + "\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    ListView1.BeginUpdate();
    do {
      ++entries;
      const std::string name = entry.cFileName;
      const listing::ArchiveKind kind = listing::KindOfName(name);
      switch (kind) {
        case listing::ArchiveKind::Rar:
          ++Run.RarCount;
          break;
        case listing::ArchiveKind::Ace:
          ++Run.AceCount;
          break;
        case listing::ArchiveKind::Zip:
          ++Run.ZipCount;
          break;
        case listing::ArchiveKind::None:
          break;
      }
      if (kind != listing::ArchiveKind::None) {
        const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        FILETIME local;
        SYSTEMTIME time{};
        FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &time);
        ui::ListItem item;
        item.caption = name;
        item.subItems = {listing::FormatSize(size), listing::FormatListDate(time.wYear, time.wMonth, time.wDay)};
        item.stateIndex = static_cast<int>(kind);
        item.imageIndex = 0;
        ListView1.Add(std::move(item));
      }
      SetStatus("Archive " + std::to_string(entries));
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
    // No message is handled during the walk, so a counter shows only its last value: it is set once,
    // which spares a window round trip per archive.
    if (Run.AceCount > 0) Label5.SetCaption(std::to_string(Run.AceCount));
    if (Run.RarCount > 0) Label7.SetCaption(std::to_string(Run.RarCount));
    if (Run.ZipCount > 0) Label9.SetCaption(std::to_string(Run.ZipCount));
    ListView1.EndUpdate();
    SetStatus("");
  }
  return Run.RarCount + Run.AceCount + Run.ZipCount > 0;
}

void TForm1::ProbeArchives() {
  const int n = ListView1.Count();
  ProgressBar1.SetMax(n);
  ProgressBar1.SetVisible(true);
  int probed = 0, found = 0;
  // The source box is disabled during a run, so its text is read once.
  const std::string source = Edit1.Text() + "\\";
  for (int k = 0; k < n; ++k) {
    const bool extracted = EntpackeBeschreibung(source + ListView1.Item(k).caption);
    ListView1.SetImageIndex(k, extracted ? 1 : 2);
    ++probed;
    if (extracted) ++found;
    // Stop and the timer reach the job between archives, every few milliseconds.
    ui::Application::ProcessMessagesWhenDue();
    if (Run.StopRequested) {
      SetStatus("User Abort");
      break;
    }
    ProgressBar1.SetPosition(k);
    SetStatus("Scanning for file_id.diz " + std::to_string(k + 1) + "/" + std::to_string(n));
  }
  Run.ReportText += run_report::ProbeLine(probed, found);
  ProgressBar1.SetVisible(false);
}

void TForm1::ListView1ColumnClick(int column) {
  Run.SortColumn = column;
  if (Run.ListReady) ListView1.Sort();
}

int TForm1::ListView1Compare(const ui::ListItem& item1, const ui::ListItem& item2) {
  static const std::string none;
  auto texts = [](const ui::ListItem& item) {
    return listing::ItemTexts{item.caption, item.subItems.size() > 0 ? item.subItems[0] : none,
                              item.subItems.size() > 1 ? item.subItems[1] : none};
  };
  return listing::CompareItems(Run.SortColumn, texts(item1), texts(item2));
}

bool TForm1::EntpackeBeschreibung(const std::string& path) { return ::EntpackeBeschreibung(path, Run.TempDir); }

bool TForm1::AnalysiereBeschreibung() {
  const quennex::ReadOptions options{RadioGroup1.ItemIndex(), CheckBox4.Checked(), CheckBox5.Checked(), Run.ViewerMode};
  return quennex::AnalyseDescriptionFile(quennex::DescriptionFilePath(Run.TempDir), options, Run.Description);
}

void TForm1::ListView1DblClick() {
  Run.ViewerMode = true;
  const int selected = ListView1.Selected();
  if (selected >= 0) {
    const ui::ListItem& item = ListView1.Item(selected);
    if (item.imageIndex != 1) {
      ui::ShowPlainMessage("The red LED indicates that there is\rno description available.");
    } else if (!EntpackeBeschreibung(Edit1.Text() + "\\" + item.caption)) {
      ui::ShowPlainMessage("Error with depacking archive.\rTry again.");
    } else if (AnalysiereBeschreibung()) {
      Form3->ShowDescription(Run.Description);
    }
  }
  Run.ViewerMode = false;
}

// Catalogue writers

void TForm1::WriteFilesBbs() { RunWriter(quennex::Catalogue::kFilesBbs); }
void TForm1::WriteDescriptIon() { RunWriter(quennex::Catalogue::kDescriptIon); }
void TForm1::WriteFilesXls() { RunWriter(quennex::Catalogue::kFilesXls); }
void TForm1::WriteFilesCsv() { RunWriter(quennex::Catalogue::kFilesCsv); }

void TForm1::RunWriter(quennex::Catalogue catalogue) {
  quennex::WriterJob job;
  job.catalogue = catalogue;
  for (int i = 0; i < ListView1.Count(); ++i) {
    const ui::ListItem& item = ListView1.Item(i);
    job.items.push_back({item.caption, item.subItems.size() > 0 ? item.subItems[0] : std::string(),
                         item.subItems.size() > 1 ? item.subItems[1] : std::string(), item.imageIndex == 1});
  }
  job.source_folder = Edit1.Text();
  job.target_folder = Edit3.Text();
  job.custom = Edit2.Text();
  job.lines_to_take = RadioGroup1.ItemIndex();
  job.guess.detection_mode = RadioGroup2.ItemIndex();
  job.guess.min_word_length = std::atoi(Label12.Caption().c_str());
  job.guess.ask = CheckBox6.Checked();

  quennex::WriterHooks hooks;
  hooks.read_description = [this](int, const std::string& archive, quennex::DescriptionBuffer& buffer) {
    const bool read = EntpackeBeschreibung(archive) && AnalysiereBeschreibung();
    buffer = Run.Description;
    return read;
  };
  hooks.stop_requested = [this] {
    // Stop and the timer reach the job between archives, every few milliseconds.
    ui::Application::ProcessMessagesWhenDue();
    return Run.StopRequested;
  };
  hooks.begin_progress = [this](int max) {
    ProgressBar1.SetMax(max);
    ProgressBar1.SetVisible(true);
  };
  hooks.progress = [this](int position, const std::string& status) {
    ProgressBar1.SetPosition(position);
    SetStatus(status);
  };
  hooks.status = [this](const std::string& status) { SetStatus(status); };
  hooks.end_progress = [this] { ProgressBar1.SetVisible(false); };
  hooks.confirm_overwrite = [this](const std::string& path) { return ConfirmOverwrite(path); };
  hooks.open_text = [](const std::string& path) -> std::unique_ptr<quennex::TextOutput> {
    auto file = std::make_unique<CatalogueFile>(path);
    if (!file->ok()) return nullptr;
    return file;
  };
  hooks.save_sheet = [this](const std::string& path, const std::vector<quennex::SheetCell>& cells) {
    return SaveSheet(path, cells);
  };
  hooks.ask_user = [this](std::int32_t itemIndex, std::vector<std::string>& candidates) {
    return AskBestMatch(itemIndex, candidates);
  };

  quennex::DescriptionBuffer buffer = Run.Description;
  const quennex::WriterResult result = quennex::RunCatalogueWriter(job, buffer, Run.Guess, hooks);
  Run.Description = std::move(buffer);
  Run.ReportText += result.report_line;
  if (result.write_failed()) Run.WriteFailed = true;
}

// The best-match window over the candidates of list item itemIndex; "Stop asking" unticks the ask option.
quennex::BestMatch TForm1::AskBestMatch(std::int32_t itemIndex, const std::vector<std::string>& candidates) {
  const bool named = itemIndex >= 0 && itemIndex < ListView1.Count();
  const quennex::BestMatch answer = Form5->Ask(named ? ListView1.Item(itemIndex).caption : std::string(), candidates);
  if (answer.stop_asking) CheckBox6.SetChecked(false);
  return answer;
}

bool TForm1::SaveSheet(const std::string& path, const std::vector<quennex::SheetCell>& cells) {
  BiffSheet1.BeginSheet();
  BiffSheet1.SetFileName(path);
  for (const quennex::SheetCell& cell : cells) {
    switch (cell.kind) {
      case quennex::CellKind::kLabel:
        BiffSheet1.WriteLabelAt(cell.row, cell.column, cell.text.c_str());
        break;
      case quennex::CellKind::kString:
        BiffSheet1.WriteStringAt(cell.row, cell.column, cell.text);
        break;
      case quennex::CellKind::kNumber:
        BiffSheet1.WriteNumberAt(cell.row, cell.column, cell.number);
        break;
    }
  }
  BiffSheet1.EndSheet();
  // Rows never wrap: a sheet that ran out of rows is not written.
  if (BiffSheet1.Full()) return false;
  BiffSheet1.SaveToFile();
  return true;
}

bool TForm1::ConfirmOverwrite(const std::string& fileName) {
  if (!files::FileExists(fileName)) return true;
  if (!CheckBox7.Checked()) return true;
  return ui::ShowMessage(quennex::OverwriteQuestion(fileName), "Confirm", MB_YESNO | MB_ICONQUESTION) != IDNO;
}
