// Runs a compiled Program with back references over a text by backtracking, with an explicit stack
// (so a long text cannot overflow the call stack) and a step budget (so a
// pattern with exponentially many ways to fail cannot hang the host).
// Internal to the tag engine; RegExp is the public face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "tags/RegExpProgram.h"

namespace kelto::tags::regexp {

inline constexpr std::size_t kUnset = std::numeric_limits<std::size_t>::max();

enum class Outcome { Match, NoMatch, Aborted };

struct Found {
  std::size_t begin = kUnset;
  std::size_t end = kUnset;
  // Start and end of each match group, kUnset when it did not take part.
  std::vector<std::pair<std::size_t, std::size_t>> groups;
};

class Matcher {
 public:
  explicit Matcher(const Program& program) : program_(program) {}

  // Tries the start positions 0, 1, … text.size() (only 0 when the pattern is
  // anchored) and stops at the first that matches. One step is one executed
  // instruction or one undone backtracking entry, counted over the whole
  // search; past `stepLimit` steps the search gives up with Aborted.
  Outcome Search(std::u32string_view text, std::size_t stepLimit, Found* found);
  // The steps the last search took.
  std::size_t Steps() const { return steps_; }

 private:
  enum class Kind : std::uint32_t { Branch, Undo, Barrier };
  struct Frame {
    Kind kind;
    std::uint32_t a;  // Branch/Barrier: instruction; Undo: register
    std::size_t b;    // Branch/Barrier: position; Undo: the register's old value
  };

  Outcome Run(std::size_t start);
  void Set(std::size_t reg, std::size_t value) {
    stack_.push_back({Kind::Undo, static_cast<std::uint32_t>(reg), regs_[reg]});
    regs_[reg] = value;
  }
  // Register layout: group g's start 2g and end 2g+1, its pending start
  // 2G+g, then loop register r at 3G+r (G = groupCount).
  std::size_t CaptureStart(std::uint32_t g) const { return 2 * g; }
  std::size_t CaptureEnd(std::uint32_t g) const { return 2 * g + 1; }
  std::size_t Pending(std::uint32_t g) const { return 2 * program_.groupCount + g; }
  std::size_t Loop(std::uint32_t r) const { return 3 * program_.groupCount + r; }

  const Program& program_;
  std::u32string_view text_;
  std::size_t steps_ = 0;
  std::size_t limit_ = 0;
  std::size_t end_ = 0;
  std::vector<std::size_t> regs_;
  std::vector<Frame> stack_;
};

}  // namespace kelto::tags::regexp
