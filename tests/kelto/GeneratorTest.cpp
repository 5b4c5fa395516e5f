#include "kelto/data/Generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "kelto/data/Catalogue.h"
#include "kelto/data/File.h"

using namespace kelto::data;

namespace {

// What a generated plant is made of, gathered once per file.
struct Census {
  std::map<std::string, std::size_t> types;
  std::set<std::string> endTypes;
  std::size_t connectedPairs = 0;
  std::size_t inchPoints = 0;
  std::size_t mmPoints = 0;
  std::size_t zeroLengthWelds = 0;
  std::size_t longWelds = 0;
};

Census Count(const File& file) {
  Census c;
  for (const Component* comp : file.Components()) {
    ++c.types[std::string(comp->TypeName())];
    for (const Point& p : comp->Points()) {
      (p.boreUnits == kBoreInch ? c.inchPoints : c.mmPoints)++;
      if (!p.internal) c.endTypes.insert(std::string(file.Text(p.endType)));
      if (p.connected != kNoIndex) ++c.connectedPairs;
    }
    if (comp->GroupName() == "Welds")
      (comp->Legs()[0].length == 0 ? c.zeroLengthWelds : c.longWelds)++;
  }
  c.connectedPairs /= 2;
  return c;
}

}  // namespace

TEST(Generator, SameSeedSameBytesOtherSeedOtherPlant) {
  const std::string a = Generate(3000, 11);
  EXPECT_EQ(Generate(3000, 11), a);
  EXPECT_NE(Generate(3000, 12), a);
}

TEST(Generator, EveryPlantLoadsWithExactlyTheIntendedConnections) {
  const std::pair<std::size_t, std::uint64_t> plants[] = {{0, 1},   {1, 1},    {2, 5},    {37, 2},
                                                          {500, 3}, {2500, 4}, {6000, 99}};
  for (const auto& [n, seed] : plants) {
    const GeneratedPlant plant = GeneratePlant(n, seed);
    File file;
    ASSERT_NO_THROW(file.LoadText(plant.text, "generated.json")) << n << " " << seed;
    EXPECT_EQ(file.Components().size(), n);
    EXPECT_EQ(file.Pipelines().size(), plant.pipelines);
    EXPECT_EQ(Count(file).connectedPairs, plant.joints) << n << " " << seed;
    for (const Component* c : file.Components()) {
      if (c->TypeName() != "Support") continue;
      ASSERT_EQ(c->AttachmentCount(), 1u) << c->Id();
      EXPECT_EQ(c->Attachment(0).TypeName(), "Pipe");
      EXPECT_TRUE(c->AttributeValue("SUPPORT-DIRECTION"));
      // The support point lies on the pipe it stands on.
      const Leg& leg = c->Attachment(0).Legs()[0];
      const Vec3 a = file.FromPoint(leg).position, b = file.ToPoint(leg).position;
      const Vec3 s = c->Points()[0].position;
      EXPECT_NEAR((s - a).Length() + (b - s).Length(), (b - a).Length(), 1e-6) << c->Id();
    }
  }
}

TEST(Generator, ModeratePlantsHoldEveryFamilyAndEveryDefaultTableType) {
  const GeneratedPlant plant = GeneratePlant(1500, 7);
  File file;
  file.LoadText(plant.text, "generated.json");
  const Census c = Count(file);
  for (const auto& t : Catalogue::Default().Types()) EXPECT_GT(c.types.count(t.type), 0u) << t.type;
  EXPECT_GT(c.inchPoints, 0u);
  EXPECT_GT(c.mmPoints, 0u);
  for (const char* end : {"FL", "BW", "SW", "SC"}) EXPECT_EQ(c.endTypes.count(end), 1u) << end;
  EXPECT_GT(c.zeroLengthWelds, 0u);
  EXPECT_GT(c.longWelds, 0u);

  for (const Component* comp : file.Components()) {
    const std::string type(comp->TypeName());
    const auto* known = Catalogue::Default().FindType(type);
    ASSERT_NE(known, nullptr) << type;
    EXPECT_EQ(comp->ItemCode(), known->itemCode);
    if (comp->GroupName() == "Instruments") {
      EXPECT_EQ(comp->ItemCode(), 5) << comp->Id();
    }
    if (type.find("Eccentric-Reducer") != std::string::npos) {
      EXPECT_EQ(comp->ShapeCode(), "Offset_2D");
    }
    if (known->symbolClass == "ANGLE-VALVE" || known->symbolClass == "MULTIWAY-VALVE") {
      EXPECT_TRUE(comp->AttributeValue("SPINDLE-DIRECTION")) << comp->Id();
    }
    // Zero-length legs (welds) carry their own direction.
    for (const Leg& leg : comp->Legs()) {
      EXPECT_TRUE(leg.hasDirection) << comp->Id();
    }
  }
}

TEST(Generator, BranchLinesStartAtTheirHeaderTee) {
  File file;
  file.LoadText(Generate(4000, 21), "generated.json");
  std::size_t crossings = 0;
  for (const Point& p : file.AllPoints()) {
    const Point* q = file.ConnectedPoint(p);
    if (q && &file.OwnerOf(p).OwnerPipeline() != &file.OwnerOf(*q).OwnerPipeline()) {
      ++crossings;
      const std::string_view name = file.Text(p.name);
      if (name == "End_1") {
        EXPECT_EQ(file.Text(q->name), "Run_1");
      }
    }
  }
  EXPECT_GT(crossings, 0u);
}
