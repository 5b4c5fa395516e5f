// libFuzzer harness for the tag engine's regular expressions: the input is a
// pattern and a subject separated by the first NUL byte (no NUL: the whole
// input is the pattern and also the subject). The pattern is compiled from
// UTF-8 and, when it compiles, searched in the subject as UTF-8 and as UTF-16
// with a small work bound, so hostile patterns cost little per run. The
// sanitizers catch memory and undefined-behaviour faults; the checks below
// catch a result outside the three the engine promises, inconsistent match
// details, and a different answer or match start from the linear-time
// matcher and the backtracking one (bytes read one character each, so both
// see the same characters).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tags/RegExp.h"
#include "tags/RegExpCompiler.h"
#include "tags/RegExpMatcher.h"
#include "tags/RegExpPike.h"

namespace {

using kelto::tags::MatchDetails;
using kelto::tags::MatchResult;
using kelto::tags::RegExp;

// Small enough that a pathological pattern still gives thousands of runs a
// second, large enough that ordinary patterns reach an answer.
constexpr std::size_t kStepLimit = 20'000;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckResult(MatchResult result, const MatchDetails& details, std::size_t groupCount) {
  Check(result == MatchResult::Match || result == MatchResult::NoMatch ||
        result == MatchResult::Aborted);
  if (result != MatchResult::Match) return;
  Check(details.whole.matched());
  Check(details.whole.begin <= details.whole.end);
  Check(details.groups.size() == groupCount);
  Check(details.groupTexts.size() == groupCount);
  for (std::size_t i = 0; i < groupCount; ++i) {
    Check(details.groups[i].matched() == details.groupTexts[i].has_value());
    if (details.groups[i].matched()) Check(details.groups[i].begin <= details.groups[i].end);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view pattern = input.substr(0, nul);
  const std::string_view subject = nul == std::string_view::npos ? input : input.substr(nul + 1);

  auto compiled = RegExp::Compile(pattern);
  if (!compiled) {
    Check(!compiled.error.empty());
    return 0;
  }
  const RegExp& regexp = *compiled.regexp;
  const std::size_t groups = regexp.groupCount();

  MatchDetails details;
  const MatchResult utf8 = regexp.Search(subject, &details, kStepLimit);
  CheckResult(utf8, details, groups);

  // The same bytes read as UTF-16 (odd trailing byte dropped): unpaired
  // surrogates and the like reach the decoder this way.
  std::u16string wide(subject.size() / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(subject[2 * i]) |
                                    (static_cast<unsigned char>(subject[2 * i + 1]) << 8));
  }
  MatchDetails wideDetails;
  CheckResult(regexp.Search(std::u16string_view(wide), &wideDetails, kStepLimit), wideDetails,
              groups);

  // Without details the answer must be the same as with them.
  Check(regexp.Search(subject, nullptr, kStepLimit) == utf8);

  // Without back references the linear matcher answers; wherever the
  // backtracking matcher also reaches an answer within its budget, the two
  // must agree on whether there is a match and where it starts. (Where it
  // ends and the groups may differ inside loops whose body can match empty
  // text: docs/tag-regexp.md.)
  using namespace kelto::tags::regexp;
  Program program;
  CompileError error;
  const std::u32string pattern32(pattern.begin(), pattern.end());
  const std::u32string subject32(subject.begin(), subject.end());
  if (Compile(pattern32, program, error) && LinearTime(program)) {
    Found slow, fast;
    const Outcome expected = Matcher(program).Search(subject32, kStepLimit, &slow);
    const Outcome got = PikeMatcher(program).Search(subject32, &fast);
    Check(got != Outcome::Aborted);
    if (expected != Outcome::Aborted) {
      Check(got == expected);
      if (got == Outcome::Match) Check(fast.begin == slow.begin);
    }
  }
  return 0;
}
