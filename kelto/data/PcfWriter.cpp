#include "kelto/data/PcfWriter.h"

#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string_view>

#include "kelto/data/File.h"
#include "kelto/data/NumberText.h"
#include "kelto/data/PcfTypes.h"

namespace kelto::data {

namespace {

constexpr double kInch = 25.4;
constexpr const char* kIndent = "    ";

// Keywords the writer itself produces for a component; attributes of the
// same name would be read back as something else.
bool Reserved(std::string_view name) {
  static constexpr std::string_view kReserved[] = {
      "END-POINT", "CENTRE-POINT", "CENTER-POINT", "CO-ORDS", "BRANCH1-POINT", "BRANCH2-POINT",
      "BRANCH3-POINT", "SKEY", "UNIQUE-COMPONENT-IDENTIFIER", "PIPELINE-REFERENCE",
      "MATERIALS"};
  for (std::string_view r : kReserved)
    if (name == r) return true;
  return name.rfind("UNITS-", 0) == 0 || name.rfind("MESSAGE-", 0) == 0 ||
         FindPcfIdentifier(name) != nullptr;
}

bool IsKeyword(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name)
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') return false;
  return true;
}

// Everything written is Latin-1 when the text allows it, as older programs
// expect; text with characters beyond it stays UTF-8.
std::string Encode(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += utf8[i];
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      return utf8;
    }
  }
  return out;
}

class Writer {
 public:
  Writer(const File& file, const PcfWriteOptions& options) : file_(file) {
    coordinateScale_ = options.coordinates == PcfUnit::kInch ? 1.0 / kInch : 1.0;
    keepBores_ = options.bore == PcfUnit::kKeep;
    boreInInch_ = keepBores_ ? UniformInch(file.AllPoints()) : options.bore == PcfUnit::kInch;
  }

  std::string Write() {
    out_ = "ISOGEN-FILES ISOGEN.FLS\n";
    out_ += std::string("UNITS-BORE ") + (boreInInch_ ? "INCH" : "MM") + "\n";
    out_ += std::string("UNITS-CO-ORDS ") + (coordinateScale_ == 1.0 ? "MM" : "INCH") + "\n";
    out_ += "UNITS-WEIGHT KGS\nUNITS-BOLT-DIA MM\nUNITS-BOLT-LENGTH MM\n";
    if (!file_.Description().empty()) Line("", "DESCRIPTION", file_.Description(), "the file");
    CollectMaterials();
    for (const Pipeline* p : file_.Pipelines()) {
      // A plant of lines in both kinds of bore keeps each line's own, with
      // a UNITS-BORE line where it changes.
      if (keepBores_ && !p->Components().empty()) {
        const Component& first = *p->Components().front();
        const Component& last = *p->Components().back();
        const auto* begin = first.Points().data();
        const auto* end = last.Points().data() + last.Points().size();
        const bool inch = UniformInch({begin, end});
        if (inch != boreInInch_) out_ += std::string("UNITS-BORE ") + (inch ? "INCH" : "MM") + "\n";
        boreInInch_ = inch;
      }
      out_ += "PIPELINE-REFERENCE " + Checked(p->Id(), "pipeline") + "\n";
      const std::string what = "pipeline \"" + std::string(p->Id()) + "\"";
      if (!p->Description().empty()) Line(kIndent, "DESCRIPTION", p->Description(), what);
      for (const Attribute& a : p->Attributes())
        Line(kIndent, file_.Text(a.name), file_.Text(a.value), what);
      for (const Component* c : p->Components()) WriteComponent(*c);
    }
    if (!materials_.empty()) {
      out_ += "MATERIALS\n";
      for (const auto& [code, description] : materials_) {
        if (!description) continue;
        out_ += "ITEM-CODE " + code + "\n";
        Line(kIndent, "DESCRIPTION", *description, "material " + code);
      }
    }
    return Encode(out_);
  }

