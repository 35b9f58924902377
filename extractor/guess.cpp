#include "guess.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace quennex {

bool IsDigitChar(char ch) { return ch >= '0' && ch <= '9'; }

bool IsLetterChar(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

namespace {

int PositionBeforeLast(std::string_view text, std::size_t found) {
  if (found == std::string_view::npos || found + 1 >= text.size()) return 0;
  return static_cast<int>(found + 1);
}

}  // namespace

int PosOfFirstDigit(std::string_view text) {
  const auto it = std::find_if(text.begin(), text.end(), IsDigitChar);
  return PositionBeforeLast(text, it == text.end() ? std::string_view::npos : std::size_t(it - text.begin()));
}

int PosOfFirstDot(std::string_view text) { return PositionBeforeLast(text, text.find('.')); }

bool HasVersionNumber(std::string_view line) {
  const int p = PosOfFirstDigit(line);
  if (p == 0) return false;
  // From the first digit up to, but not including, the line's last character.
  const std::string_view s = line.substr(p - 1, line.size() - p);
  const int q = PosOfFirstDot(s);
  if (q == 0) return false;
  return IsDigitChar(s[q]);
}

bool HasMinLengthWord(std::string_view line, int min_length) {
  if (min_length < 1) min_length = 1;
  const std::size_t word = static_cast<std::size_t>(min_length);
  // The word must leave at least two characters after it.
  for (std::size_t start = 0; start + word + 2 <= line.size(); ++start) {
    const std::string_view run = line.substr(start, word);
    if (std::all_of(run.begin(), run.end(), IsLetterChar)) return true;
  }
  return false;
}

namespace {

char FoldCase(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
  }
};

// FNV-1a over the folded bytes, so lines that FoldedEqual calls equal hash alike.
struct FoldedHash {
  std::size_t operator()(std::string_view text) const {
    std::uint32_t hash = 2166136261u;
    for (char ch : text) {
      hash ^= static_cast<unsigned char>(FoldCase(ch));
      hash *= 16777619u;
    }
    return hash;
  }
};

}  // namespace

void ReduceCandidates(std::vector<std::string>& candidates) {
  // Marks the repeats first: the set looks at the lines in place, which must not move meanwhile.
  std::vector<bool> repeat(candidates.size());
  {
    std::unordered_set<std::string_view, FoldedHash, FoldedEqual> seen;
    seen.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) repeat[i] = !seen.insert(candidates[i]).second;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (repeat[i]) continue;
    if (kept != i) candidates[kept] = std::move(candidates[i]);
    ++kept;
  }
  candidates.resize(kept);
}

namespace {

void TakeOnly(DescriptionBuffer& buffer, std::string line) {
  buffer.clear();
  buffer.push_back(std::move(line));
}

void GuessProper(DescriptionBuffer& buffer, GuessOptions& options, GuessState& state, const AskUser& ask_user,
                 bool may_ask) {
  const bool ask = may_ask && options.ask && ask_user;
  int mode = options.detection_mode == kWord ? kWord : kVersionNumber;
  for (;;) {
    std::vector<std::string> candidates;
    for (const auto& line : buffer) {
      const bool passes =
          mode == kVersionNumber ? HasVersionNumber(line) : HasMinLengthWord(line, options.min_word_length);
      if (passes) candidates.push_back(line);
    }
    if (!candidates.empty()) {
      if (ask && candidates.size() > 1) {
        ReduceCandidates(candidates);
        if (candidates.size() > 1) {
          ++state.UserHelpCount;
          BestMatch picked = ask_user(state.CurrentItemIndex, candidates);
          if (picked.stop_asking) options.ask = false;
          state.Choices.push_back(TVorschlag{state.CurrentItemIndex, picked.line});
          TakeOnly(buffer, std::move(picked.line));
          return;
        }
      }
      TakeOnly(buffer, std::move(candidates.front()));
      return;
    }
    if (mode == kWord) return;  // nothing matched: the writers take the first line
    mode = kWord;
  }
}

}  // namespace

void GuessDescriptionLine(DescriptionBuffer& buffer, GuessOptions& options, GuessState& state,
                          const AskUser& ask_user) {
  if (state.GuessPassDone > 0) {
    const auto it = std::find_if(state.Choices.begin(), state.Choices.end(),
                                 [&](const TVorschlag& c) { return c.ItemIndex == state.CurrentItemIndex; });
    if (it != state.Choices.end()) {
      TakeOnly(buffer, it->Line);
    } else {
      // Never asked about this archive: the earlier writer took the first candidate, so do the same.
      GuessProper(buffer, options, state, ask_user, false);
    }
    return;
  }
  GuessProper(buffer, options, state, ask_user, true);
}

}  // namespace quennex
