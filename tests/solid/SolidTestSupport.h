// Shared set-up for the solid-builder tests: a fake file with one pipeline,
// the fake path walker registered, and helpers that draw a component and
// describe its primitives exactly (DescribePrimitive).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePiping.h"
#include "core/GeometrySet.h"
#include "solid/ComponentGeometryBuilder.h"
#include "solid/ComponentInfo.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/PrimitiveText.h"

namespace solid_test {

inline constexpr const char* kPipeColour = "0x00ff00";     // group "Pipe"
inline constexpr const char* kFittingColour = "0xffff00";  // group "Fittings"
inline constexpr const char* kValveColour = "0xff00ff";    // group "Valves"
inline constexpr const char* kSupportColour = "0x00ffff";  // group "Supports"

inline std::vector<std::string> Describe(const CGeometrySet& geometry) {
  std::vector<std::string> lines;
  for (const CPrimitive& p : geometry) lines.push_back(kelto::solid::DescribePrimitive(p));
  return lines;
}

class SolidTest : public ::testing::Test {
 protected:
  // The primitives one construction function draws for c, and its answer.
  std::vector<std::string> Draw(CKelto3ComponentGeometryBuilder::ConstructionFunction function,
                                FakeComponent& c, bool expected = true) {
    CComponentInfo info(file.Get(), c.pipeline, &c, &dims);
    CGeometrySet geometry;
    EXPECT_EQ(function(builder, info, geometry), expected);
    return Describe(geometry);
  }
  // The primitives Build draws for c; outcome receives what it did.
  std::vector<std::string> Build(FakeComponent& c, CBuildOutcome* outcome = nullptr) {
    CComponentInfo info(file.Get(), c.pipeline, &c, &dims);
    CGeometrySet geometry;
    const CBuildOutcome result = builder.Build(info, geometry);
    if (outcome) *outcome = result;
    return Describe(geometry);
  }

  WalkerRegistration walker;
  ComPtr<FakeFile> file = MakeFile();
  FakePipeline& line = file->Add("L1");
  CExternalDimensionInfo dims;
  CKelto3ComponentGeometryBuilder builder;
};

}  // namespace solid_test
