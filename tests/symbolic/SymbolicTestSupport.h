// Shared fixtures of the symbolic-model tests: a piping file written as JSON
// text and loaded through the real piping library, the CComponentInfo of one
// of its components, and a drawing of a builder recorded as exact line
// primitives.
//
//   symbolic_test::Plant plant(symbolic_test::OnePipeline(R"({"id": "V", ...})"));
//   auto info = plant.Info("V");
//   symbolic_test::Drawing d = symbolic_test::Draw(builder, *info);
//   symbolic_test::ExpectLines(d.geometry, {{{0, 0, 0}, {1, 0, 0}}});
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/GeometrySet.h"
#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "solid/ComponentInfo.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/PipingAccess.h"
#include "support/TempDir.h"
#include "symbolic/SymbolicGraphicsBuilder.h"

namespace symbolic_test {

using kelto::com::ComPtr;
using Json = nlohmann::ordered_json;

// A whole piping file with one pipeline "L1" holding the given components
// (the text between the brackets of its "components" array).
inline std::string OnePipeline(const std::string& components) {
  return R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L1", "components": [)" +
         components + "]}]}";
}

inline std::string OnePipeline(std::initializer_list<std::string> components) {
  std::string all;
  for (const std::string& c : components) all += (all.empty() ? "" : ",") + c;
  return OnePipeline(all);
}

// The non-blank parts of text between the separators.
inline std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, by);)
    if (part.find_first_not_of(' ') != std::string::npos) parts.push_back(part);
  return parts;
}

// One component written compactly. points: "Name x,y,z [bore=B] [units=U] [end=T]
// [internal]; ..."; legs: chains "A>B>C; B>D" (a leg "A>B@x,y,z" carries a
// direction); extra: further members of the component, verbatim.
inline std::string Component(const std::string& id, const std::string& type,
                             const std::string& group, const std::string& points,
                             const std::string& legs = "", const std::string& extra = "") {
  static const std::map<std::string, std::string> kMembers = {
      {"internal", "internal"}, {"bore", "bore"}, {"units", "boreUnits"}, {"end", "endType"}};
  const auto vec = [](const std::string& xyz) { return Json::parse("[" + xyz + "]"); };
  const auto name = [](const std::string& s) { return Split(s.substr(0, s.find('@')), ' ')[0]; };
  Json c = {{"id", id}, {"type", type}};
  if (!group.empty()) c["group"] = group;
  c["points"] = Json::object();
  for (const std::string& point : Split(points, ';')) {
    std::istringstream in(point);
    std::string pointName, xyz;
    in >> pointName >> xyz;
    Json& p = c["points"][pointName] = {{"position", vec(xyz)}};
    for (std::string word; in >> word;) {
      const std::size_t eq = word.find('=');
      const std::string value = eq == std::string::npos ? "true" : word.substr(eq + 1);
      p[kMembers.at(word.substr(0, eq))] = Json::accept(value) ? Json::parse(value) : Json(value);
    }
  }
  for (const std::string& chain : Split(legs, ';')) {
    const std::vector<std::string> names = Split(chain, '>');
    for (std::size_t i = 1; i < names.size(); ++i) {
      Json leg = {{"from", name(names[i - 1])}, {"to", name(names[i])}};
      if (names[i].find('@') != std::string::npos)
        leg["direction"] = vec(names[i].substr(names[i].find('@') + 1));
      c["legs"].push_back(leg);
    }
  }
  c.update(Json::parse("{" + extra + "}"));
  return c.dump();
}

// Dimension rules giving every point the same pipe OD, flange OD and flange
// thickness.
inline std::string UniformDimensions(double pipeOD, double flangeOD, double thickness) {
  std::ostringstream xml;
  xml << "<Dimensions><Lookup><Tag PipeOD=\"" << pipeOD << "\" FlangeOD=\"" << flangeOD
      << "\" FlangeThickness=\"" << thickness << "\"/></Lookup></Dimensions>";
  return xml.str();
}

// Every component of the file, pipelines and their components in index
// order; a failing call throws _com_error.
inline std::vector<ComPtr<IKeltoComponent>> AllComponents(IKeltoFile* file) {
  using kelto::com::ThrowIfFailed;
  std::vector<ComPtr<IKeltoComponent>> all;
  ComPtr<IKeltoPipelines> pipelines;
  ThrowIfFailed(file->get_Pipelines(pipelines.Put()));
  LONG lines = 0, count = 0;
  ThrowIfFailed(pipelines->get_Count(&lines));
  for (LONG i = 0; i < lines; ++i) {
    ComPtr<IKeltoPipeline> line;
    ComPtr<IKeltoComponents> components;
    ThrowIfFailed(pipelines->get_Item(_variant_t(static_cast<long>(i)), line.Put()));
    ThrowIfFailed(line->get_Components(components.Put()));
    ThrowIfFailed(components->get_Count(&count));
    for (LONG k = 0; k < count; ++k) {
      ThrowIfFailed(
          components->get_Item(_variant_t(static_cast<long>(k)), all.emplace_back().Put()));
    }
  }
  return all;
}

