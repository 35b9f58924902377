// extraction_bench make FOLDER COUNT: writes COUNT ZIP and COUNT RAR archives of about 60 KB, each
//   with file_id.diz behind a larger member.
// extraction_bench make-legacy FOLDER COUNT FIXTURES: writes COUNT ZIP archives of the old PKZIP
//   methods, half Shrink and half Implode, from members of the real archives in FIXTURES\legacy,
//   each with file_id.diz behind a larger member.
// extraction_bench make-ace FOLDER COUNT: writes COUNT ACE archives of stored members, as large, each
//   with file_id.diz behind a larger member.
// extraction_bench run FOLDER [PATTERN...]: extracts every archive's file_id.diz as the probe pass
//   does, once to warm the caches and five times timed, and prints archives per second for each
//   pattern (default *.zip and *.rar).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "seconds.h"
#include "UnAceV2.h"
#include "ace_writer.h"
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

// 58,000 bytes of noise that deflate cannot shrink, so the ZIP is as large as the RAR.
std::string Filler(unsigned& seed) {
  std::string filler;
  while (filler.size() < 58000) {
    seed = seed * 1103515245 + 12345;
    filler += static_cast<char>(seed >> 16);
  }
  return filler;
}

std::string Description(int i) { return "PROGRAM " + std::to_string(i) + " v1.0 - a tool\r\nSecond line\r\n"; }

int Make(const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  unsigned seed = 12345;
  for (int i = 0; i < count; ++i) {
    const std::string filler = Filler(seed);
    const std::string diz = Description(i);
    const std::vector<makers::Entry> entries = {{"program.exe", filler}, {"file_id.diz", diz}};
    char name[32];
    std::snprintf(name, sizeof name, "\\a%04d.zip", i);
    Save(folder + name, makers::MakeZip(entries, makers::ZipMethod::kDeflate));
    std::snprintf(name, sizeof name, "\\a%04d.rar", i);
    Save(folder + name, makers::MakeRar4(entries));
  }
  return 0;
}

int MakeAce(const std::string& folder, int count) {
  CreateDirectoryA(folder.c_str(), nullptr);
  unsigned seed = 12345;
  for (int i = 0; i < count; ++i) {
    const std::vector<std::uint8_t> archive = ace_testing::MakeStoredArchive(
        {{"program.exe", ace_testing::Bytes(Filler(seed))}, {"file_id.diz", ace_testing::Bytes(Description(i))}});
    char name[32];
    std::snprintf(name, sizeof name, "\\e%04d.ace", i);
    Save(folder + name, makers::Bytes(archive.begin(), archive.end()));
  }
  return 0;
}

makers::Bytes Load(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  makers::Bytes bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(file);
  return bytes;
}

int MakeLegacy(const std::string& folder, int count, const std::string& fixtures) {
  CreateDirectoryA(folder.c_str(), nullptr);
  // A 15 KB text shrunk behind an 81-byte shrunk one; a 45 KB program imploded behind 818 bytes of
  // imploded text.
  const makers::Bytes reduced = Load(fixtures + "\\legacy\\sharpcompress__Zip.reduce1.zip");
  const makers::Bytes shrunk = Load(fixtures + "\\legacy\\commons-compress__SHRUNK.ZIP");
  const makers::Bytes imploded = Load(fixtures + "\\legacy\\sharpcompress__Zip.implode.zip");
  const makers::Bytes header = Load(fixtures + "\\legacy\\commons-compress__imploding-4Kdict-2trees.zip");
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d", i);
    if (i % 2 == 0) {
      Save(folder + "\\s" + name + ".zip",
           makers::CopyZipMembers({{&reduced, 0, std::string("READ") + name + ".TXT"}, {&shrunk, 1, "file_id.diz"}}));
    } else {
      Save(folder + "\\i" + name + ".zip",
           makers::CopyZipMembers({{&imploded, 0, std::string("PROG") + name + ".EXE"}, {&header, 0, "file_id.diz"}}));
    }
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

int Run(const std::string& folder, const std::vector<std::string>& patterns) {
  UnAceV2Initialize();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (const std::string& pattern : patterns) {
    const auto paths = List(folder, pattern.c_str());
    if (paths.empty()) continue;
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
        "wine   %-6s quennex extraction loop: %5zu archives, %5d found, %7.0f archives/s (warm, median; best %.0f)\n",
        pattern.c_str(), paths.size(), found, rates[rates.size() / 2], rates.back());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "make") return Make(argv[2], std::atoi(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "make-ace") return MakeAce(argv[2], std::atoi(argv[3]));
  if (argc == 5 && std::string(argv[1]) == "make-legacy") return MakeLegacy(argv[2], std::atoi(argv[3]), argv[4]);
  if (argc >= 3 && std::string(argv[1]) == "run") {
    std::vector<std::string> patterns(argv + 3, argv + argc);
    if (patterns.empty()) patterns = {"*.zip", "*.rar"};
    return Run(argv[2], patterns);
  }
  std::fprintf(stderr,
               "usage: extraction_bench make|make-ace FOLDER COUNT | make-legacy FOLDER COUNT FIXTURES | run FOLDER "
               "[PATTERN...]\n");
  return 2;
}
