#pragma once
// An archive file read through Win32 calls, for our own archive readers.
#include <windows.h>

#include "byte_source.h"

namespace outside {

class FileSource : public ByteSource {
 public:
  // Opened for reading; others may go on reading and writing it.
  explicit FileSource(const char* path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) override;

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::uint64_t size_ = 0;
};

}  // namespace outside
