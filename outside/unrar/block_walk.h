#pragma once
// libarchive 3.6.2 reads some RAR 4 blocks whole into memory at the size their header declares (a
// service block, a stored link), and reads past a file header's end when its size field is too small
// for the fields it announces. This walks the blocks ahead of it, the way its reader takes them, to
// find the first block it must not be given.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace unrar {

// A block that libarchive reads whole may be this large at most.
constexpr std::uint64_t kMaxWholeBlock = 16u << 20;

// Reads up to size bytes at offset into out; returns the count read.
using ReadAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* out, std::size_t size)>;

// The number of file entries libarchive may return before its next header read would go past the
// end of the file, read a block whole beyond kMaxWholeBlock or the end of the file, or misread a
// header. nullopt when it never would or the file is no RAR 4 archive.
std::optional<std::uint32_t> EntriesBeforeHazard(const ReadAt& read, std::uint64_t file_size);

}  // namespace unrar
