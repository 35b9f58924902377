// The probe pass of the main window itself over a folder of archives: listing, then every archive's
// file_id.diz extracted and its LED set, with window messages let through after each archive.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Application.h"
#include "program.h"
#include "quenbbs.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency{};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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
    ReportText.clear();
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

  // Files.BBS over the probed archives: two passes, each extracting and reading every description.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  f.Edit3.SetText(temp);
  f.CheckBox7.SetChecked(false);
  const double start = Seconds();
  f.WriteFilesBbs();
  const double seconds = Seconds() - start;
  std::printf("wine   all  quennex Files.BBS writer:  %5d archives in %.1f s, %7.0f archives/s (two passes)\n", n,
              seconds, n / seconds);
  DeleteFileA((std::string(temp) + "Files.BBS").c_str());
  DestroyQuennexForms();
  ui::Application::Finalize();
  return 0;
}
