#pragma once
// What an extraction from an archive produced, kept per process so that asking again for the same
// unchanged archive decodes nothing. Bounded in entries and bytes; least recently used goes first.
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <functional>
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

// The size and last write time of the file at path, read without opening it; nothing for a folder
// or a file that cannot be seen.
std::optional<FileStamp> StampOf(const char* path);

// The files one call wrote, in order (name, bytes), and what it returned. A file written again
// under the same name keeps only its last bytes, so an outcome holds at most one copy per name.
struct Outcome {
  std::vector<std::pair<std::string, std::vector<char>>> files;
  int status = 0;
  bool complete = true;  // false once a write failed: such a call is not repeated from the cache

  void Written(std::string_view name, std::vector<char> data);
  std::size_t Bytes() const;
};

class OutcomeCache {
 public:
  OutcomeCache(std::size_t max_entries, std::size_t max_bytes) : max_entries_(max_entries), max_bytes_(max_bytes) {}

  // The outcome kept for key when it was stored with the same stamp; a different stamp drops it.
  std::optional<Outcome> Find(const std::string& key, const FileStamp& stamp);
  // Keeps outcome for key; one larger than a quarter of the byte bound is not kept.
  void Store(const std::string& key, const FileStamp& stamp, Outcome outcome);

  std::size_t entries() const { return order_.size(); }
  std::size_t bytes() const { return bytes_; }

 private:
  struct Node {
    std::string key;
    FileStamp stamp;
    Outcome outcome;
    std::size_t bytes;
  };
  void Drop(std::list<Node>::iterator node);

  std::size_t max_entries_;
  std::size_t max_bytes_;
  std::size_t bytes_ = 0;
  std::list<Node> order_;  // most recently used first
  std::unordered_map<std::string, std::list<Node>::iterator> index_;
};

// The cache the DLL's calls share, locked around each use.
std::optional<Outcome> FindOutcome(const std::string& key, const FileStamp& stamp);
void StoreOutcome(const std::string& key, const FileStamp& stamp, Outcome outcome);

// Answers a call that extracts the files named spec from archive into folder: from the cache when
// the archive is unchanged and every kept file can be written again, else by decode, whose outcome
// is kept unless it is open_failed or incomplete.
int CachedExtraction(const char* archive, const char* spec, const char* folder, int open_failed,
                     const std::function<int(Outcome&)>& decode);

}  // namespace outside
