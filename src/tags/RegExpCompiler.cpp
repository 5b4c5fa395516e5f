#include "tags/RegExpCompiler.h"

#include <memory>
#include <utility>
#include <vector>

namespace kelto::tags::regexp {

namespace {

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
  enum class Kind {
    Empty,
    Char,
    Any,
    Class,
    Concat,
    Alt,
    Capture,
    BackRef,
    Star,
    Plus,
    Opt,
    Negate,
    End
  };
  Kind kind = Kind::Empty;
  char32_t ch = 0;
  std::uint32_t index = 0;  // class, match group or referenced match group
  bool greedy = true;
  std::vector<NodePtr> kids;
};

NodePtr Make(Node::Kind kind, NodePtr kid = nullptr) {
  auto n = std::make_unique<Node>();
  n->kind = kind;
  if (kid) n->kids.push_back(std::move(kid));
  return n;
}

NodePtr MakeChar(char32_t c) {
  NodePtr n = Make(Node::Kind::Char);
  n->ch = c;
  return n;
}

NodePtr MakeList(Node::Kind kind, std::vector<NodePtr> kids) {
  if (kids.size() == 1) return std::move(kids.front());
  NodePtr n = Make(kids.empty() ? Node::Kind::Empty : kind);
  n->kids = std::move(kids);
  return n;
}

using Ranges = std::vector<std::pair<char32_t, char32_t>>;

// The abbreviations that stand for one character of a set; they are also
// allowed inside a class.
bool AbbreviationSet(char32_t letter, Ranges& out) {
  switch (letter) {
    case 'a':
      out.insert(out.end(), {{'a', 'z'}, {'A', 'Z'}, {'0', '9'}});
      return true;
    case 'b':
      out.insert(out.end(), {{' ', ' '}, {'\t', '\t'}});
      return true;
    case 'c':
      out.insert(out.end(), {{'a', 'z'}, {'A', 'Z'}});
      return true;
    case 'd':
      out.push_back({'0', '9'});
      return true;
    case 'h':
      out.insert(out.end(), {{'0', '9'}, {'a', 'f'}, {'A', 'F'}});
      return true;
    default:
      return false;
  }
}

bool IsAbbreviation(char32_t c) {
  Ranges ignored;
  return AbbreviationSet(c, ignored) || c == 'n' || c == 'q' || c == 'w' || c == 'z';
}

bool IsRepetition(char32_t c) { return c == '*' || c == '+' || c == '?'; }

struct ParseFailure {
  std::string message;
  std::size_t offset;
};

class Parser {
 public:
  Parser(std::u32string_view pattern, Program& program) : p_(pattern), program_(program) {}

  NodePtr ParseAll() {
    if (!p_.empty() && p_[0] == '^') {
      program_.anchoredAtStart = true;
      pos_ = 1;
    }
    NodePtr root = ParseAlternation(0);
    if (!AtEnd()) {
      // ParseSequence stops only at '|', ')' and '}', and an alternation
      // consumes every '|', so a closing character without an opener is left.
      Fail(Peek() == ')' ? "unbalanced ')': there is no '(' to close"
                         : "unbalanced '}': there is no '{' to close",
           pos_);
    }
    for (const auto& [group, offset] : backRefs_)
      if (group >= program_.groupCount)
        Fail("back reference to match group " + std::to_string(group) +
                 ", but the pattern has only " + std::to_string(program_.groupCount) +
                 " match group(s), numbered from 0",
             offset);
    return root;
  }

 private:
  [[noreturn]] void Fail(std::string message, std::size_t offset) const {
    throw ParseFailure{std::move(message), offset};
  }
  bool AtEnd() const { return pos_ >= p_.size(); }
  char32_t Peek() const { return p_[pos_]; }
  void CheckDepth(std::size_t depth, std::size_t offset) const {
    if (depth > kMaxNesting)
      Fail("groups and negations nest more than " + std::to_string(kMaxNesting) + " deep", offset);
  }

  NodePtr ParseAlternation(std::size_t depth) {
    std::vector<NodePtr> alternatives;
    alternatives.push_back(ParseSequence(depth));
    while (!AtEnd() && Peek() == '|') {
      ++pos_;
      alternatives.push_back(ParseSequence(depth));
    }
    return MakeList(Node::Kind::Alt, std::move(alternatives));
  }