// A new piping file object with the file at path loaded; a failing call
// throws _com_error.
inline ComPtr<IKeltoFile> LoadFile(const std::filesystem::path& path) {
  ComPtr<IKeltoFile> file;
  kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                             kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.string()).GetBSTR()));
  return file;
}

// A piping file loaded from JSON text through KeltoFile.Load.
class Plant {
 public:
  explicit Plant(const std::string& json) {
    std::ofstream(m_dir.path() / "plant.json", std::ios::binary) << json;
    m_file = LoadFile(m_dir.path() / "plant.json");
  }

  IKeltoFile* File() const { return m_file.Get(); }
  // Loads dimension rules; a rule set with messages fails the test.
  void SetDimensions(const std::string& xml) {
    std::string errors;
    m_dims.SetConfig(xml, errors);
    EXPECT_EQ(errors, "");
  }

  // The component with that id; std::out_of_range when there is none.
  ComPtr<IKeltoComponent> Component(const std::string& id) const {
    for (const auto& c : AllComponents(m_file.Get()))
      if (kelto::solid::IdOf(c.Get()) == id) return c;
    throw std::out_of_range("no component " + id);
  }

  // The component's information, with this plant's dimension rules.
  std::unique_ptr<CComponentInfo> Info(const std::string& id) {
    const ComPtr<IKeltoComponent> c = Component(id);
    return std::make_unique<CComponentInfo>(m_file.Get(), kelto::solid::PipelineOf(c.Get()).Get(),
                                            c.Get(), &m_dims);
  }

 private:
  kelto::test::TempDir m_dir;
  ComPtr<IKeltoFile> m_file;
  CExternalDimensionInfo m_dims;
};

inline constexpr std::int32_t kTestColour = 0x123456;

struct Drawing {
  bool drawn = false;
  CGeometrySet geometry;
};

// What a builder or a library draws for the component.
template <class Builder>
Drawing Draw(Builder& builder, const CComponentInfo& info) {
  Drawing d;
  CSymbolicGraphicsBuilder gb(&d.geometry, kTestColour);
  d.drawn = builder.Build(info, gb);
  return d;
}

struct ExpectedLine {
  CPoint3 a;
  CPoint3 b;
};

// Lines written compactly, "x,y,z x,y,z" from start to end, separated by
// ';': Segments("0,0,0 1,0,0; 1,0,0 1,2,0").
inline std::vector<ExpectedLine> Segments(const std::string& text) {
  std::vector<ExpectedLine> lines;
  for (std::string segment : Split(text, ';')) {
    std::replace(segment.begin(), segment.end(), ',', ' ');
    std::istringstream in(segment);
    ExpectedLine& l = lines.emplace_back();
    std::string rest;
    EXPECT_TRUE((in >> l.a.x >> l.a.y >> l.a.z >> l.b.x >> l.b.y >> l.b.z) && !(in >> rest))
        << "bad segment: " << segment;
  }
  return lines;
}

inline bool Near(const CPoint3& p, const CPoint3& q, double tolerance) {
  return std::fabs(p.x - q.x) <= tolerance && std::fabs(p.y - q.y) <= tolerance &&
         std::fabs(p.z - q.z) <= tolerance;
}

inline std::string Text(const CPoint3& p) {
  std::ostringstream s;
  s << "(" << p.x << ", " << p.y << ", " << p.z << ")";
  return s.str();
}

// The geometry is exactly these lines, in this order and direction, each in
// the test colour.
inline void ExpectLines(const CGeometrySet& geometry, const std::vector<ExpectedLine>& expected,
                        double tolerance = 1e-9) {
  ASSERT_EQ(geometry.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const CPrimitive::Line* line = geometry[i].GetLine();
    ASSERT_NE(line, nullptr) << "primitive " << i << " is not a line";
    EXPECT_TRUE(Near(line->Start, expected[i].a, tolerance) &&
                Near(line->End, expected[i].b, tolerance))
        << "line " << i << ": " << Text(line->Start) << "-" << Text(line->End) << ", expected "
        << Text(expected[i].a) << "-" << Text(expected[i].b);
    EXPECT_EQ(line->Colour, kTestColour);
  }
}

struct DrawCase {
  const char* id;
  std::vector<ExpectedLine> lines;
};

// Each case's component is drawn, as exactly its lines.
template <class Builder>
void ExpectDrawings(Builder& builder, Plant& plant, const std::vector<DrawCase>& cases) {
  for (const DrawCase& c : cases) {
    SCOPED_TRACE(c.id);
    const Drawing d = Draw(builder, *plant.Info(c.id));
    EXPECT_TRUE(d.drawn);
    ExpectLines(d.geometry, c.lines);
  }
}

// The builder declines each of these components and draws nothing.
template <class Builder>
void ExpectDeclined(Builder& builder, Plant& plant, std::initializer_list<const char*> ids) {
  for (const char* id : ids) {
    const Drawing d = Draw(builder, *plant.Info(id));
    EXPECT_FALSE(d.drawn) << id;
    EXPECT_TRUE(d.geometry.empty()) << id;
  }
}

}  // namespace symbolic_test
