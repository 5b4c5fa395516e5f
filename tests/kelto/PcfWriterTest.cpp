#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "PlantText.h"
#include "kelto/data/File.h"
#include "kelto/data/Generator.h"
#include "kelto/data/JsonWriter.h"
#include "kelto/data/PcfReader.h"
#include "kelto/data/PcfWriter.h"
#include "kelto/data/PlantConvert.h"
#include "support/TempDir.h"

using kelto::data::Component;
using kelto::data::File;
using kelto::data::PcfUnit;

namespace {

std::unique_ptr<File> FromText(const std::string& text, const std::string& name) {
  auto file = std::make_unique<File>();
  file->LoadText(text, name);
  return file;
}

// What a round trip must keep of each component, as text, so that a
// difference reads in the failure message. Attributes the PCF adds (ANGLE of
// a return bend) and attachments beyond the first (PCF places a support on
// the one line under it) are left out.
std::vector<std::string> Described(const File& file) {
  std::vector<std::string> out;
  for (const Component* c : file.Components()) {
    std::string s = std::string(c->OwnerPipeline().Id()) + " " + std::string(c->Id()) + " " +
                    std::string(c->TypeName()) + " " + std::string(c->GroupName()) + " " +
                    std::to_string(c->ItemCode()) + " " + std::string(c->SymbolKey()) + " " +
                    std::string(c->ShapeCode());
    for (const auto& p : c->Points())
      s += " | " + std::string(file.Text(p.name)) + " " + std::to_string(p.position.x) + " " +
           std::to_string(p.position.y) + " " + std::to_string(p.position.z) + " " +
           std::to_string(p.bore * (p.boreUnits == 1 ? 25.4 : 1.0)) + " " +
           std::string(file.Text(p.endType)) + (p.internal ? " internal" : "") +
           (file.ConnectedPoint(p) ? " connected" : "");
    for (const auto& l : c->Legs())
      s += " | " + std::string(file.Text(file.FromPoint(l).name)) + ">" +
           std::string(file.Text(file.ToPoint(l).name)) +
           (l.hasDirection ? " " + std::to_string(l.direction.x) + "," +
                                 std::to_string(l.direction.y) + "," + std::to_string(l.direction.z)
                           : "");
    for (const auto& a : c->Attributes())
      if (file.Text(a.name) != "ANGLE" || c->TypeName().find("Return") == std::string::npos)
        s += " | " + std::string(file.Text(a.name)) + "=" + std::string(file.Text(a.value));
    if (c->AttachmentCount()) s += " | on " + std::string(c->Attachment(0).Id());
    out.push_back(s);
  }
  return out;
}

void ExpectSamePlant(const File& a, const File& b, const std::string& what) {
  const auto da = Described(a);
  const auto db = Described(b);
  ASSERT_EQ(da.size(), db.size()) << what;
  for (std::size_t i = 0; i < da.size(); ++i) ASSERT_EQ(da[i], db[i]) << what;
  EXPECT_EQ(a.Description(), b.Description()) << what;
  for (std::size_t i = 0; i < a.Pipelines().size(); ++i) {
    EXPECT_EQ(a.Pipelines()[i]->Description(), b.Pipelines()[i]->Description()) << what;
    EXPECT_EQ(a.Pipelines()[i]->Attributes().size(), b.Pipelines()[i]->Attributes().size());
  }
}

}  // namespace

TEST(PcfWriter, JsonToPcfToJsonKeepsEveryComponentPointAndAttribute) {
  struct Case {
    std::string name;
    std::string json;
  };
  std::vector<Case> cases;
  for (const char* example :
       {"drain-spool.json", "pump-station.json", "steam-header.json", "pipe-rack.json"})
    cases.push_back({example, kelto::test::ReadExample(example)});
  cases.push_back({"generated 3000", kelto::data::Generate(3000, 11)});
  for (const Case& c : cases) {
    const auto original = FromText(c.json, c.name);
    const std::string pcf = kelto::data::WritePcf(*original);
    ASSERT_TRUE(kelto::data::LooksLikePcf(pcf));
    const auto back = FromText(pcf, c.name + ".pcf");
    EXPECT_TRUE(back->Warnings().empty()) << c.name << ": " << back->Warnings().front();
    ExpectSamePlant(*original, *back, c.name);
    // And through the JSON writer once more: nothing further changes.
    const auto again = FromText(kelto::data::WriteJson(*back), c.name + ".json");
    EXPECT_EQ(kelto::data::WriteJson(*again), kelto::data::WriteJson(*back)) << c.name;
  }
}