  NodePtr ParseSequence(std::size_t depth) {
    std::vector<NodePtr> items;
    while (!AtEnd() && Peek() != '|' && Peek() != ')' && Peek() != '}')
      items.push_back(ParseTerm(depth));
    return MakeList(Node::Kind::Concat, std::move(items));
  }

  // term := "!" term | atom [repetition ["?"]]
  NodePtr ParseTerm(std::size_t depth) {
    if (Peek() == '!') {
      const std::size_t start = pos_++;
      CheckDepth(depth + 1, start);
      if (AtEnd() || Peek() == '|' || Peek() == ')' || Peek() == '}')
        Fail("'!' must be followed by the item it negates", start);
      return Make(Node::Kind::Negate, ParseTerm(depth + 1));
    }
    NodePtr atom = ParseAtom(depth);
    if (AtEnd() || !IsRepetition(Peek())) return atom;
    const char32_t op = p_[pos_++];
    const bool greedy = AtEnd() || Peek() != '?';
    if (!greedy) ++pos_;
    if (!AtEnd() && IsRepetition(Peek()))
      Fail("a repetition cannot itself be repeated; put it in parentheses", pos_);
    NodePtr rep = Make(op == '*'   ? Node::Kind::Star
                       : op == '+' ? Node::Kind::Plus
                                   : Node::Kind::Opt,
                       std::move(atom));
    rep->greedy = greedy;
    return rep;
  }

  NodePtr ParseAtom(std::size_t depth) {
    const std::size_t start = pos_;
    const char32_t c = p_[pos_++];
    switch (c) {
      case '(': {
        CheckDepth(depth + 1, start);
        NodePtr inner = ParseAlternation(depth + 1);
        if (AtEnd() || Peek() != ')')
          Fail("missing ')' to close the '(' at offset " + std::to_string(start), start);
        ++pos_;
        return inner;
      }
      case '{': {
        CheckDepth(depth + 1, start);
        const std::uint32_t group = program_.groupCount++;
        NodePtr inner = ParseAlternation(depth + 1);
        if (AtEnd() || Peek() != '}')
          Fail("missing '}' to close the '{' at offset " + std::to_string(start), start);
        ++pos_;
        NodePtr capture = Make(Node::Kind::Capture, std::move(inner));
        capture->index = group;
        return capture;
      }
      case '[':
        return ParseClass(start);
      case '.':
        return Make(Node::Kind::Any);
      case '\\':
        return ParseEscape(start);
      case '$':
        // Only the last character of the pattern is the end anchor.
        return AtEnd() ? Make(Node::Kind::End) : MakeChar(c);
      case '*':
      case '+':
      case '?':
        Fail("repetition with nothing before it to repeat", start);
      case ']':
        Fail("unbalanced ']': there is no '[' to close", start);
      default:
        return MakeChar(c);
    }
  }

  NodePtr ParseEscape(std::size_t start) {
    if (AtEnd()) Fail("the pattern ends with a lone backslash", start);
    const char32_t c = p_[pos_++];
    if (c >= '0' && c <= '9') {
      NodePtr ref = Make(Node::Kind::BackRef);
      ref->index = static_cast<std::uint32_t>(c - '0');
      backRefs_.emplace_back(ref->index, start);
      return ref;
    }
    if (IsAbbreviation(c)) return Abbreviation(c);
    return MakeChar(c);
  }

  NodePtr ClassNode(Ranges ranges, bool negated = false) {
    CharClass cls;
    cls.ranges = std::move(ranges);
    cls.negated = negated;
    cls.Normalize();
    program_.classes.push_back(std::move(cls));
    NodePtr n = Make(Node::Kind::Class);
    n->index = static_cast<std::uint32_t>(program_.classes.size() - 1);
    return n;
  }

  NodePtr Concat(std::vector<NodePtr> items) {
    return MakeList(Node::Kind::Concat, std::move(items));
  }

