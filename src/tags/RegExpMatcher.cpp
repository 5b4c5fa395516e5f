#include "tags/RegExpMatcher.h"

namespace kelto::tags::regexp {

Outcome Matcher::Search(std::u32string_view text, std::size_t stepLimit, Found* found) {
  text_ = text;
  steps_ = 0;
  limit_ = stepLimit;
  const std::size_t lastStart = program_.anchoredAtStart ? 0 : text.size();
  for (std::size_t start = 0; start <= lastStart; ++start) {
    const Outcome outcome = Run(start);
    if (outcome == Outcome::NoMatch) continue;
    if (outcome == Outcome::Match && found) {
      found->begin = start;
      found->end = end_;
      found->groups.clear();
      for (std::uint32_t g = 0; g < program_.groupCount; ++g)
        found->groups.emplace_back(regs_[CaptureStart(g)], regs_[CaptureEnd(g)]);
    }
    return outcome;
  }
  return Outcome::NoMatch;
}

Outcome Matcher::Run(std::size_t start) {
  // Clearing the registers is work too: with many groups and a long text it
  // would otherwise escape the budget.
  const std::size_t registers = 3 * program_.groupCount + program_.loopCount;
  steps_ += registers;
  if (steps_ > limit_) return Outcome::Aborted;
  regs_.assign(registers, kUnset);
  stack_.clear();
  const std::vector<Inst>& code = program_.code;
  std::uint32_t pc = 0;
  std::size_t pos = start;
  while (true) {
    if (++steps_ > limit_) return Outcome::Aborted;
    const Inst& in = code[pc];
    bool ok = true;
    switch (in.op) {
      case Op::Char:
        ok = pos < text_.size() && text_[pos] == in.ch;
        if (ok) ++pos, ++pc;
        break;
      case Op::Any:
        ok = pos < text_.size();
        if (ok) ++pos, ++pc;
        break;
      case Op::Class:
        ok = pos < text_.size() && program_.classes[in.x].Contains(text_[pos]);
        if (ok) ++pos, ++pc;
        break;
      case Op::Split:
        stack_.push_back({Kind::Branch, in.y, pos});
        pc = in.x;
        break;
      case Op::Jump:
        pc = in.x;
        break;
      case Op::OpenGroup:
        Set(Pending(in.x), pos);
        ++pc;
        break;
      case Op::CloseGroup:
        // Both ends are written together, so a back reference made inside
        // the group's next iteration still sees the previous, whole capture.
        Set(CaptureStart(in.x), regs_[Pending(in.x)]);
        Set(CaptureEnd(in.x), pos);
        ++pc;
        break;
      case Op::Mark:
        Set(Loop(in.x), in.y == kFirstIteration ? pos | kFirstIterationBit : pos);
        ++pc;
        break;
      case Op::Progress: {
        const std::size_t mark = regs_[Loop(in.x)];
        if ((mark & ~kFirstIterationBit) != pos)
          ++pc;
        else if (mark & kFirstIterationBit)
          pc = in.y;
        else
          ok = false;
        break;
      }
      case Op::BackRef: {
        const std::size_t b = regs_[CaptureStart(in.x)];
        const std::size_t e = regs_[CaptureEnd(in.x)];
        // Comparing costs one step per character, so that long captures
        // compared many times stay within the budget.
        if (b != kUnset && (steps_ += e - b) > limit_) return Outcome::Aborted;
        ok = b != kUnset && e - b <= text_.size() - pos &&
             text_.substr(pos, e - b) == text_.substr(b, e - b);
        if (ok) pos += e - b, ++pc;
        break;
      }
      case Op::AssertEnd:
        ok = pos == text_.size();
        if (ok) ++pc;
        break;
      case Op::NegBegin:
        stack_.push_back({Kind::Barrier, in.x, pos});
        ++pc;
        break;
      case Op::NegMatched:
        // The negated item matched here, so the negation fails: drop every
        // alternative the item left behind, undo what it recorded, and
        // remove the barrier itself, then backtrack past it.
        while (!stack_.empty()) {
          if (++steps_ > limit_) return Outcome::Aborted;
          const Frame f = stack_.back();
          stack_.pop_back();
          if (f.kind == Kind::Undo) regs_[f.a] = f.b;
          if (f.kind == Kind::Barrier) break;
        }
        ok = false;
        break;
      case Op::Match:
        end_ = pos;
        return Outcome::Match;
    }
    if (ok) continue;
    // Backtrack to the most recent alternative.
    bool resumed = false;
    while (!resumed && !stack_.empty()) {
      if (++steps_ > limit_) return Outcome::Aborted;
      const Frame f = stack_.back();
      stack_.pop_back();
      switch (f.kind) {
        case Kind::Undo:
          regs_[f.a] = f.b;
          break;
        case Kind::Branch:
          pc = f.a;
          pos = f.b;
          resumed = true;
          break;
        case Kind::Barrier:
          // Every way of matching the negated item failed: the negation
          // holds and consumes the one character at its position.
          if (f.b < text_.size()) {
            pc = f.a;
            pos = f.b + 1;
            resumed = true;
          }
          break;
      }
    }
    if (!resumed) return Outcome::NoMatch;
  }
}

}  // namespace kelto::tags::regexp
