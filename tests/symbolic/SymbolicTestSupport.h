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
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/GeometrySet.h"
#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "solid/ComponentInfo.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/PipingAccess.h"
#include "support/TempDir.h"
#include "symbolic/CSSGBLibrary.h"
#include "symbolic/ComponentSSGBuilder.h"
#include "symbolic/SymbolicGraphicsBuilder.h"

namespace symbolic_test {

using kelto::com::ComPtr;

// A whole piping file with one pipeline "L1" holding the given components
// (the text between the brackets of its "components" array).
inline std::string OnePipeline(const std::string& components) {
  return R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L1", "components": [)" +
         components + "]}]}";
}

// One component written compactly. points: "Name x,y,z [bore=B] [units=U] [end=T]
// [internal]; ..."; legs: chains "A>B>C; B>D" (a leg "A>B@x,y,z" carries a
// direction); extra: further members of the component, verbatim.
inline std::string Component(const std::string& id, const std::string& type,
                             const std::string& group, const std::string& points,
                             const std::string& legs = "", const std::string& extra = "") {
  const auto split = [](const std::string& text, char by) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);)
      if (part.find_first_not_of(' ') != std::string::npos) parts.push_back(part);
    return parts;
  };
  const auto vec = [](std::string xyz) { return "[" + xyz + "]"; };
  std::string json = R"({"id": ")" + id + R"(", "type": ")" + type + "\"";
  if (!group.empty()) json += R"(, "group": ")" + group + "\"";
  json += R"(, "points": {)";
  for (const std::string& point : split(points, ';')) {
    std::istringstream in(point);
    std::string name, xyz, word;
    in >> name >> xyz;
    json += (json.back() == '{' ? "\"" : ", \"") + name + R"(": {"position": )" + vec(xyz);
    while (in >> word) {
      const std::string key = word.substr(0, word.find('='));
      const std::string value = word.substr(std::min(word.size(), key.size() + 1));
      if (key == "internal") json += R"(, "internal": true)";
      if (key == "bore") json += R"(, "bore": )" + value;
      if (key == "units") json += R"(, "boreUnits": )" + value;
      if (key == "end") json += R"(, "endType": ")" + value + "\"";
      if (key != "internal" && key != "bore" && key != "units" && key != "end")
        ADD_FAILURE() << "unknown point word " << word;
    }
    json += "}";
  }
  json += "}";
  if (!legs.empty()) {
    const auto name = [](const std::string& s) {
      std::istringstream in(s.substr(0, s.find('@')));
      std::string n;
      in >> n;
      return n;
    };
    json += R"(, "legs": [)";
    for (const std::string& chain : split(legs, ';')) {
      const std::vector<std::string> names = split(chain, '>');
      for (std::size_t i = 1; i < names.size(); ++i) {
        json += (json.back() == '[' ? "" : ", ") + std::string(R"({"from": ")") +
                name(names[i - 1]) + R"(", "to": ")" + name(names[i]) + "\"";
        if (names[i].find('@') != std::string::npos)
          json += R"(, "direction": )" + vec(names[i].substr(names[i].find('@') + 1));
        json += "}";
      }
    }
    json += "]";
  }
  return json + (extra.empty() ? "" : ", " + extra) + "}";
}

inline std::string OnePipeline(std::initializer_list<std::string> components) {
  std::string all;
  for (const std::string& c : components) all += (all.empty() ? "" : ",") + c;
  return OnePipeline(all);
}

// Dimension rules giving every point the same pipe OD, flange OD and flange
// thickness.
inline std::string UniformDimensions(double pipeOD, double flangeOD, double thickness) {
  std::ostringstream xml;
  xml << "<Dimensions><Lookup><Tag PipeOD=\"" << pipeOD << "\" FlangeOD=\"" << flangeOD
      << "\" FlangeThickness=\"" << thickness << "\"/></Lookup></Dimensions>";
  return xml.str();
}

// A component with the pipeline that holds it.
struct PlacedComponent {
  ComPtr<IKeltoPipeline> pipeline;
  ComPtr<IKeltoComponent> component;
};

// Every component of the file, pipelines and their components in index
// order; a failing call throws _com_error.
inline std::vector<PlacedComponent> AllComponents(IKeltoFile* file) {
  using kelto::com::ThrowIfFailed;
  std::vector<PlacedComponent> all;
  ComPtr<IKeltoPipelines> pipelines;
  ThrowIfFailed(file->get_Pipelines(pipelines.Put()));
  LONG lines = 0;
  ThrowIfFailed(pipelines->get_Count(&lines));
  for (LONG i = 0; i < lines; ++i) {
    ComPtr<IKeltoPipeline> line;
    ThrowIfFailed(pipelines->get_Item(_variant_t(static_cast<long>(i)), line.Put()));
    ComPtr<IKeltoComponents> components;
    ThrowIfFailed(line->get_Components(components.Put()));
    LONG count = 0;
    ThrowIfFailed(components->get_Count(&count));
    for (LONG k = 0; k < count; ++k) {
      ComPtr<IKeltoComponent> c;
      ThrowIfFailed(components->get_Item(_variant_t(static_cast<long>(k)), c.Put()));
      all.push_back({line, c});
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
    const auto path = m_dir.path() / "plant.json";
    std::ofstream(path, std::ios::binary) << json;
    m_file = LoadFile(path);
  }

  IKeltoFile* File() const { return m_file.Get(); }
  CExternalDimensionInfo& Dimensions() { return m_dims; }
  // Loads dimension rules; a rule set with messages fails the test.
  void SetDimensions(const std::string& xml) {
    std::string errors;
    m_dims.SetConfig(xml, errors);
    EXPECT_EQ(errors, "");
  }

  // The component with that id, from any pipeline; std::out_of_range when
  // there is none.
  ComPtr<IKeltoComponent> Component(const std::string& id) const {
    for (const PlacedComponent& placed : AllComponents(m_file.Get()))
      if (kelto::solid::IdOf(placed.component.Get()) == id) return placed.component;
    throw std::out_of_range("no component " + id);
  }

  // The component's information, with this plant's dimension rules.
  std::unique_ptr<CComponentInfo> Info(const std::string& id) {
    const ComPtr<IKeltoComponent> c = Component(id);
    ComPtr<IKeltoPipeline> line;
    kelto::com::ThrowIfFailed(c->get_Pipeline(line.Put()));
    return std::make_unique<CComponentInfo>(m_file.Get(), line.Get(), c.Get(), &m_dims);
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

// What the library draws for the component.
inline Drawing Draw(const CCSSGBLibrary& library, const CComponentInfo& info) {
  Drawing d;
  CSymbolicGraphicsBuilder gb(&d.geometry, kTestColour);
  d.drawn = library.Build(info, gb);
  return d;
}

// What builder draws for the component, through a CSymbolicGraphicsBuilder.
inline Drawing Draw(CComponentSSGBuilder& builder, const CComponentInfo& info) {
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
  std::istringstream in(text);
  std::string segment;
  while (std::getline(in, segment, ';')) {
    for (char& c : segment)
      if (c == ',') c = ' ';
    if (segment.find_first_not_of(" ") == std::string::npos) continue;
    std::istringstream numbers(segment);
    ExpectedLine l;
    std::string rest;
    EXPECT_TRUE((numbers >> l.a.x >> l.a.y >> l.a.z >> l.b.x >> l.b.y >> l.b.z) &&
                !(numbers >> rest))
        << "bad segment: " << segment;
    lines.push_back(l);
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
