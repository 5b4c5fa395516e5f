// The compiled form of a tag-engine regular expression: a small instruction
// program for the backtracking matcher (RegExpMatcher), produced by
// RegExpCompiler. Internal to the tag engine; RegExp is the public face.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kelto::tags::regexp {

enum class Op : std::uint8_t {
  Char,        // ch: consume that character
  Any,         // consume any character
  Class,       // x: consume a character of classes[x]
  Split,       // try x; on failure y
  Jump,        // continue at x
  OpenGroup,   // x: remember where match group x starts
  CloseGroup,  // x: match group x is the text since its OpenGroup
  Mark,        // x: loop register x = position (start of a loop iteration);
               //    y = kFirstIteration marks the one iteration a Plus requires
  Progress,    // x: if the iteration consumed nothing, fail, or leave the loop
               //    at y when it was a Plus's first
  BackRef,     // x: consume the text of match group x (fails while unset)
  AssertEnd,   // succeed only at the end of the text
  NegBegin,    // a negated item follows; its continuation is x
  NegMatched,  // the negated item matched: the negation fails
  Match,       // the whole pattern matched
};

inline constexpr std::uint32_t kFirstIteration = 1;
// Set in a loop register beside the position by a first-iteration Mark.
inline constexpr std::size_t kFirstIterationBit = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

struct Inst {
  Op op = Op::Match;
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  char32_t ch = 0;
};

struct CharClass {
  // Inclusive, sorted and disjoint (see Normalize), so that a test costs
  // log(ranges) however long the class is written.
  std::vector<std::pair<char32_t, char32_t>> ranges;
  bool negated = false;

  void Normalize() {
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<char32_t, char32_t>> merged;
    for (const auto& r : ranges) {
      if (!merged.empty() && r.first <= merged.back().second + 1)
        merged.back().second = std::max(merged.back().second, r.second);
      else
        merged.push_back(r);
    }
    ranges = std::move(merged);
  }

  bool Contains(char32_t c) const {
    // The first range that ends at or after c is the only candidate.
    const auto it = std::lower_bound(ranges.begin(), ranges.end(), c,
                                     [](const auto& r, char32_t v) { return r.second < v; });
    const bool in = it != ranges.end() && it->first <= c;
    return in != negated;
  }
};

struct Program {
  std::vector<Inst> code;
  std::vector<CharClass> classes;
  std::uint32_t groupCount = 0;  // {…} match groups
  std::uint32_t loopCount = 0;   // loop registers used by Mark/Progress
  bool anchoredAtStart = false;  // the pattern began with ^
};

}  // namespace kelto::tags::regexp