  // The abbreviations are items of their own (they behave as if written in
  // parentheses), so a repetition after one repeats all of it.
  NodePtr Abbreviation(char32_t letter) {
    Ranges set;
    if (AbbreviationSet(letter, set)) return ClassNode(std::move(set));
    std::vector<NodePtr> alts;
    switch (letter) {
      case 'n': {  // \r?\n | \r, the longer line end first
        std::vector<NodePtr> crlf;
        crlf.push_back(Make(Node::Kind::Opt, MakeChar('\r')));
        crlf.push_back(MakeChar('\n'));
        alts.push_back(Concat(std::move(crlf)));
        alts.push_back(MakeChar('\r'));
        return MakeList(Node::Kind::Alt, std::move(alts));
      }
      case 'q':  // "[^"]*" | '[^']*'
        for (const char32_t quote : {U'"', U'\''}) {
          std::vector<NodePtr> quoted;
          quoted.push_back(MakeChar(quote));
          quoted.push_back(Make(Node::Kind::Star, ClassNode({{quote, quote}}, true)));
          quoted.push_back(MakeChar(quote));
          alts.push_back(Concat(std::move(quoted)));
        }
        return MakeList(Node::Kind::Alt, std::move(alts));
      case 'w':
        return Make(Node::Kind::Plus, ClassNode({{'a', 'z'}, {'A', 'Z'}}));
      default:  // 'z'
        return Make(Node::Kind::Plus, ClassNode({{'0', '9'}}));
    }
  }

  // One class member character, with a backslash taking the next character
  // literally. Returns false when the member was a set abbreviation (added to
  // `ranges` already).
  bool ClassChar(char32_t& out, Ranges& ranges, bool allowSet) {
    const std::size_t start = pos_;
    char32_t c = p_[pos_++];
    if (c != '\\') {
      out = c;
      return true;
    }
    if (AtEnd()) Fail("the pattern ends with a lone backslash", start);
    c = p_[pos_++];
    if (IsAbbreviation(c)) {
      if (allowSet && AbbreviationSet(c, ranges)) return false;
      Fail(allowSet ? "this abbreviation stands for more than one character and cannot be used "
                      "in a class"
                    : "a range cannot end in an abbreviation",
           start);
    }
    out = c;
    return true;
  }

  NodePtr ParseClass(std::size_t start) {
    Ranges ranges;
    bool negated = false;
    if (!AtEnd() && Peek() == '^') {
      negated = true;
      ++pos_;
    }
    // A ']' right after the opening bracket (or its '^') is a member.
    bool first = true;
    while (true) {
      if (AtEnd()) Fail("missing ']' to close the '[' at offset " + std::to_string(start), start);
      if (Peek() == ']' && !first) {
        ++pos_;
        break;
      }
      first = false;
      const std::size_t memberStart = pos_;
      char32_t lo = 0;
      if (!ClassChar(lo, ranges, true)) continue;
      if (pos_ + 1 < p_.size() && p_[pos_] == '-' && p_[pos_ + 1] != ']') {
        ++pos_;
        char32_t hi = 0;
        ClassChar(hi, ranges, false);
        if (hi < lo) Fail("reversed range in a class: its end comes before its start", memberStart);
        ranges.emplace_back(lo, hi);
      } else {
        ranges.emplace_back(lo, lo);
      }
    }
    return ClassNode(std::move(ranges), negated);
  }

  std::u32string_view p_;
  std::size_t pos_ = 0;
  Program& program_;
  std::vector<std::pair<std::uint32_t, std::size_t>> backRefs_;
};

// Whether a node can match without consuming anything. Loops over such a
// node need the progress check that stops an empty iteration from repeating
// forever.
bool Nullable(const Node& n) {
  switch (n.kind) {
    case Node::Kind::Empty:
    case Node::Kind::End:
    case Node::Kind::BackRef:
    case Node::Kind::Star:
    case Node::Kind::Opt:
      return true;
    case Node::Kind::Char:
    case Node::Kind::Any:
    case Node::Kind::Class:
    case Node::Kind::Negate:
      return false;
    case Node::Kind::Concat:
      for (const auto& k : n.kids)
        if (!Nullable(*k)) return false;
      return true;
    case Node::Kind::Alt:
      for (const auto& k : n.kids)
        if (Nullable(*k)) return true;
      return false;
    case Node::Kind::Capture:
    case Node::Kind::Plus:
      return Nullable(*n.kids.front());
  }
  return true;
}

class Emitter {
 public:
  explicit Emitter(Program& program) : program_(program) {}

