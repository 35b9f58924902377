#pragma once
// Result codes and operations of unrar.dll.

// Results of every call and of the open record's open_result.
enum RarResult : int {
  kRarOk = 0,
  kRarEndOfArchive = 1,  // RARReadHeader: no further entry
  kRarBadData = 2,       // damaged archive or entry, CRC mismatch, unsupported method or encryption
  kRarNotArchive = 3,    // the file is no RAR archive this library reads
  kRarOpenFailed = 4,    // the archive file cannot be opened
  kRarWriteFailed = 5,   // the target file cannot be created or replaced
  kRarTooLarge = 6,      // the entry unpacks to more than 1 MiB
  kRarUnsafeName = 7,    // the entry's name cannot be a file name inside the destination folder
  kRarBadArgument = 8,   // null handle or record, unknown operation, no current entry
  kRarNoMemory = 9,
};

enum RarOperation : int { kRarSkip = 0, kRarTest = 1, kRarExtract = 2 };
