// Runs a compiled Program over a text as a Pike VM: every thread of the
// pattern advances in step over the text, one character at a time, and two
// threads at the same instruction and position are one (the one of higher
// priority survives). The work is bounded by the text length times the
// program size whatever the pattern, so no step budget is needed. Threads are
// kept in priority order, so the answer (match position, match groups) is the
// one the backtracking matcher gives.
//
// Negations are precomputed: for each `!item`, one right-to-left pass over
// the text with the item's program reversed marks every position where the
// item can match; the forward pass then treats the negation as a character
// test. Programs with back references are not accepted (RegExpMatcher runs
// those, with a budget).
//
// Internal to the tag engine; RegExp is the public face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tags/RegExpMatcher.h"
#include "tags/RegExpProgram.h"

namespace kelto::tags::regexp {

// True when the program can run on PikeMatcher (it has no back reference).
bool LinearTime(const Program& program);

class PikeMatcher {
 public:
  explicit PikeMatcher(const Program& program);

  // As Matcher::Search, but without a budget of its own: `budget`, when given,
  // is the caller's remaining work, reduced by the work done; the search stops
  // with Aborted when it runs out (one unit per instruction visited).
  Outcome Search(std::u32string_view text, Found* found, std::size_t* budget = nullptr);

 private:
  struct List {
    std::vector<std::uint32_t> pcs;
    std::vector<std::size_t> regs;  // registers_ per thread, flat
    void Clear() {
      pcs.clear();
      regs.clear();
    }
  };
  struct Frame {
    bool restore;     // false: explore pc; true: put back register a's value b
    std::uint32_t a;  // pc, or register
    std::size_t b;
  };

  void ComputeNegations();
  void ComputeNegation(std::uint32_t begin);
  bool Consumes(std::uint32_t pc, std::size_t pos) const;
  void AddThread(List& list, std::uint32_t pc, std::size_t pos, std::vector<std::size_t>& regs);
  bool Charge(std::size_t units);

  const Program& program_;
  std::size_t registers_;  // 3G + loops + 1 (the match start, last)
  std::u32string_view text_;
  std::vector<std::uint32_t> seen_;  // per instruction: the stamp of its last visit
  std::uint32_t stamp_ = 0;
  std::vector<Frame> stack_;
  // negation index per NegBegin instruction, and per negation the positions
  // where its item can match
  std::vector<std::uint32_t> negationOf_;
  std::vector<std::vector<bool>> itemMatches_;
  std::size_t* budget_ = nullptr;
  bool exhausted_ = false;
  std::size_t visits_ = 0;  // instructions visited at the current position
};

}  // namespace kelto::tags::regexp
