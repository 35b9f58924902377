#pragma once
// libarchive checks the CRC of compressed RAR entries but not of stored ones; this reads the
// stored CRC from the entry's header in the archive file.
#include <cstdint>
#include <string>

namespace unrar {

enum class CrcCheck { kMatches, kDiffers, kNotApplicable };

// header_position is where libarchive started reading the entry's header blocks. kNotApplicable
// when the entry is not stored, carries no CRC, or its header cannot be found there.
CrcCheck CheckStoredCrc(const std::string& archive_path, std::int64_t header_position, bool rar5, std::uint32_t crc);

}  // namespace unrar
