#pragma once
// The player's settings as read from its "key|value|key|value..." parameter string.
#include <cstdint>
#include <string_view>

namespace npmod32 {

struct PlayerOptions {
  bool loop = false;
  bool hidden = false;                  // no level meter in the bound window
  std::uint32_t background = 0x000000;  // 0xRRGGBB
  std::uint32_t meter = 0x00FF00;
  std::uint32_t meter_top = 0xFF0000;  // the loudest quarter of the meter
};

// Unknown keys, a key without a value and malformed values are passed over; the defaults stand for them.
// Keys compare case-blind; Booleans are "true"/"false", colours "#RRGGBB".
PlayerOptions ParsePlayerOptions(std::string_view params);

}  // namespace npmod32
