#include "outcome_cache.h"

#include <windows.h>

#include "entry_writer.h"
#include "file_names.h"

namespace outside {

std::optional<FileStamp> StampOf(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  FileStamp stamp;
  stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.write_time = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

void Outcome::Written(std::string_view name, std::vector<char> data) {
  for (auto kept = files.begin(); kept != files.end(); ++kept) {
    if (SameFileName(kept->first, name)) {
      files.erase(kept);
      break;
    }
  }
  files.emplace_back(std::string(name), std::move(data));
}

std::size_t Outcome::Bytes() const {
  std::size_t total = sizeof *this;
  for (const auto& [name, data] : files) total += name.size() + data.size() + sizeof(files[0]);
  return total;
}

std::optional<Outcome> OutcomeCache::Find(const std::string& key, const FileStamp& stamp) {
  const auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  if (found->second->stamp != stamp) {
    Drop(found->second);
    return std::nullopt;
  }
  order_.splice(order_.begin(), order_, found->second);
  return order_.front().outcome;
}

void OutcomeCache::Store(const std::string& key, const FileStamp& stamp, Outcome outcome) {
  if (const auto found = index_.find(key); found != index_.end()) Drop(found->second);
  const std::size_t bytes = outcome.Bytes() + 2 * key.size() + sizeof(Node);
  if (bytes > max_bytes_ / 4 || max_entries_ == 0) return;
  while (!order_.empty() && (order_.size() >= max_entries_ || bytes_ + bytes > max_bytes_)) {
    Drop(std::prev(order_.end()));
  }
  order_.push_front(Node{key, stamp, std::move(outcome), bytes});
  try {
    index_[key] = order_.begin();
  } catch (...) {
    order_.pop_front();
    throw;
  }
  bytes_ += bytes;
}

void OutcomeCache::Drop(std::list<Node>::iterator node) {
  bytes_ -= node->bytes;
  index_.erase(node->key);
  order_.erase(node);
}

namespace {

// Enough for the descriptions of a few thousand archives.
constexpr std::size_t kMaxEntries = 4096;
constexpr std::size_t kMaxBytes = std::size_t{8} << 20;

struct SharedCache {
  SharedCache() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  OutcomeCache cache{kMaxEntries, kMaxBytes};
};

SharedCache& Shared() {
  static SharedCache shared;
  return shared;
}

}  // namespace

std::optional<Outcome> FindOutcome(const std::string& key, const FileStamp& stamp) {
  SharedCache& shared = Shared();
  EnterCriticalSection(&shared.lock);
  std::optional<Outcome> outcome;
  try {
    outcome = shared.cache.Find(key, stamp);
  } catch (...) {
    outcome.reset();
  }
  LeaveCriticalSection(&shared.lock);
  return outcome;
}

void StoreOutcome(const std::string& key, const FileStamp& stamp, Outcome outcome) {
  SharedCache& shared = Shared();
  EnterCriticalSection(&shared.lock);
  try {
    shared.cache.Store(key, stamp, std::move(outcome));
  } catch (...) {
    // Not kept: the next call decodes again.
  }
  LeaveCriticalSection(&shared.lock);
}

int CachedExtraction(const char* archive, const char* spec, const char* folder, int open_failed,
                     const std::function<int(Outcome&)>& decode) {
  const std::optional<FileStamp> stamp = StampOf(archive);
  // '|' stands in no Windows path, so archive and spec cannot run into each other.
  const std::string key = std::string(archive) + '|' + spec;
  if (stamp) {
    if (const std::optional<Outcome> kept = FindOutcome(key, *stamp)) {
      bool written = true;
      for (const auto& [name, data] : kept->files) written = ReplaceFileWith(JoinPath(folder, name), data) && written;
      if (written) return kept->status;
    }
  }
  Outcome outcome;
  const int status = decode(outcome);
  outcome.status = status;
  if (stamp && outcome.complete && status != open_failed) StoreOutcome(key, *stamp, std::move(outcome));
  return status;
}

}  // namespace outside
