// The PCF file as a whole: text decoding, lines, the header and its units,
// pipeline blocks, component blocks and the closing MATERIALS section.
#include "kelto/data/PcfReader.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "kelto/data/Limits.h"
#include "kelto/data/LoadError.h"
#include "kelto/data/PcfBlock.h"
#include "kelto/data/PcfTypes.h"

namespace kelto::data {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

// Text that is not UTF-8 is Latin-1, as older programs write it.
std::string Decode(std::string_view raw) {
  if (raw.substr(0, kBom.size()) == kBom) raw.remove_prefix(kBom.size());
  if (ValidUtf8(raw)) return std::string(raw);
  std::string out;
  out.reserve(raw.size() + raw.size() / 8);
  for (const char ch : raw) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return out;
}

std::vector<PcfLine> SplitLines(std::string_view text) {
  std::vector<PcfLine> lines;
  std::size_t number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    ++number;
    start = end + 1;
    const bool indented = !line.empty() && Blank(line.front());
    while (!line.empty() && Blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && Blank(line.back())) line.remove_suffix(1);
    if (line.empty()) continue;
    std::size_t k = 0;
    while (k < line.size() && !Blank(line[k])) ++k;
    PcfLine l;
    l.number = number;
    l.indented = indented;
    l.spelled = std::string(line.substr(0, k));
    l.keyword = Upper(l.spelled);
    std::string_view value = line.substr(k);
    while (!value.empty() && Blank(value.front())) value.remove_prefix(1);
    l.value = std::string(value);
    lines.push_back(std::move(l));
  }
  return lines;
}

PcfUnits ApplyUnits(PcfUnits units, const PcfLine& l) {
  const std::string value = Upper(l.value);
  auto bad = [&](const char* accepted) {
    throw PcfProblem{l.number, l.keyword, "unknown unit \"" + l.value + "\" (" + accepted + ")"};
  };
  if (l.keyword == "UNITS-CO-ORDS") {
    if (value == "MM" || value == "MILLIMETRE" || value == "MILLIMETER")
      units.coordinateScale = 1.0;
    else if (value == "INCH" || value == "INCHES" || value == "IN")
      units.coordinateScale = 25.4;
    else
      bad("MM or INCH");
  } else if (l.keyword == "UNITS-BORE") {
    if (value == "MM" || value == "MILLIMETRE" || value == "MILLIMETER") {
      units.boreScale = 1.0;
      units.boreUnits = kBoreMillimetre;
    } else if (value == "INCH" || value == "INCHES" || value == "IN") {
      units.boreScale = 1.0;
      units.boreUnits = kBoreInch;
    } else if (value == "INCH-SIXTEENTH") {
      units.boreScale = 1.0 / 16.0;
      units.boreUnits = kBoreInch;
    } else {
      bad("MM, INCH or INCH-SIXTEENTH");
    }
  }
  // Weight, bolt and other units do not change any geometry.
  return units;
}

// Keywords that belong to a block and never start one, so that a file
// indenting only some of its lines still reads them as what they are.
bool AttributeKeyword(std::string_view k) {
  static constexpr std::string_view kKnown[] = {"END-POINT",
                                                "CENTRE-POINT",
                                                "CENTER-POINT",
                                                "CO-ORDS",
                                                "BRANCH1-POINT",
                                                "BRANCH2-POINT",
                                                "BRANCH3-POINT",
                                                "SKEY",
                                                "ANGLE",
                                                "BEND-RADIUS",
                                                "ITEM-CODE",
                                                "ITEM-DESCRIPTION",
                                                "UNIQUE-COMPONENT-IDENTIFIER",
                                                "COMPONENT-IDENTIFIER",
                                                "FABRICATION-ITEM",
                                                "ERECTION-ITEM",
                                                "WEIGHT",
                                                "DESCRIPTION",
                                                "MATERIAL-IDENTIFIER",
                                                "PIECE-MARK",
                                                "CONTINUATION"};
  for (std::string_view known : kKnown)
    if (k == known) return true;
  return k.rfind("COMPONENT-ATTRIBUTE", 0) == 0 ||
         (k.size() > 10 && k.substr(k.size() - 10) == "-DIRECTION");
}

