#include "tags/RegExpPike.h"

#include <algorithm>
#include <utility>

namespace kelto::tags::regexp {

namespace {

// The edges of the program graph leaving one instruction: those that consume
// a character (at most one) and those that do not.
struct Edges {
  std::uint32_t consumeTo = UINT32_MAX;
  std::uint32_t eps[2] = {UINT32_MAX, UINT32_MAX};
  bool onlyAtEnd = false;  // AssertEnd: its edge holds only at the end of the text
};

Edges EdgesOf(const Program& program, std::uint32_t pc) {
  const Inst& in = program.code[pc];
  Edges e;
  switch (in.op) {
    case Op::Char:
    case Op::Any:
    case Op::Class:
      e.consumeTo = pc + 1;
      break;
    case Op::NegBegin:
      e.consumeTo = in.x;
      break;
    case Op::Split:
      e.eps[0] = in.x;
      e.eps[1] = in.y;
      break;
    case Op::Jump:
      e.eps[0] = in.x;
      break;
    case Op::OpenGroup:
    case Op::CloseGroup:
    case Op::Mark:
      e.eps[0] = pc + 1;
      break;
    case Op::Progress:
      // Whether an iteration consumed something decides which path is taken,
      // never which texts can match (an empty iteration adds no text): both
      // edges count here.
      e.eps[0] = pc + 1;
      e.eps[1] = in.y;
      break;
    case Op::AssertEnd:
      e.eps[0] = pc + 1;
      e.onlyAtEnd = true;
      break;
    case Op::BackRef:
    case Op::NegMatched:
    case Op::Match:
      break;
  }
  return e;
}

}  // namespace

bool LinearTime(const Program& program) {
  return std::none_of(program.code.begin(), program.code.end(),
                      [](const Inst& in) { return in.op == Op::BackRef; });
}

PikeMatcher::PikeMatcher(const Program& program)
    : program_(program),
      registers_(3 * program.groupCount + program.loopCount + 1),
      seen_(program.code.size(), 0),
      negationOf_(program.code.size(), UINT32_MAX) {}

bool PikeMatcher::Charge(std::size_t units) {
  if (!budget_) return true;
  if (units > *budget_) {
    *budget_ = 0;
    exhausted_ = true;
    return false;
  }
  *budget_ -= units;
  return true;
}

bool PikeMatcher::Consumes(std::uint32_t pc, std::size_t pos) const {
  const Inst& in = program_.code[pc];
  const char32_t c = text_[pos];
  switch (in.op) {
    case Op::Char:
      return c == in.ch;
    case Op::Any:
      return true;
    case Op::Class:
      return program_.classes[in.x].Contains(c);
    case Op::NegBegin:
      return !itemMatches_[negationOf_[pc]][pos];
    default:
      return false;
  }
}

void PikeMatcher::ComputeNegations() {
  itemMatches_.clear();
  // Inner negations lie after the outer ones that contain them: from the end
  // backwards, every inner table is ready when its outer item needs it.
  for (std::uint32_t pc = static_cast<std::uint32_t>(program_.code.size()); pc-- > 0;) {
    if (program_.code[pc].op != Op::NegBegin) continue;
    negationOf_[pc] = static_cast<std::uint32_t>(itemMatches_.size());
    itemMatches_.emplace_back();
    ComputeNegation(pc);
    if (exhausted_) return;
  }
}

// The item of the negation at `begin` occupies begin+1 … its NegMatched (the
// instruction before the negation's continuation). Going from the end of the
// text backwards, `reach` holds the item's instructions from which NegMatched
// can be reached starting at the current position; the item matches at a
// position when its first instruction is among them.
void PikeMatcher::ComputeNegation(std::uint32_t begin) {
  const std::uint32_t first = begin + 1;
  const std::uint32_t last = program_.code[begin].x - 1;  // NegMatched
  const std::size_t size = last - first + 1;
  std::vector<std::vector<std::uint32_t>> consumedFrom(size), epsFrom(size), endFrom(size);
  for (std::uint32_t u = first; u <= last; ++u) {
    const Edges e = EdgesOf(program_, u);
    if (e.consumeTo >= first && e.consumeTo <= last) consumedFrom[e.consumeTo - first].push_back(u);
    for (const std::uint32_t v : e.eps) {
      if (v < first || v > last) continue;
      (e.onlyAtEnd ? endFrom : epsFrom)[v - first].push_back(u);
    }
  }

  std::vector<bool>& matches = itemMatches_[negationOf_[begin]];
  matches.assign(text_.size() + 1, false);
  std::vector<char> reach(size, 0), reachNext(size, 0);
  std::vector<std::uint32_t> work;
  for (std::size_t q = text_.size() + 1; q-- > 0;) {
    std::fill(reach.begin(), reach.end(), 0);
    const auto add = [&](std::uint32_t u) {
      if (!reach[u - first]) {
        reach[u - first] = 1;
        work.push_back(u);
      }
    };
    add(last);
    if (q < text_.size()) {
      for (std::size_t v = 0; v < size; ++v) {
        if (!reachNext[v]) continue;
        for (const std::uint32_t u : consumedFrom[v])
          if (Consumes(u, q)) add(u);
      }
    }
    while (!work.empty()) {
      const std::uint32_t v = work.back() - first;
      work.pop_back();
      for (const std::uint32_t u : epsFrom[v]) add(u);
      if (q == text_.size())
        for (const std::uint32_t u : endFrom[v]) add(u);
    }
    matches[q] = reach[0] != 0;
    if (!Charge(size)) return;
    std::swap(reach, reachNext);
  }
}

void PikeMatcher::AddThread(List& list, std::uint32_t pc, std::size_t pos,
                            std::vector<std::size_t>& regs) {
  const std::uint32_t groups = program_.groupCount;
  const auto set = [&](std::size_t reg, std::size_t value) {
    stack_.push_back({true, static_cast<std::uint32_t>(reg), regs[reg]});
    regs[reg] = value;
  };
  stack_.push_back({false, pc, 0});
  while (!stack_.empty()) {
    const Frame f = stack_.back();
    stack_.pop_back();
    if (f.restore) {
      regs[f.a] = f.b;
      continue;
    }
    if (seen_[f.a] == stamp_) continue;
    seen_[f.a] = stamp_;
    ++visits_;
    const Inst& in = program_.code[f.a];
    // Pushed last, explored first: the order of the stack is the priority.
    switch (in.op) {
      case Op::Jump:
        stack_.push_back({false, in.x, 0});
        break;
      case Op::Split:
        stack_.push_back({false, in.y, 0});
        stack_.push_back({false, in.x, 0});
        break;
      case Op::OpenGroup:
        set(2 * groups + in.x, pos);
        stack_.push_back({false, f.a + 1, 0});
        break;
      case Op::CloseGroup:
        set(2 * in.x, regs[2 * groups + in.x]);
        set(2 * in.x + 1, pos);
        stack_.push_back({false, f.a + 1, 0});
        break;
      case Op::Mark:
        set(3 * groups + in.x, in.y == kFirstIteration ? pos | kFirstIterationBit : pos);
        stack_.push_back({false, f.a + 1, 0});
        break;
      case Op::Progress: {
        const std::size_t mark = regs[3 * groups + in.x];
        if ((mark & ~kFirstIterationBit) != pos)
          stack_.push_back({false, f.a + 1, 0});
        else if (mark & kFirstIterationBit)
          stack_.push_back({false, in.y, 0});
        break;  // an empty iteration past the first: this path fails
      }
      case Op::AssertEnd:
        if (pos == text_.size()) stack_.push_back({false, f.a + 1, 0});
        break;
      case Op::Char:
      case Op::Any:
      case Op::Class:
      case Op::NegBegin:
      case Op::Match:
        list.pcs.push_back(f.a);
        list.regs.insert(list.regs.end(), regs.begin(), regs.end());
        break;
      case Op::BackRef:
      case Op::NegMatched:
        // Not in a program run here: back references go to the backtracking
        // matcher, and a negated item is never entered (its table answers).
        break;
    }
  }
}

Outcome PikeMatcher::Search(std::u32string_view text, Found* found, std::size_t* budget) {
  text_ = text;
  budget_ = budget;
  exhausted_ = false;
  ComputeNegations();
  if (exhausted_) return Outcome::Aborted;

  List current, next;
  std::vector<std::size_t> regs(registers_), best;
  std::size_t bestEnd = 0;
  bool matched = false;
  ++stamp_;
  for (std::size_t pos = 0; pos <= text.size(); ++pos) {
    visits_ = 0;
    // A fresh thread at each start position, below every thread already
    // running: an earlier start always wins.
    if (!matched && (pos == 0 || !program_.anchoredAtStart)) {
      std::fill(regs.begin(), regs.end(), kUnset);
      regs.back() = pos;
      AddThread(current, 0, pos, regs);
    }
    ++stamp_;
    next.Clear();
    for (std::size_t i = 0; i < current.pcs.size(); ++i) {
      const std::uint32_t pc = current.pcs[i];
      const auto threadRegs = current.regs.begin() + static_cast<std::ptrdiff_t>(i * registers_);
      if (program_.code[pc].op == Op::Match) {
        // Every thread after this one has lower priority: drop them.
        matched = true;
        best.assign(threadRegs, threadRegs + static_cast<std::ptrdiff_t>(registers_));
        bestEnd = pos;
        break;
      }
      if (pos == text.size() || !Consumes(pc, pos)) continue;
      std::copy(threadRegs, threadRegs + static_cast<std::ptrdiff_t>(registers_), regs.begin());
      const Inst& in = program_.code[pc];
      AddThread(next, in.op == Op::NegBegin ? in.x : pc + 1, pos + 1, regs);
    }
    std::swap(current, next);
    if (!Charge(visits_ + current.pcs.size() + 1)) return Outcome::Aborted;
    if (matched && current.pcs.empty()) break;
    if (program_.anchoredAtStart && current.pcs.empty()) break;
  }
  if (!matched) return Outcome::NoMatch;
  if (found) {
    found->begin = best.back();
    found->end = bestEnd;
    found->groups.clear();
    for (std::uint32_t g = 0; g < program_.groupCount; ++g)
      found->groups.emplace_back(best[2 * g], best[2 * g + 1]);
  }
  return Outcome::Match;
}

}  // namespace kelto::tags::regexp