TEST(PcfWriter, SamplesSurviveTheWayBackThroughJson) {
  for (const char* sample : {"pcf/pump-suction-discharge.pcf", "pcf/steam-header.pcf",
                             "pcf/inch-bores-mm-coordinates.pcf"}) {
    File pcf;
    pcf.Load(kelto::test::Example(sample));
    const auto json = FromText(kelto::data::WriteJson(pcf), sample);
    ExpectSamePlant(pcf, *json, sample);
    const auto pcfAgain = FromText(kelto::data::WritePcf(*json), sample);
    ExpectSamePlant(pcf, *pcfAgain, sample);
  }
}

TEST(PcfWriter, WritesTheUnitsAskedFor) {
  File file;
  file.Load(kelto::test::Example("pcf/inch-bores-mm-coordinates.pcf"));
  const struct {
    PcfUnit bore, coordinates;
    const char* header;
  } cases[] = {
      {PcfUnit::kKeep, PcfUnit::kMillimetre, "UNITS-BORE INCH\nUNITS-CO-ORDS MM\n"},
      {PcfUnit::kMillimetre, PcfUnit::kMillimetre, "UNITS-BORE MM\nUNITS-CO-ORDS MM\n"},
      {PcfUnit::kInch, PcfUnit::kInch, "UNITS-BORE INCH\nUNITS-CO-ORDS INCH\n"},
  };
  for (const auto& c : cases) {
    const std::string pcf = kelto::data::WritePcf(file, {c.bore, c.coordinates});
    EXPECT_NE(pcf.find(c.header), std::string::npos) << c.header;
    const auto back = FromText(pcf, "units.pcf");
    ASSERT_EQ(back->AllPoints().size(), file.AllPoints().size());
    for (std::size_t i = 0; i < file.AllPoints().size(); ++i) {
      const auto& p = file.AllPoints()[i];
      const auto& q = back->AllPoints()[i];
      EXPECT_NEAR(q.position.x, p.position.x, 1e-9 * std::fabs(p.position.x) + 1e-9);
      EXPECT_NEAR(q.position.z, p.position.z, 1e-9 * std::fabs(p.position.z) + 1e-9);
      EXPECT_NEAR(q.bore * (q.boreUnits == 1 ? 25.4 : 1), p.bore * 25.4, 1e-9);
    }
  }
}

TEST(PcfWriter, MaterialsCarryDescriptionsSharedByAnItemCode) {
  File file;
  file.Load(kelto::test::Example("pcf/pump-suction-discharge.pcf"));
  const std::string pcf = kelto::data::WritePcf(file);
  EXPECT_NE(pcf.find("MATERIALS\n"), std::string::npos);
  EXPECT_NE(pcf.find("ITEM-CODE VGAT200A1\n    DESCRIPTION GATE VALVE, CL150, RF, OS&Y"),
            std::string::npos);
  // Written once, in the MATERIALS section, not in every block.
  EXPECT_EQ(pcf.find("DESCRIPTION PIPE, SMLS, ASTM A106"),
            pcf.rfind("DESCRIPTION PIPE, SMLS, ASTM A106"));
}

TEST(PcfWriter, RefusesWhatPcfCannotCarryAndLeavesTheOldFile) {
  const std::string base = R"({"format": "kelto-piping", "version": 1, "pipelines": [
    {"id": "L", "components": [{"id": "A", "type": "Pipe", "points": {
      "Run_1": {"position": [0, 0, 0]}, "Run_2": {"position": [1, 0, 0]}}, "attributes": {%}}]}]})";
  const struct {
    const char* attributes;
    const char* problem;
  } cases[] = {
      {R"("MY NAME": "x")", "a PCF keyword has no spaces"},
      {R"("NOTE": "two\nlines")", "has a line break"},
      {R"("SKEY": "PIPE")", "the name is a PCF keyword"},
  };
  kelto::test::TempDir dir;
  const auto out = dir.path() / "out.pcf";
  kelto::test::WriteText(out, "old");
  const auto in = dir.path() / "in.json";
  for (const auto& c : cases) {
    kelto::test::WriteText(in, kelto::test::Edit(base, "%", c.attributes));
    try {
      kelto::data::ConvertPlant(std::vector{in}, out);
      ADD_FAILURE() << c.attributes;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("component \"A\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(kelto::test::ReadText(out), "old");
  }
  kelto::test::WriteText(in, kelto::test::Edit(base, "%", ""));
  kelto::data::ConvertPlant(std::vector{in}, out);
  EXPECT_TRUE(kelto::data::LooksLikePcf(kelto::test::ReadText(out)));
}
