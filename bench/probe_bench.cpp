// The probe pass of the main window itself over a folder of archives: listing, then every archive's
// file_id.diz extracted and its LED set, with window messages let through after each archive.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "seconds.h"
#include "Application.h"
#include "Graphics.h"
#include "program.h"
#include "quenbbs.h"
#include "viewer.h"

namespace {

double WorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: probe_bench FOLDER\n");
    return 2;
  }
  ui::Application::Initialize();
  ui::Application::SetTitle("Vellmark Quennick Extractor");
  CreateQuennexForms();
  TForm1& f = *Form1;
  f.Edit1.SetText(argv[1]);
  if (!f.ReadSourceDir()) {
    std::fprintf(stderr, "no archives in %s\n", argv[1]);
    return 1;
  }
  const int n = f.ListView1.Count();
  // One pass warms the caches; of five timed passes the median is shown. Memory is read after each.
  std::vector<double> rates, memory;
  int found = 0;
  for (int pass = 0; pass < 6; ++pass) {
    f.Run.ReportText.clear();
    const double start = Seconds();
    f.ProbeArchives();
    const double seconds = Seconds() - start;
    if (pass > 0) rates.push_back(n / seconds);
    memory.push_back(WorkingSetMiB());
  }
  for (int i = 0; i < n; ++i) found += f.ListView1.Item(i).imageIndex == 1 ? 1 : 0;
  std::sort(rates.begin(), rates.end());
  std::printf(
      "wine   all  quennex probe pass:        %5d archives, %5d green, %7.0f archives/s (warm, median; best %.0f)\n", n,
      found, rates[rates.size() / 2], rates.back());
  std::printf("wine   all  working set after passes 1..6: ");
  for (double mib : memory) std::printf("%.1f ", mib);
  std::printf("MiB\n");

  // Where one writer pass spends its time per archive: the extraction, the reading, and the rest
  // (messages let through, status and progress, the buffer handed over).
  {
    const std::string source = f.Edit1.Text() + "\\";
    double extracting = 0, reading = 0, rest = 0;
    for (int i = 0; i < n; ++i) {
      const double t0 = Seconds();
      f.EntpackeBeschreibung(source + f.ListView1.Item(i).caption);
      const double t1 = Seconds();
      f.AnalysiereBeschreibung();
      const double t2 = Seconds();
      const quennex::DescriptionBuffer buffer = f.Run.Description;
      ui::Application::ProcessMessagesWhenDue();
      f.StatusBar1.SetSimpleText("Generating " + std::to_string(i));
      f.ProgressBar1.SetPosition(i);
      const double t3 = Seconds();
      extracting += t1 - t0;
      reading += t2 - t1;
      rest += t3 - t2;
    }
    std::printf("wine   all  one writer pass, per archive:     extract %.0f us, read %.0f us, rest %.0f us\n",
                extracting * 1e6 / n, reading * 1e6 / n, rest * 1e6 / n);
  }
  // Each writer alone over the probed archives, then a whole run of Go with every catalogue ticked.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  f.Edit3.SetText(temp);
  f.CheckBox7.SetChecked(false);  // no overwrite questions
  f.CheckBox8.SetChecked(false);  // no report box
  f.Run.StopRequested = false;
  const struct {
    const char* name;
    void (TForm1::*write)();
  } writers[] = {{"Files.BBS writer (2 passes)", &TForm1::WriteFilesBbs},
                 {"Descript.ION writer (2 passes)", &TForm1::WriteDescriptIon},
                 {"Files.xls writer", &TForm1::WriteFilesXls},
                 {"Files.csv writer", &TForm1::WriteFilesCsv}};
  for (const auto& writer : writers) {
    const double start = Seconds();
    (f.*writer.write)();
    const double seconds = Seconds() - start;
    std::printf("wine   all  %-32s %5d archives in %5.1f s, %7.0f archives/s\n", writer.name, n, seconds, n / seconds);
  }

  // Stop is answered when messages run: the longest gap between two ticks of a 10 ms timer is the
  // longest a click on Stop could wait. Three whole runs of Go with every catalogue ticked; the
  // median is shown, and memory is read after each.
  double lastTick = 0, longestGap = 0;
  ui::Timer probe(10, false);
  probe.onTimer = [&] {
    const double now = Seconds();
    if (lastTick > 0) longestGap = std::max(longestGap, now - lastTick);
    lastTick = now;
  };
  for (ui::CheckBox* box : {&f.CheckBox1, &f.CheckBox2, &f.CheckBox3, &f.CheckBox9}) box->SetChecked(true);
  f.RadioGroup1.SetItemIndex(2);  // guess mode
  f.CheckBox6.SetChecked(false);  // ask off
  std::vector<double> runs;
  memory.clear();
  for (int run = 0; run < 3; ++run) {
    lastTick = 0;
    probe.SetEnabled(true);
    const double start = Seconds();
    f.BitBtn2Click();
    runs.push_back(Seconds() - start);
    probe.SetEnabled(false);
    memory.push_back(WorkingSetMiB());
  }
  std::sort(runs.begin(), runs.end());
  std::printf("wine   all  whole run of Go, 4 catalogues:   %5d archives in %5.1f s, %7.0f archives/s", n, runs[1],
              n / runs[1]);
  std::printf(" (median of 3; best %.0f)\n", n / runs[0]);
  std::printf("wine   all  longest wait for Stop during the runs: %.0f ms\n", longestGap * 1000);
  std::printf("wine   all  working set after runs 1..3: ");
  for (double mib : memory) std::printf("%.1f ", mib);
  std::printf("MiB\n");
  for (const char* name : {"Files.BBS", "Descript.ION", "Files.xls", "Files.csv"}) {
    DeleteFileA((std::string(temp) + name).c_str());
  }
  DestroyQuennexForms();
  ui::Application::Finalize();
  return 0;
}