std::string FileStem(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const auto dot = name.find_last_of('.');
  return dot == 0 || dot == std::string::npos ? name : name.substr(0, dot);
}

class Reader {
 public:
  Reader(const std::string& path, const PcfReadOptions& options) : path_(path), options_(options) {
    draft_.path = path;
  }

  PlantDraft Read(std::string_view text) {
    // Checked before the text is decoded or split, which would read it all:
    // a file of NUL bytes fails at its first byte, however large it is.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
      const std::size_t line = 1 + static_cast<std::size_t>(std::count(
                                       text.begin(), text.begin() + static_cast<long>(nul), '\n'));
      Fail({line, "", "the file holds a NUL byte, so it is not a text file"});
    }
    const std::vector<PcfLine> lines = SplitLines(Decode(text));
    bool anyIndented = false;
    for (const PcfLine& l : lines) anyIndented = anyIndented || l.indented;
    for (const PcfLine& l : lines) {
      try {
        Take(l, anyIndented);
      } catch (const PcfProblem& p) {
        Fail(p);
      }
    }
    Flush();
    JoinMaterials();
    for (DraftPipeline& p : draft_.pipelines) {
      std::vector<PcfProblem> problems;
      CompletePcfPipeline(p, problems);
      for (const PcfProblem& w : problems) Warn(w);
    }
    return std::move(draft_);
  }

 private:
  enum class Section { kHeader, kPipeline, kComponent, kMessage, kMaterials };

  [[noreturn]] void Fail(const PcfProblem& p) { throw LoadError(path_, p.keyword, p.text, p.line); }
  void Warn(const PcfProblem& p) {
    draft_.warnings.push_back(Where(path_, p.line) + ": " +
                              (p.keyword.empty() ? "" : p.keyword + ": ") + p.text);
  }

  void Take(const PcfLine& l, bool anyIndented) {
    const std::string& k = l.keyword;
    if (k == "MATERIALS" && !l.indented) {
      Flush();
      section_ = Section::kMaterials;
      return;
    }
    if (section_ == Section::kMaterials) {
      CheckPcfText(l, limits::kMaxNameBytes, limits::kMaxValueBytes);
      if (k == "ITEM-CODE") {
        material_ = &materials_[l.value];
      } else if (material_) {
        bool seen = false;
        for (const auto& a : *material_) seen = seen || a.first == k;
        if (!seen) material_->emplace_back(k, l.value);
      }
      return;
    }
    if (k == "PIPELINE-REFERENCE") {
      Flush();
      CheckPcfText(l, limits::kMaxValueBytes, limits::kMaxNameBytes);
      if (l.value.empty()) throw PcfProblem{l.number, k, "a pipeline needs a name"};
      OpenPipeline(l.value, l.number);
      section_ = Section::kPipeline;
      return;
    }
    if (k.rfind("UNITS-", 0) == 0 && (!l.indented || section_ == Section::kHeader)) {
      Flush();
      units_ = ApplyUnits(units_, l);
      if (section_ != Section::kHeader) section_ = Section::kMessage;
      return;
    }
    const bool message = k.rfind("MESSAGE-", 0) == 0;
    const bool identifier = FindPcfIdentifier(k) != nullptr;
    const bool unknownBlock =
        !l.indented && anyIndented && section_ != Section::kHeader && !AttributeKeyword(k);
    if (message || identifier || unknownBlock) {
      Flush();
      if (message) {  // drawing annotations: nothing of the piping
        section_ = Section::kMessage;
        return;
      }
      block_.emplace();
      block_->head = l;
      section_ = Section::kComponent;
      return;
    }
    switch (section_) {
      case Section::kHeader:
        CheckPcfText(l, limits::kMaxNameBytes, limits::kMaxValueBytes);
        if (k == "DESCRIPTION") draft_.description = l.value;
        return;
      case Section::kPipeline:
        PipelineAttribute(l);
        return;
      case Section::kComponent:
        block_->lines.push_back(l);
        return;
      default:
        return;
    }
  }

  void OpenPipeline(const std::string& id, std::size_t line) {
    const auto found = pipelines_.find(id);
    if (found != pipelines_.end()) {
      pipeline_ = found->second;
      return;
    }
    pipelines_.emplace(id, draft_.pipelines.size());
    pipeline_ = draft_.pipelines.size();
    DraftPipeline& p = draft_.pipelines.emplace_back();
    p.id = id;
    p.line = line;
  }

  void PipelineAttribute(const PcfLine& l) {
    CheckPcfText(l, limits::kMaxNameBytes, limits::kMaxValueBytes);
    DraftPipeline& p = draft_.pipelines[*pipeline_];
    if (l.keyword == "DESCRIPTION") {
      p.description = l.value;
      return;
    }
    for (const auto& a : p.attributes)
      if (a.first == l.keyword) return;
    if (p.attributes.size() >= limits::kMaxAttributes)
      throw PcfProblem{l.number, l.keyword, "too many attributes (the limit is 1024)"};
    p.attributes.emplace_back(l.keyword, l.value);
  }

  void Flush() {
    if (!block_) return;
    PcfBlock block = std::move(*block_);
    block_.reset();
    section_ = Section::kMessage;
    std::vector<PcfProblem> problems;
    try {
      DraftComponent c = BuildPcfComponent(block, units_, problems);
      // A component before any PIPELINE-REFERENCE belongs to a pipeline
      // named after the file.
      if (!pipeline_) OpenPipeline(FileStem(path_), 0);
      DraftPipeline& p = draft_.pipelines[*pipeline_];
      if (c.id.empty()) c.id = p.id + '/' + std::to_string(++sequence_[*pipeline_]);
      p.components.push_back(std::move(c));
    } catch (const PcfProblem& p) {
      if (!options_.keepGoing) Fail(p);
      const std::size_t last = block.lines.empty() ? block.head.number : block.lines.back().number;
      Warn({block.head.number, "",
            "skipped the " + block.head.spelled + " block (lines " +
                std::to_string(block.head.number) + " to " + std::to_string(last) + "): line " +
                std::to_string(p.line) + ": " + (p.keyword.empty() ? "" : p.keyword + ": ") +
                p.text});
      return;
    }
    for (const PcfProblem& w : problems) Warn(w);
  }

  // The MATERIALS section describes item codes once; every component with
  // that ITEM-CODE gets the description (its own lines win).
  void JoinMaterials() {
    if (materials_.empty()) return;
    for (DraftPipeline& p : draft_.pipelines)
      for (DraftComponent& c : p.components) {
        const std::string* code = nullptr;
        for (const auto& a : c.attributes)
          if (a.first == "ITEM-CODE") code = &a.second;
        if (!code) continue;
        const auto found = materials_.find(*code);
        if (found == materials_.end()) continue;
        for (const auto& m : found->second) {
          bool present = false;
          for (const auto& a : c.attributes) present = present || a.first == m.first;
          if (!present && c.attributes.size() < limits::kMaxAttributes) c.attributes.push_back(m);
        }
      }
  }

  const std::string& path_;
  const PcfReadOptions& options_;
  PlantDraft draft_;
  PcfUnits units_;
  Section section_ = Section::kHeader;
  std::optional<std::size_t> pipeline_;
  std::unordered_map<std::string, std::size_t> pipelines_;
  std::unordered_map<std::size_t, std::size_t> sequence_;
  std::optional<PcfBlock> block_;
  std::unordered_map<std::string, DraftAttributes> materials_;
  DraftAttributes* material_ = nullptr;
};

}  // namespace

bool LooksLikePcf(std::string_view text) {
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  for (const char c : text) {
    if (Blank(c) || c == '\n') continue;
    return c != '{' && c != '[' && c != '/';
  }
  return false;
}

PlantDraft ReadPcf(std::string_view text, const std::string& path, const PcfReadOptions& options) {
  return Reader(path, options).Read(text);
}

}  // namespace kelto::data
