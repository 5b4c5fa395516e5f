// Shared set-up for the solid-builder tests: components written as small
// piping files and loaded through the real piping library, and helpers that
// draw a component and describe its primitives exactly (DescribePrimitive).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/GeometrySet.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "solid/ComponentGeometryBuilder.h"
#include "solid/ComponentInfo.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/PrimitiveText.h"

namespace solid_test {

using kelto::com::ComPtr;
using Json = nlohmann::ordered_json;
using Lines = std::vector<std::string>;

// One component of a piping file, written the way the tests describe it.
// Points keep the order they are added in; the group is always written, so
// the catalogue's defaults never choose the colour.
struct Comp {
  Comp(const std::string& id, const std::string& type, const std::string& group = "Pipe");
  Comp& Point(const std::string& name, CPoint3 at, double bore = 100,
              const std::string& endType = "BW", bool internal = false, long units = 2);
  // A centre: an internal point without an end type.
  Comp& Centre(const std::string& name, CPoint3 at, double bore = 100) {
    return Point(name, at, bore, "", true);
  }
  Comp& Leg(const std::string& from, const std::string& to,
            std::optional<CVector3> direction = std::nullopt);
  Comp& Attribute(const std::string& name, const std::string& value);
  Comp& Attach(const std::string& id);
  Comp& Shape(const std::string& code);

  std::string id;
  Json json;
};

// Run_1 at a and Run_2 at b, joined by one leg.
inline Comp Straight(const std::string& id, const std::string& type, const std::string& group,
                     CPoint3 a, CPoint3 b, double bore = 100, const std::string& endType = "BW",
                     long units = 2) {
  return Comp(id, type, group)
      .Point("Run_1", a, bore, endType, false, units)
      .Point("Run_2", b, bore, endType, false, units)
      .Leg("Run_1", "Run_2");
}
inline Comp Pipe(const std::string& id, CPoint3 a, CPoint3 b, double bore = 100, long units = 2) {
  return Straight(id, "Pipe", "Pipe", a, b, bore, "BW", units);
}

// Pipelines in file order: a name and its components.
using Plant = std::vector<std::pair<std::string, std::vector<Comp>>>;

// Loads the file at path into a new file object of the piping library (or,
// given one, into that); a failing call throws _com_error.
ComPtr<IKeltoFile> LoadFile(const std::filesystem::path& path, IKeltoFile* into = nullptr);
// Writes the plant into a temporary folder and loads it into a new file
// object of the piping library (or, given one, loads it again into that).
ComPtr<IKeltoFile> Load(const Plant& plant, IKeltoFile* into = nullptr);
// The components, in pipeline "L1".
inline ComPtr<IKeltoFile> Load(const std::vector<Comp>& components) {
  return Load(Plant{{"L1", components}});
}

ComPtr<IKeltoPipeline> PipelineOf(IKeltoFile* file, const std::string& name);
std::vector<ComPtr<IKeltoComponent>> ComponentsOf(IKeltoPipeline* pipeline);
// The component of that id, in any pipeline; fails the test when missing.
ComPtr<IKeltoComponent> ComponentOf(IKeltoFile* file, const std::string& id);

// c, loaded after the others in pipeline "L1", with its file and pipeline.
struct Loaded {
  ComPtr<IKeltoFile> file;
  ComPtr<IKeltoPipeline> pipeline;
  ComPtr<IKeltoComponent> component;
  // The component's point of that name (null when it has none).
  ComPtr<IKeltoPoint> Point(const char16_t* name) const;
};
Loaded LoadOne(const Comp& c, const std::vector<Comp>& others = {});

inline Lines Describe(const CGeometrySet& geometry) {
  Lines lines;
  for (const CPrimitive& p : geometry) lines.push_back(kelto::solid::DescribePrimitive(p));
  return lines;
}

class SolidTest : public ::testing::Test {
 protected:
  // The primitives one construction function draws for c (loaded after the
  // others in pipeline "L1"), and its answer.
  Lines Draw(CKelto3ComponentGeometryBuilder::ConstructionFunction function, const Comp& c,
             bool expected = true, const std::vector<Comp>& others = {});
  // The primitives Build draws for c; outcome receives what it did.
  Lines Build(const Comp& c, CBuildOutcome* outcome = nullptr,
              const std::vector<Comp>& others = {});

  CExternalDimensionInfo dims;
  CKelto3ComponentGeometryBuilder builder;
};

}  // namespace solid_test
