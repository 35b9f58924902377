// extraction_bench make FOLDER COUNT: writes COUNT ZIP and COUNT RAR archives of about 60 KB, each
//   with file_id.diz behind a larger member.
// extraction_bench run FOLDER: extracts every archive's file_id.diz as the probe pass does, once to
//   warm the caches and five times timed, and prints archives per second for each kind.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "seconds.h"
#include "archive_makers.h"
#include "extraction.h"

namespace {

void Save(const std::string& path, const makers::Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

int Make(const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  unsigned seed = 12345;
  for (int i = 0; i < count; ++i) {
    std::string filler;
    // Noise that deflate cannot shrink, so the ZIP is as large as the RAR.
    while (filler.size() < 58000) {
      seed = seed * 1103515245 + 12345;
      filler += static_cast<char>(seed >> 16);
    }
    const std::string diz = "PROGRAM " + std::to_string(i) + " v1.0 - a tool\r\nSecond line\r\n";
    const std::vector<makers::Entry> entries = {{"program.exe", filler}, {"file_id.diz", diz}};
    char name[32];
    std::snprintf(name, sizeof name, "\\a%04d.zip", i);
    Save(folder + name, makers::MakeZip(entries, makers::ZipMethod::kDeflate));
    std::snprintf(name, sizeof name, "\\a%04d.rar", i);
    Save(folder + name, makers::MakeRar4(entries));
  }
  return 0;
}

std::vector<std::string> List(const std::string& folder, const char* pattern) {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return paths;
  do {
    paths.push_back(folder + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return paths;
}

int Run(const std::string& folder) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (const char* pattern : {"*.zip", "*.rar"}) {
    const auto paths = List(folder, pattern);
    // One pass warms the caches; of five timed passes the median is shown, with the best.
    int found = 0;
    std::vector<double> rates;
    for (int pass = 0; pass < 6; ++pass) {
      found = 0;
      const double start = Seconds();
      for (const auto& path : paths) found += EntpackeBeschreibung(path, temp) ? 1 : 0;
      if (pass > 0) rates.push_back(static_cast<double>(paths.size()) / (Seconds() - start));
    }
    std::sort(rates.begin(), rates.end());
    std::printf(
        "wine   %-4s quennex extraction loop:   %5zu archives, %5d found, %7.0f archives/s (warm, median; best %.0f)\n",
        pattern + 2, paths.size(), found, rates[rates.size() / 2], rates.back());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "make") return Make(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::string(argv[1]) == "run") return Run(argv[2]);
  std::fprintf(stderr, "usage: extraction_bench make FOLDER COUNT | run FOLDER\n");
  return 2;
}