 private:
  // True when every point has an inch bore.
  static bool UniformInch(std::span<const kelto::data::Point> points) {
    for (const kelto::data::Point& p : points)
      if (p.boreUnits != kBoreInch) return false;
    return !points.empty();
  }

  std::string Checked(std::string_view text, const std::string& what) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
      throw std::runtime_error("cannot write " + what + " to PCF: \"" + std::string(text) +
                               "\" has a line break");
    return std::string(text);
  }

  void Line(const char* indent, std::string_view name, std::string_view value,
            const std::string& what) {
    if (!IsKeyword(name))
      throw std::runtime_error("cannot write attribute \"" + std::string(name) + "\" of " + what +
                               " to PCF: a PCF keyword has no spaces");
    out_ += indent;
    out_ += name;
    if (!value.empty()) out_ += ' ' + Checked(value, "attribute " + std::string(name) + " of " + what);
    out_ += '\n';
  }

  // An item code goes to MATERIALS with its DESCRIPTION when every
  // component of that code has the same one.
  void CollectMaterials() {
    std::set<std::string> conflicting;
    for (const Component* c : file_.Components()) {
      const auto code = c->AttributeValue("ITEM-CODE");
      if (!code || !IsKeyword(*code)) continue;
      const auto description = c->AttributeValue("DESCRIPTION");
      const auto [it, fresh] = materials_.emplace(std::string(*code), std::nullopt);
      if (fresh && description)
        it->second = std::string(*description);
      else if (!description || !it->second || *it->second != *description)
        conflicting.insert(it->first);
    }
    for (const std::string& code : conflicting) materials_[code].reset();
  }

  void WritePoint(const char* keyword, const kelto::data::Point& p, bool withBore) {
    const double bore = p.boreUnits == kBoreInch ? (boreInInch_ ? p.bore : p.bore * kInch)
                                                 : (boreInInch_ ? p.bore / kInch : p.bore);
    out_ += kIndent;
    out_ += keyword;
    for (const double v : {p.position.x, p.position.y, p.position.z})
      out_ += ' ' + NumberText(v * coordinateScale_);
    if (withBore) out_ += ' ' + NumberText(bore);
    const std::string_view endType = file_.Text(p.endType);
    if (withBore && !endType.empty()) out_ += ' ' + Checked(endType, "an end connection");
    out_ += '\n';
  }

  std::string Skey(const Component& c, const PcfTypeRow* row) const {
    const std::string_view own = c.SymbolKey();
    if (!row || !row->group.empty() || row->type == "Support")
      if (own.size() == 4) return std::string(own);
    if (!row || row->skey.empty()) return "";
    if (row->skey.size() == 4) return std::string(row->skey);
    std::string end = "BW";
    for (const kelto::data::Point& p : c.Points()) {
      const std::string_view t = file_.Text(p.endType);
      if (!p.internal && t.size() >= 2 && std::isalpha(static_cast<unsigned char>(t[0])) &&
          std::isalpha(static_cast<unsigned char>(t[1]))) {
        end = std::string(t.substr(0, 2));
        break;
      }
    }
    for (char& ch : end) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return std::string(row->skey) + end;
  }

  static double BendAngle(const Component& c) {
    const kelto::data::Point* r1 = c.FindPoint("Run_1");
    const kelto::data::Point* c1 = c.FindPoint("Centre_1");
    const kelto::data::Point* r2 = c.FindPoint("Run_2");
    if (!r1 || !c1 || !r2 || !FindPcfRowByType(c.TypeName()) ||
        FindPcfRowByType(c.TypeName())->shape != PcfShape::kBend)
      return 0.0;
    const Vec3 a = c1->position - r1->position;
    const Vec3 b = r2->position - c1->position;
    if (a.Length() == 0 || b.Length() == 0) return 0.0;
    const double cosine = (a.x * b.x + a.y * b.y + a.z * b.z) / (a.Length() * b.Length());
    return std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * 180.0 / M_PI;
  }

  void WriteComponent(const Component& c) {
    const PcfTypeRow* row = FindPcfRowByType(c.TypeName());
    const std::string what = "component \"" + std::string(c.Id()) + "\"";
    const std::string identifier =
        row ? std::string(row->identifier) : Checked(c.TypeName(), what);
    if (!IsKeyword(identifier))
      throw std::runtime_error("cannot write " + what + " to PCF: its type \"" + identifier +
                               "\" has spaces");
    const PcfShape shape = row ? row->shape : PcfShape::kGeneric;
    out_ += identifier + '\n';
    const kelto::data::Point* c1 = c.FindPoint("Centre_1");
    const kelto::data::Point* c2 = c.FindPoint("Centre_2");
    for (const kelto::data::Point& p : c.Points()) {
      const std::string_view name = file_.Text(p.name);
      if (name.rfind("Run_", 0) == 0) {
        WritePoint("END-POINT", p, true);
      } else if (name.rfind("End_", 0) == 0 && name.size() == 5 && name[4] >= '1' &&
                 name[4] <= '3') {
        const std::string keyword = "BRANCH" + std::string(1, name[4]) + "-POINT";
        WritePoint(keyword.c_str(), p, true);
      } else if (name == "Centre_1" && shape == PcfShape::kSupport) {
        WritePoint("CO-ORDS", p, true);
      } else if (name == "Centre_1" && shape == PcfShape::kClosed) {
        WritePoint("END-POINT", p, true);
      } else if (name == "Centre_1" && shape == PcfShape::kReturn && c2) {
        kelto::data::Point middle = p;
        middle.position = (c1->position + c2->position) * 0.5;
        WritePoint("CENTRE-POINT", middle, false);
      } else if (name == "Centre_1" && shape == PcfShape::kEccentric) {
        continue;  // computed again from the ends
      } else if (name == "Centre_2" && (shape == PcfShape::kReturn ||
                                        shape == PcfShape::kEccentric ||
                                        shape == PcfShape::kTeedEccentric)) {
        continue;
      } else if (name == "Centre_1" || (name == "Centre_2" && shape == PcfShape::kGeneric)) {
        WritePoint("CENTRE-POINT", p, false);
      } else {
        throw std::runtime_error("cannot write " + what + " to PCF: no PCF line carries its point \"" +
                                 std::string(name) + "\"");
      }
    }
    const std::string skey = Skey(c, row);
    if (!skey.empty()) out_ += std::string(kIndent) + "SKEY " + skey + '\n';
    // Other programs need ANGLE for bends of other than 90 degrees; an ANGLE
    // attribute of the component is written as it is.
    if (!c.AttributeValue("ANGLE")) {
      const double degrees = shape == PcfShape::kReturn ? 180.0 : BendAngle(c);
      if (degrees > 0 && std::lround(degrees * 100) != 9000)
        out_ += std::string(kIndent) + "ANGLE " + std::to_string(std::lround(degrees * 100)) + '\n';
    }
    out_ += std::string(kIndent) + "UNIQUE-COMPONENT-IDENTIFIER " + Checked(c.Id(), what) + '\n';
    const auto code = c.AttributeValue("ITEM-CODE");
    const bool inMaterials = code && materials_.count(std::string(*code)) &&
                             materials_.at(std::string(*code)).has_value();
    for (const Attribute& a : c.Attributes()) {
      const std::string_view name = file_.Text(a.name);
      if (Reserved(name))
        throw std::runtime_error("cannot write attribute \"" + std::string(name) + "\" of " +
                                 what + " to PCF: the name is a PCF keyword");
      if (inMaterials && name == "DESCRIPTION") continue;
      Line(kIndent, name, file_.Text(a.value), what);
    }
  }

  const File& file_;
  std::string out_;
  double coordinateScale_ = 1.0;
  bool boreInInch_ = false;
  bool keepBores_ = true;
  std::map<std::string, std::optional<std::string>> materials_;
};

}  // namespace

std::string WritePcf(const File& file, const PcfWriteOptions& options) {
  return Writer(file, options).Write();
}

}  // namespace kelto::data
