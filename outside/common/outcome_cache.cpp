#include "outcome_cache.h"

#include <windows.h>

#include <atomic>

#include "file_names.h"
#include "file_target.h"

namespace outside {

std::optional<FileStamp> SettledStampOf(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  FileStamp stamp;
  stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.write_time = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  FILETIME now_time;
  GetSystemTimeAsFileTime(&now_time);
  const std::uint64_t now = (std::uint64_t{now_time.dwHighDateTime} << 32) | now_time.dwLowDateTime;
  constexpr std::uint64_t kSettled = 2 * 10'000'000;  // 100 ns units
  if (stamp.write_time > now || now - stamp.write_time < kSettled) return std::nullopt;
  return stamp;
}

std::uint64_t NowMs() {
  LARGE_INTEGER frequency, count;
  if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count) || frequency.QuadPart <= 0) return 0;
  const std::uint64_t ticks = static_cast<std::uint64_t>(count.QuadPart);
  const std::uint64_t per_second = static_cast<std::uint64_t>(frequency.QuadPart);
  return ticks / per_second * 1000 + ticks % per_second * 1000 / per_second;
}

namespace {

std::atomic<std::uint32_t> transient_failures{0};

}  // namespace

void NoteTransientFailure() { ++transient_failures; }

std::uint32_t TransientFailures() { return transient_failures.load(); }

std::vector<char> Trimmed(std::vector<char>&& data) {
  // Where no exact-size copy can be had the bytes stay as they are: the count follows the capacity.
  data.shrink_to_fit();
  return std::move(data);
}

void Outcome::Written(std::string_view name, std::vector<char> data) {
  for (auto kept = files.begin(); kept != files.end(); ++kept) {
    if (SameFileName(kept->first, name)) {
      files.erase(kept);
      break;
    }
  }
  files.emplace_back(std::string(name), Trimmed(std::move(data)));
}

std::size_t Outcome::Bytes() const {
  std::size_t total = HeapBlock(sizeof *this) + HeapBlock(files.capacity() * sizeof(files[0]));
  for (const auto& [name, data] : files) total += HeapBytes(name) + HeapBytes(data);
  return total;
}

int CachedExtraction(const char* archive, const char* spec, const char* folder, int open_failed,
                     const std::function<int(Outcome&)>& decode) {
  static StampedCache<Outcome> cache(kCachedArchives, kCachedBytes);
  const std::optional<FileStamp> stamp = SettledStampOf(archive);
  // '|' stands in no Windows path, so archive and spec cannot run into each other.
  const std::string key = std::string(archive) + '|' + spec;
  if (stamp) {
    if (const auto kept = cache.Find(key, *stamp, NowMs())) {
      bool written = true;
      for (const auto& [name, data] : kept->files) written = ReplaceFileWith(JoinPath(folder, name), data) && written;
      if (written) return kept->status;
    }
  }
  auto outcome = std::make_shared<Outcome>();
  const std::uint32_t failures_before = TransientFailures();
  outcome->status = decode(*outcome);
  if (stamp && outcome->complete && outcome->status != open_failed && TransientFailures() == failures_before) {
    outcome->files.shrink_to_fit();
    cache.Store(key, *stamp, outcome, NowMs());
  }
  return outcome->status;
}

}  // namespace outside
