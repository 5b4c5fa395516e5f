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

#include <cmath>
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
#include "support/TempDir.h"
#include "symbolic/CSSGBLibrary.h"
#include "symbolic/ComponentSSGBuilder.h"
#include "symbolic/ConcentricReducerCSSGB.h"
#include "symbolic/DefaultCSSGB.h"
#include "symbolic/EccentricReducerCSSGB.h"
#include "symbolic/InlineFitOrMiscCSSGB.h"
#include "symbolic/InlineInstrCSSGB.h"
#include "symbolic/SupportCSSGB.h"
#include "symbolic/SymbolicGraphicsBuilder.h"
#include "symbolic/ValveCSSGB.h"
#include "symbolic/WeldCSSGB.h"

namespace symbolic_test {

using kelto::com::ComPtr;

// A whole piping file with one pipeline "L1" holding the given components
// (the text between the brackets of its "components" array).
inline std::string OnePipeline(const std::string& components) {
  return R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L1", "components": [)" +
         components + "]}]}";
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

// A piping file loaded from JSON text through KeltoFile.Load.
class Plant {
 public:
  explicit Plant(const std::string& json) {
    const auto path = m_dir.path() / "plant.json";
    std::ofstream(path, std::ios::binary) << json;
    kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr,
                                               CLSCTX_INPROC_SERVER,
                                               kelto::com::IidOf<IKeltoFile>(), m_file.PutVoid()));
    const _bstr_t text(path.string());
    kelto::com::ThrowIfFailed(m_file->Load(text.GetBSTR()));
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
    for (const PlacedComponent& placed : AllComponents(m_file.Get())) {
      BSTR name = nullptr;
      kelto::com::ThrowIfFailed(placed.component->get_Id(&name));
      const std::string text = kelto::com::BstrToUtf8(name);
      SysFreeString(name);
      if (text == id) return placed.component;
    }
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

// The built-in part of the symbolic library: the "Default", "Group" and
// "Component Type" filters with a fresh builder per key, as the symbolic
// model builder composes them (without its symbol-file filter).
inline void AddBuiltInFilters(CCSSGBLibrary& library) {
  using Ptr = CComponentSSGBuilder::Ptr;
  library.AddFilter("Default", CCSSGBLibrary::IFFilter::Ptr(
                                   new CCSSGBLibrary::DefaultFilter(Ptr(new CDefaultCSSGB))));
  auto* group = new CCSSGBLibrary::GroupFilter;
  library.AddFilter("Group", CCSSGBLibrary::IFFilter::Ptr(group));
  group->AddBuilder("Valves", Ptr(new CValveCSSGB));
  group->AddBuilder("Welds", Ptr(new CWeldCSSGB));
  group->AddBuilder("Instruments", Ptr(new CInlineInstrCSSGB));
  group->AddBuilder("Fittings", Ptr(new CInlineFitOrMiscCSSGB));
  group->AddBuilder("Miscellaneous", Ptr(new CInlineFitOrMiscCSSGB));
  group->AddBuilder("Supports", Ptr(new CSupportCSSGB));
  auto* type = new CCSSGBLibrary::ComponentTypeFilter;
  library.AddFilter("Component Type", CCSSGBLibrary::IFFilter::Ptr(type));
  for (const char* key :
       {"Control-Valve", "Control-Valve-Angle", "Control-Valve-3Way", "Control-Valve-4Way"})
    type->AddBuilder(key, Ptr(new CValveCSSGB));
  for (const char* key : {"Eccentric-Reducer", "Teed-Eccentric-Reducer"})
    type->AddBuilder(key, Ptr(new CEccentricReducerCSSGB));
  for (const char* key : {"Concentric-Reducer", "Teed-Concentric-Reducer"})
    type->AddBuilder(key, Ptr(new CConcentricReducerCSSGB));
  for (const char* key : {"Set-On-Tee", "Set-On-Cross"})
    type->AddBuilder(key, Ptr(new CDefaultCSSGB));
}

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

}  // namespace symbolic_test
