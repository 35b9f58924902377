// Draws the windows of quennex as a user meets them: the main window before and after a run over the demo
// archives, the report, the options, the folder picker, the viewer, the best-match window and the credits.
// Usage: quennex_pictures FOLDER (with QUENNEX_SOURCE_DIR naming the repository, as for the tests)
#include <cstdio>

#include "Application.h"
#include "Dialogs.h"
#include "UnAceV2.h"
#include "about.h"
#include "box_picture.h"
#include "dirs.h"
#include "program.h"
#include "quenbbs.h"
#include "raten.h"
#include "test_support.h"
#include "viewer.h"

namespace {

const char kArchives[] = "C:\\Archives";

// The demo archives, dated 07-14-03 noon, in a folder whose name reads well in a picture.
bool CopyDemo() {
  const std::string demo = testing_support::SourceDir() + "\\demo";
  testing_support::RemoveRecursively(kArchives);  // with the catalogues of an earlier drawing
  CreateDirectoryA(kArchives, nullptr);
  SYSTEMTIME noon{2003, 7, 0, 14, 12, 0, 0, 0};
  FILETIME local, utc;
  SystemTimeToFileTime(&noon, &local);
  LocalFileTimeToFileTime(&local, &utc);
  int copied = 0;
  for (const char* name : {"BBSTOOLS.ZIP", "DIZVIEW.ZIP", "FASTMAIL.RAR", "NODIZ.ZIP", "QWKREAD.RAR", "TETRIX.ZIP"}) {
    const std::string copy = std::string(kArchives) + "\\" + name;
    if (!CopyFileA((demo + "\\" + name).c_str(), copy.c_str(), FALSE)) continue;
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
    ++copied;
  }
  return copied == 6;
}

int IndexOf(const std::string& name) {
  for (int i = 0; i < Form1->ListView1.Count(); ++i) {
    if (Form1->ListView1.Item(i).caption == name) return i;
  }
  return 0;
}

// A modal showing answered here: the form is shown, pictured and closed with the given result.
int PictureOfModal(ui::Form& form, const std::string& folder, const std::string& name, int result) {
  form.Show();
  Settle();
  Picture(form.hwnd(), folder, name);
  form.Hide();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quennex_pictures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!CopyDemo()) {
    std::fprintf(stderr, "the demo archives were not found below QUENNEX_SOURCE_DIR\n");
    return 1;
  }
  UnAceV2Initialize();
  ui::Application::Initialize();
  ui::Application::SetTitle("Vellmark Quennick Extractor");
  CreateQuennexForms();
  TForm1& f = *Form1;

  f.Edit1.SetText(kArchives);
  f.Edit3.SetText(kArchives);
  f.CheckBox9.SetChecked(true);
  f.TesteGo();
  f.Show();
  Settle();
  Picture(f.hwnd(), folder, "main-before");

  f.PageControl1.SetActivePage(1);
  Settle();
  Picture(f.hwnd(), folder, "main-options");
  f.PageControl1.SetActivePage(0);

  Form4->SetCaption("Where are the archives in?");
  Form4->Button1.SetText("Set as Source");
  Form4->ShellTreeView1.SetPath(kArchives);
  Form4->Show();
  Settle(800);
  Picture(Form4->hwnd(), folder, "folder-picker");
  Form4->Hide();

  {
    BoxPicture report("Vellmark Quennick Extractor", folder, "report");
    f.BitBtn2Click();
  }
  f.TabControl1.SetTabIndex(1);
  f.TabControl1Change();
  Settle();
  Picture(f.hwnd(), folder, "main-after");

  ui::SetModalResponder([&](ui::Form& form) { return PictureOfModal(form, folder, "viewer", ui::mrOk); });
  f.ListView1.Select(IndexOf("BBSTOOLS.ZIP"));
  f.ListView1DblClick();
  ui::SetModalResponder({});

  // The lines a guess in ask mode would offer for one of the archives.
  ui::SetModalResponder([&](ui::Form& form) { return PictureOfModal(form, folder, "best-match", ui::mrOk); });
  Form5->Ask("QWKREAD.RAR",
             {"QWK Reader Deluxe", "Offline mail reader for QWK packets.", "Needs 386 or better. Version 4.2"});
  ui::SetModalResponder({});

  f.Image1Click();
  Form2->SmallX = Form2->SmallWidth / 2;  // both texts well under way
  Form2->BigX = 600;
  Settle(1500);
  Picture(Form2->hwnd(), folder, "credits");
  Form2->Close();
  Settle();
  f.Hide();

  DestroyQuennexForms();
  ui::Application::Finalize();
  UnAceV2Finalize();
  return 0;
}
