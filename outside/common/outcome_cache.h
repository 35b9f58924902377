#pragma once
// What calls on an archive produced, kept per process so that asking again for the same unchanged
// archive decodes nothing. Bounded in entries and bytes; the least recently used goes first, but only
// once it is a while unused, so passes over a folder larger than the bounds still find the part kept.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace outside {

// An archive file as seen on disk; a change of either field means the file changed.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t write_time = 0;
  bool operator==(const FileStamp&) const = default;
};

// The size and last write time of the file at path, read without opening it. Nothing for a folder,
// a file that cannot be seen, or one written in the last two seconds: a file rewritten within the
// clock's step would keep its stamp, so only a settled file is worth keeping anything for.
std::optional<FileStamp> SettledStampOf(const char* path);

// Milliseconds on a steady clock, as the cache's callers count them.
std::uint64_t NowMs();

// Failures that the archive's bytes did not decide: a file read that failed, memory that ran out.
// The readers note each one; nothing decoded while one was noted is kept.
void NoteTransientFailure();
// How many were noted in this library so far.
std::uint32_t TransientFailures();

// What a heap block of size bytes takes, with the allocator's header and rounding; 0 for none.
constexpr std::size_t HeapBlock(std::size_t size) { return size == 0 ? 0 : (size + 16 + 15) / 16 * 16; }
// What a text takes on the heap beyond its own object: nothing while it fits inside that.
inline std::size_t HeapBytes(const std::string& text) {
  return text.capacity() > std::string().capacity() ? HeapBlock(text.capacity() + 1) : 0;
}
inline std::size_t HeapBytes(const std::vector<char>& data) { return HeapBlock(data.capacity()); }

// data in a buffer of its exact size where one can be had: a buffer grown as bytes came in may have
// room for twice as many. Never throws, so a file already written is never reported as failed.
std::vector<char> Trimmed(std::vector<char>&& data);

// Values keyed by a text and the stamp of the file they came from. Value has Bytes(), its size.
template <typename Value>
class StampedCache {
 public:
  // An entry used less than this long ago is not evicted for a new one: a folder with more archives
  // than the bounds would otherwise push every entry out, pass after pass, before it is asked for again.
  static constexpr std::uint64_t kKeptUnusedMs = 60'000;

  StampedCache(std::size_t max_entries, std::size_t max_bytes) : max_entries_(max_entries), max_bytes_(max_bytes) {}

  // The value kept for key when it was stored with the same stamp; a different stamp drops it.
  std::shared_ptr<const Value> Find(const std::string& key, const FileStamp& stamp, std::uint64_t now_ms) {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    if (found->second->stamp != stamp) {
      Drop(found->second);
      return nullptr;
    }
    found->second->used_ms = now_ms;
    order_.splice(order_.begin(), order_, found->second);
    return order_.front().value;
  }

  // Keeps value for key, unless it is larger than a quarter of the byte bound or keeping it would
  // evict an entry used in the last kKeptUnusedMs.
  void Store(const std::string& key, const FileStamp& stamp, std::shared_ptr<const Value> value, std::uint64_t now_ms) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (const auto found = index_.find(key); found != index_.end()) Drop(found->second);
    const std::size_t bytes = value->Bytes() + 2 * HeapBytes(key) + kEntryOverhead;
    if (bytes > max_bytes_ / 4 || max_entries_ == 0) return;
    while (!order_.empty() && (order_.size() >= max_entries_ || bytes_ + bytes > max_bytes_)) {
      const auto oldest = std::prev(order_.end());
      if (now_ms - oldest->used_ms < kKeptUnusedMs) return;
      Drop(oldest);
    }
    order_.push_front(Node{key, stamp, std::move(value), bytes, now_ms});
    try {
      index_[key] = order_.begin();
    } catch (...) {
      order_.pop_front();
      throw;
    }
    bytes_ += bytes;
  }

  std::size_t entries() const { return order_.size(); }
  std::size_t bytes() const { return bytes_; }

 private:
  struct Node {
    std::string key;
    FileStamp stamp;
    std::shared_ptr<const Value> value;
    std::size_t bytes;
    std::uint64_t used_ms;
  };
  // The list node, the index node with its copy of the key and its bucket, the value's shared count.
  static constexpr std::size_t kEntryOverhead = HeapBlock(sizeof(Node) + 2 * sizeof(void*)) +
                                                HeapBlock(sizeof(std::string) + 4 * sizeof(void*)) + sizeof(void*) +
                                                HeapBlock(4 * sizeof(void*));
  void Drop(typename std::list<Node>::iterator node) {
    bytes_ -= node->bytes;
    index_.erase(node->key);
    order_.erase(node);
  }

  std::mutex lock_;
  std::size_t max_entries_;
  std::size_t max_bytes_;
  std::size_t bytes_ = 0;
  std::list<Node> order_;  // most recently used first
  std::unordered_map<std::string, typename std::list<Node>::iterator> index_;
};

// Enough for the descriptions of several thousand archives of one kind.
inline constexpr std::size_t kCachedArchives = 8192;
inline constexpr std::size_t kCachedBytes = std::size_t{16} << 20;

// The files one call wrote, in order (name, bytes), and what it returned. A file written again
// under the same name keeps only its last bytes, so an outcome holds at most one copy per name.
struct Outcome {
  std::vector<std::pair<std::string, std::vector<char>>> files;
  int status = 0;
  bool complete = true;  // false once a write failed: such a call is not repeated from the cache

  void Written(std::string_view name, std::vector<char> data);
  // The memory it holds.
  std::size_t Bytes() const;
};

// Answers a call that extracts the files named spec from archive into folder: from the cache when
// the archive is unchanged, else by decode. Its outcome is kept only when the archive's bytes alone
// decided it: not open_failed, not incomplete, no transient failure noted meanwhile, no exception.
// A kept file that cannot be written again sends the call to decode.
int CachedExtraction(const char* archive, const char* spec, const char* folder, int open_failed,
                     const std::function<int(Outcome&)>& decode);

}  // namespace outside
