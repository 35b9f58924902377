#pragma once
// Unzipw32.dll: extracts the files of a given name from a ZIP archive.
#include <cstdint>

// Results below 1.
enum UnzipResult : std::int32_t {
  kUnzipNothingExtracted = 0,  // no entry of that name, or none could be extracted
  kUnzipBadArgument = -1,      // a null or empty argument
  kUnzipOpenFailed = -2,       // the archive cannot be opened or is no ZIP archive
  kUnzipBadArchive = -3,       // the archive's directory is damaged and nothing was extracted
};

// Extracts every entry whose file name equals file_spec, case-blind, from whatever folder of the
// archive it stands in, as that file name directly inside dest_folder. Entries over 1 MiB, damaged
// ones and those failing their CRC are not written. Returns the number of files written.
extern "C" std::int32_t __stdcall FileUnzipEx(const char* archive_path, const char* dest_folder, const char* file_spec);