  void Emit(const Node& n) {
    switch (n.kind) {
      case Node::Kind::Empty:
        return;
      case Node::Kind::Char:
        Add({Op::Char, 0, 0, n.ch});
        return;
      case Node::Kind::Any:
        Add({Op::Any});
        return;
      case Node::Kind::Class:
        Add({Op::Class, n.index});
        return;
      case Node::Kind::Concat:
        for (const auto& k : n.kids) Emit(*k);
        return;
      case Node::Kind::Alt:
        EmitAlt(n);
        return;
      case Node::Kind::Capture:
        Add({Op::OpenGroup, n.index});
        Emit(*n.kids.front());
        Add({Op::CloseGroup, n.index});
        return;
      case Node::Kind::BackRef:
        Add({Op::BackRef, n.index});
        return;
      case Node::Kind::End:
        Add({Op::AssertEnd});
        return;
      case Node::Kind::Star:
      case Node::Kind::Plus:
      case Node::Kind::Opt:
        EmitRepeat(n);
        return;
      case Node::Kind::Negate: {
        const std::uint32_t begin = Add({Op::NegBegin});
        Emit(*n.kids.front());
        Add({Op::NegMatched});
        code()[begin].x = Here();
        return;
      }
    }
  }

  void Finish() { Add({Op::Match}); }

 private:
  std::vector<Inst>& code() { return program_.code; }
  std::uint32_t Here() const { return static_cast<std::uint32_t>(program_.code.size()); }
  std::uint32_t Add(Inst inst) {
    program_.code.push_back(inst);
    return Here() - 1;
  }
  void SetSplit(std::uint32_t at, std::uint32_t body, std::uint32_t exit, bool greedy) {
    code()[at].x = greedy ? body : exit;
    code()[at].y = greedy ? exit : body;
  }

  void EmitAlt(const Node& n) {
    std::vector<std::uint32_t> jumps;
    for (std::size_t i = 0; i < n.kids.size(); ++i) {
      if (i + 1 == n.kids.size()) {
        Emit(*n.kids[i]);
        break;
      }
      const std::uint32_t split = Add({Op::Split});
      code()[split].x = Here();
      Emit(*n.kids[i]);
      jumps.push_back(Add({Op::Jump}));
      code()[split].y = Here();
    }
    for (const std::uint32_t j : jumps) code()[j].x = Here();
  }

  // Star:  L1: split L2, End   L2: [mark r] body [progress r] jump L1         End:
  // Plus:  [mark r first]  L2: body [progress r, End  mark r] split L2, End   End:
  // Opt:   split L2, End  L2: body                                          End:
  // (split operands swapped for the non-greedy forms). An iteration that
  // consumes nothing fails, so a loop over a nullable body ends and the
  // groups keep what the last real iteration captured; only the one
  // iteration a Plus requires may be empty (and then ends the loop).
  void EmitRepeat(const Node& n) {
    const Node& body = *n.kids.front();
    if (n.kind == Node::Kind::Opt) {
      const std::uint32_t split = Add({Op::Split});
      Emit(body);
      SetSplit(split, split + 1, Here(), n.greedy);
      return;
    }
    const bool check = Nullable(body);
    const std::uint32_t reg = check ? program_.loopCount++ : 0;
    if (n.kind == Node::Kind::Star) {
      const std::uint32_t entry = Add({Op::Split});
      if (check) Add({Op::Mark, reg});
      Emit(body);
      if (check) Add({Op::Progress, reg});
      Add({Op::Jump, entry});
      SetSplit(entry, entry + 1, Here(), n.greedy);
      return;
    }
    if (check) Add({Op::Mark, reg, kFirstIteration});
    const std::uint32_t bodyStart = Here();
    Emit(body);
    const std::uint32_t progress = check ? Add({Op::Progress, reg}) : 0;
    if (check) Add({Op::Mark, reg});
    const std::uint32_t split = Add({Op::Split});
    SetSplit(split, bodyStart, Here(), n.greedy);
    if (check) code()[progress].y = Here();
  }

  Program& program_;
};

}  // namespace

bool Compile(std::u32string_view pattern, Program& program, CompileError& error) {
  program = Program();
  try {
    Parser parser(pattern, program);
    const NodePtr root = parser.ParseAll();
    Emitter emitter(program);
    emitter.Emit(*root);
    emitter.Finish();
    return true;
  } catch (const ParseFailure& f) {
    error.message = f.message;
    error.offset = f.offset;
    program = Program();
    return false;
  }
}

}  // namespace kelto::tags::regexp
