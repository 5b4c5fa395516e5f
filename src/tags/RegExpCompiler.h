// Parses a tag-engine regular expression (see docs/tag-regexp.md for the
// dialect) and emits its Program. Internal to the tag engine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tags/RegExpProgram.h"

namespace kelto::tags::regexp {

// Groups and negations may nest this deep; deeper patterns do not compile, so
// that parsing and emitting (which recurse once per level) stay within a
// small, fixed stack depth.
inline constexpr std::size_t kMaxNesting = 200;

struct CompileError {
  std::string message;
  std::size_t offset = 0;  // in characters of the pattern
};

// Returns true and fills `program`, or returns false and fills `error`.
bool Compile(std::u32string_view pattern, Program& program, CompileError& error);

}  // namespace kelto::tags::regexp
