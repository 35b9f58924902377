#include "player_options.h"

#include <optional>
#include <vector>

namespace npmod32 {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<bool> ParseBool(std::string_view value) {
  if (EqualsNoCase(value, "true")) return true;
  if (EqualsNoCase(value, "false")) return false;
  return std::nullopt;
}

std::optional<std::uint32_t> ParseColour(std::string_view value) {
  if (value.size() != 7 || value[0] != '#') return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : value.substr(1)) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    rgb = rgb << 4 | digit;
  }
  return rgb;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  while (true) {
    std::size_t bar = text.find('|');
    fields.push_back(text.substr(0, bar));
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  return fields;
}

}  // namespace

PlayerOptions ParsePlayerOptions(std::string_view params) {
  PlayerOptions options;
  std::vector<std::string_view> fields = SplitFields(params);
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    std::string_view key = fields[i];
    std::string_view value = fields[i + 1];
    if (EqualsNoCase(key, "loop")) {
      options.loop = ParseBool(value).value_or(options.loop);
    } else if (EqualsNoCase(key, "hidden")) {
      options.hidden = ParseBool(value).value_or(options.hidden);
    } else if (EqualsNoCase(key, "bgcolor")) {
      options.background = ParseColour(value).value_or(options.background);
    } else if (EqualsNoCase(key, "vucolor")) {
      options.meter = ParseColour(value).value_or(options.meter);
    } else if (EqualsNoCase(key, "vucolorhi")) {
      options.meter_top = ParseColour(value).value_or(options.meter_top);
    }
  }
  return options;
}

}  // namespace npmod32
