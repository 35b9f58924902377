#pragma once
// libarchive checks the CRC of compressed RAR entries but not of stored ones; this reads the
// stored CRC from the entry's header.
#include <cstdint>
#include <vector>

namespace unrar {

enum class CrcCheck { kMatches, kDiffers, kNotApplicable };

// blocks are the archive's bytes from where libarchive began reading the entry's header blocks;
// at_start tells that this is the start of the file. kNotApplicable when the entry is not stored,
// carries no CRC, or its header cannot be found there.
CrcCheck CheckStoredCrc(const std::vector<std::uint8_t>& blocks, bool at_start, bool rar5, std::uint32_t crc);

}  // namespace unrar
