#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "PlantText.h"
#include "kelto/data/File.h"

using kelto::data::Component;
using kelto::data::File;
using kelto::data::LoadError;
using kelto::data::Point;

namespace {

const Point& P(const Component& c, const char* name) {
  const Point* p = c.FindPoint(name);
  if (!p) throw std::logic_error(std::string("no point ") + name);
  return *p;
}

std::map<std::string, int> CountByType(const File& file) {
  std::map<std::string, int> counts;
  for (const Component* c : file.Components()) ++counts[std::string(c->TypeName())];
  return counts;
}

std::unique_ptr<File> Loaded(const std::string& text) {
  auto file = std::make_unique<File>();
  file->SetLoadOptions({false, 1});
  file->LoadText(text, "t.pcf");
  return file;
}

std::string Message(const std::string& text) {
  try {
    Loaded(text);
  } catch (const LoadError& e) {
    return e.what();
  }
  return "loaded";
}

struct BadPcf {
  const char* text;
  std::string message;
};

const std::string kHeader = "UNITS-BORE MM\nUNITS-CO-ORDS MM\nPIPELINE-REFERENCE L1\n";

}  // namespace

// The sample files load without a warning into the components they describe
// (the blocks' rules one by one: the tables below).
TEST(PcfReader, SamplesHoldTheComponentsTheirFilesDescribe) {
  struct Case {
    const char* file;
    std::size_t pipelines, components;
    const char* type;
    int count;
  };
  const Case cases[] = {
      {"pcf/pump-suction-discharge.pcf", 3, 49, "Elbow-90-V", 5},
      {"pcf/steam-header.pcf", 5, 61, "Reducing-Tee", 3},
      {"pcf/inch-bores-mm-coordinates.pcf", 2, 25, "Pipe", 9},
  };
  for (const Case& c : cases) {
    File file;
    file.Load(kelto::test::Example(c.file));
    EXPECT_EQ(file.Pipelines().size(), c.pipelines) << c.file;
    EXPECT_EQ(file.Components().size(), c.components) << c.file;
    EXPECT_EQ(CountByType(file)[c.type], c.count) << c.file;
    EXPECT_TRUE(file.Warnings().empty()) << c.file << ": " << file.Warnings().front();
  }
}

TEST(PcfReader, UnitsConvertCoordinatesToMillimetres) {
  const struct {
    const char* units;
    double x, bore;
    std::uint8_t boreUnits;
  } cases[] = {
      {"UNITS-CO-ORDS INCH\nUNITS-BORE INCH\n", 254.0, 6.0, 1},
      {"UNITS-CO-ORDS MM\nUNITS-BORE MM\n", 10.0, 6.0, 2},
      {"UNITS-BORE INCH-SIXTEENTH\n", 10.0, 6.0 / 16.0, 1},
      {"", 10.0, 6.0, 2},  // no units: millimetres
  };
  for (const auto& c : cases) {
    const auto file = Loaded(std::string(c.units) +
                             "PIPELINE-REFERENCE L\nPIPE\n    END-POINT 0 0 0 6\n"
                             "    END-POINT 10 0 0 6\n");
    const Component& pipe = *file->Components()[0];
    EXPECT_DOUBLE_EQ(P(pipe, "Run_2").position.x, c.x) << c.units;
    EXPECT_DOUBLE_EQ(P(pipe, "Run_2").bore, c.bore) << c.units;
    EXPECT_EQ(P(pipe, "Run_2").boreUnits, c.boreUnits) << c.units;
  }
}

TEST(PcfReader, BendsTakeTheirTypeFromAngleAndPlane) {
  const struct {
    const char* identifier;
    const char* centre;
    const char* end;
    const char* angle;
    const char* type;
  } cases[] = {
      {"ELBOW", "100 0 0", "100 100 0", "", "Elbow-90"},
      {"ELBOW", "100 0 0", "100 0 100", "", "Elbow-90-V"},
      {"ELBOW", "100 0 0", "170.7106781 70.7106781 0", "    ANGLE 4500\n", "Elbow-45"},
      {"elbow", "100 0 0", "170.7106781 0 70.7106781", "    angle 45.0\n", "Elbow-45-V"},
      {"ELBOW", "100 0 0", "196.5925826 25.8819045 0", "", "Elbow-NonStandard"},
      {"BEND", "100 0 0", "100 100 0", "", "PulledBend"},
  };
  for (const auto& c : cases) {
    const auto file = Loaded(kHeader + c.identifier + "\n    END-POINT 0 0 0 100 BW\n" +
                             "    END-POINT " + c.end + " 100 BW\n    CENTRE-POINT " + c.centre +
                             "\n" + c.angle);
    const Component& bend = *file->Components()[0];
    EXPECT_EQ(bend.TypeName(), c.type) << c.end;
    ASSERT_EQ(bend.Legs().size(), 2u);
    EXPECT_TRUE(P(bend, "Centre_1").internal);
    EXPECT_EQ(P(bend, "Centre_1").position.x, 100.0);
    EXPECT_EQ(P(bend, "Centre_1").bore, 100.0);  // from the end before it
    EXPECT_EQ(file->Text(file->ToPoint(bend.Legs()[0]).name), "Centre_1");
  }
}

TEST(PcfReader, ReturnBendGetsBothTangentIntersections) {
  const auto file = Loaded(kHeader +
                           "BEND\n    END-POINT 0 0 0 100\n    END-POINT 0 400 0 100\n"
                           "    CENTRE-POINT 200 200 0\n    ANGLE 18000\n");
  const Component& bend = *file->Components()[0];
  EXPECT_EQ(bend.TypeName(), "ReturnBend");
  EXPECT_EQ(P(bend, "Centre_1").position.x, 200.0);
  EXPECT_EQ(P(bend, "Centre_1").position.y, 0.0);
  EXPECT_EQ(P(bend, "Centre_2").position.y, 400.0);
  EXPECT_EQ(bend.Legs().size(), 3u);
  EXPECT_EQ(bend.AttributeValue("ANGLE").value_or(""), "18000");
}

TEST(PcfReader, BranchPointsBecomeEndsJoinedToTheCentre) {
  const auto file = Loaded(kHeader +
                           "TEE\n    END-POINT 0 0 0 150\n    END-POINT 300 0 0 150\n"
                           "    BRANCH1-POINT 150 0 140 50\n"  // no CENTRE-POINT
                           "CROSS\n    END-POINT 300 0 0 150\n    END-POINT 600 0 0 150\n"
                           "    CENTRE-POINT 450 0 0\n    BRANCH1-POINT 450 140 0 150\n"
                           "    BRANCH2-POINT 450 -140 0 150\n"
                           "OLET\n    CENTRE-POINT 100 0 0\n    BRANCH1-POINT 100 0 -90 25\n");
  const Component& tee = *file->Components()[0];
  EXPECT_EQ(tee.TypeName(), "Reducing-Tee");  // smaller branch, no SKEY to say otherwise
  EXPECT_EQ(P(tee, "Centre_1").position.x, 150.0);
  EXPECT_EQ(P(tee, "End_1").position.z, 140.0);
  EXPECT_EQ(tee.Legs().size(), 3u);
  const Component& cross = *file->Components()[1];
  EXPECT_EQ(cross.TypeName(), "Set-On-Cross");
  EXPECT_EQ(P(cross, "End_2").position.y, -140.0);
  EXPECT_EQ(cross.Legs().size(), 4u);
  const Component& olet = *file->Components()[2];
  EXPECT_EQ(olet.TypeName(), "Olet");
  EXPECT_EQ(file->Text(file->FromPoint(olet.Legs()[0]).name), "Centre_1");
  // The tee's run end meets the cross.
  EXPECT_NE(file->ConnectedPoint(P(tee, "Run_2")), nullptr);
}

TEST(PcfReader, SkeyChoosesTheTypeAndTheCatalogueTheSymbol) {
  const struct {
    const char* block;
    const char* type;
    const char* symbol;
    std::int32_t itemCode;
  } cases[] = {
      {"VALVE\n    SKEY VTFL", "Gate-Valve", "VAGA", 15},
      {"VALVE\n    SKEY vgbw", "Globe-Valve", "VAGL", 15},
      {"VALVE\n    SKEY QQFL", "Basic-Valve", "VABS", 15},
      {"VALVE", "Basic-Valve", "VABS", 15},
      {"FLANGE\n    SKEY FLSO", "Slip-On-Flange", "FLSO", 4},
      {"INSTRUMENT\n    SKEY OPFL", "Orifice-Plate", "INOR", 5},
      {"REDUCER-CONCENTRIC", "Concentric-Reducer", "RDCO", 11},
  };
  for (const auto& c : cases) {
    const auto file = Loaded(kHeader + c.block +
                             "\n    END-POINT 0 0 0 100 FL\n    END-POINT 200 0 0 80 FL\n");
    const Component& v = *file->Components()[0];
    EXPECT_EQ(v.TypeName(), c.type) << c.block;
    EXPECT_EQ(v.SymbolKey(), c.symbol) << c.block;
    EXPECT_EQ(v.ItemCode(), c.itemCode) << c.block;
  }
}

TEST(PcfReader, SupportsStandOnThePipeUnderThem) {
  const auto file = Loaded(kHeader +
                           "PIPE\n    END-POINT 0 0 0 100\n    END-POINT 1000 0 0 100\n"
                           "WELD\n    END-POINT 1000 0 0 100\n    END-POINT 1000 0 0 100\n"
                           "PIPE\n    END-POINT 1000 0 0 100\n    END-POINT 2000 0 0 100\n"
                           "SUPPORT\n    CO-ORDS 1500 0 -50 100\n    SKEY SUGD\n"
                           "    SUPPORT-DIRECTION down\n"
                           "SUPPORT\n    CO-ORDS 1000 0 0 100\n"
                           "SUPPORT\n    CO-ORDS 5000 0 0 100\n");
  const auto c = file->Components();
  ASSERT_EQ(c.size(), 6u);
  ASSERT_EQ(c[3]->AttachmentCount(), 1u);
  EXPECT_EQ(c[3]->Attachment(0).Id(), c[2]->Id());
  EXPECT_EQ(c[3]->SymbolKey(), "SUGD");
  EXPECT_EQ(c[3]->AttributeValue("SUPPORT-DIRECTION").value_or(""), "DOWN");
  EXPECT_TRUE(P(*c[3], "Centre_1").internal);
  // On a joint the support stands on a pipe, not on the zero-length weld.
  ASSERT_EQ(c[4]->AttachmentCount(), 1u);
  EXPECT_EQ(c[4]->Attachment(0).TypeName(), "Pipe");
  EXPECT_EQ(c[5]->AttachmentCount(), 0u);
  ASSERT_EQ(file->Warnings().size(), 1u);
  EXPECT_NE(file->Warnings()[0].find("t.pcf:"), std::string::npos);
  // The zero-length weld takes the direction of the line.
  const auto& weld = c[1]->Legs()[0];
  EXPECT_TRUE(weld.hasDirection);
  EXPECT_EQ(weld.direction.x, 1.0);
}

TEST(PcfReader, MaterialsJoinTheComponentsByItemCode) {
  const auto file = Loaded(kHeader +
                           "PIPE\n    END-POINT 0 0 0 100\n    END-POINT 10 0 0 100\n"
                           "    ITEM-CODE P100\n"
                           "PIPE\n    END-POINT 10 0 0 100\n    END-POINT 20 0 0 100\n"
                           "    ITEM-CODE P100\n    DESCRIPTION OWN TEXT\n"
                           "MATERIALS\nITEM-CODE P100\n    DESCRIPTION PIPE SMLS 4IN\n"
                           "    MATERIAL-IDENTIFIER 7\nITEM-CODE UNUSED\n    DESCRIPTION X\n");
  EXPECT_EQ(file->Components()[0]->AttributeValue("DESCRIPTION").value_or(""), "PIPE SMLS 4IN");
  EXPECT_EQ(file->Components()[0]->AttributeValue("MATERIAL-IDENTIFIER").value_or(""), "7");
  EXPECT_EQ(file->Components()[1]->AttributeValue("DESCRIPTION").value_or(""), "OWN TEXT");
}

TEST(PcfReader, RealFileHabitsAreRead) {
  // CRLF, tabs, lower-case keywords, Latin-1, blank lines, a byte order mark,
  // attributes without values, several pipelines, one given twice.
  const std::string text =
      "\xEF\xBB\xBFISOGEN-FILES ISOGEN.FLS\r\n\r\nunits-bore mm\r\n"
      "pipeline-reference A\r\n\tpiping-spec Z1\r\n"
      "pipe\r\n\tend-point 0 0 0 50 bw\r\n\tend-point 10 0 0 50 bw\r\n"
      "\tfabrication-item\r\n\tcomponent-attribute1 Stra\xDF" "e 5\xB0\r\n"
      "PIPELINE-REFERENCE B\r\nPIPE\r\n\tEND-POINT 20 0 0\r\n\tEND-POINT 30 0 0 50\r\n"
      "PIPELINE-REFERENCE A\r\nPIPE\r\n\tEND-POINT 10 0 0 50\r\n\tEND-POINT 20 0 0 50\r\n";
  const auto file = Loaded(text);
  ASSERT_EQ(file->Pipelines().size(), 2u);
  EXPECT_EQ(file->Pipelines()[0]->Components().size(), 2u);
  EXPECT_EQ(file->Pipelines()[0]->AttributeValue("PIPING-SPEC").value_or(""), "Z1");
  const Component& first = *file->Components()[0];
  EXPECT_EQ(first.AttributeValue("FABRICATION-ITEM").value_or("absent"), "");
  EXPECT_EQ(first.AttributeValue("COMPONENT-ATTRIBUTE1").value_or(""), "Stra\u00DFe 5\u00B0");
  EXPECT_EQ(file->Text(P(first, "Run_1").endType), "BW");  // "FL..." decides flanges
  EXPECT_NE(first.Id(), file->Components()[1]->Id());
  // A point written without a bore has none, not a made-up one.
  const Component& second = *file->Pipelines()[1]->Components()[0];
  EXPECT_EQ(P(second, "Run_1").bore, 0.0);
}

TEST(PcfReader, UnknownComponentsAreKeptWithAWarningNamingTheLine) {
  const auto file = Loaded(kHeader +
                           "PIPE\n    END-POINT 0 0 0 100\n    END-POINT 10 0 0 100\n"
                           "    SOME-NEW-ATTRIBUTE 42\n"
                           "Pump-Casing\n    END-POINT 10 0 0 100\n    END-POINT 10 0 500 100\n"
                           "    CENTRE-POINT 10 0 200\n"
                           "MESSAGE-SQUARE\n    CO-ORDS 0 0 0\n    TEXT hello\n");
  ASSERT_EQ(file->Components().size(), 2u);
  EXPECT_EQ(file->Components()[0]->AttributeValue("SOME-NEW-ATTRIBUTE").value_or(""), "42");
  const Component& unknown = *file->Components()[1];
  EXPECT_EQ(unknown.TypeName(), "Pump-Casing");
  EXPECT_EQ(unknown.GroupName(), "Miscellaneous");
  EXPECT_EQ(unknown.Legs().size(), 2u);
  ASSERT_EQ(file->Warnings().size(), 1u);
  EXPECT_EQ(file->Warnings()[0].rfind("t.pcf:8: Pump-Casing: ", 0), 0u) << file->Warnings()[0];
}

TEST(PcfReader, EveryErrorNamesTheFileAndLine) {
  const BadPcf cases[] = {
      {"PIPE\n    END-POINT 0 0 0 100\n", "t.pcf:4: PIPE: PIPE needs 2 END-POINT lines, found 1"},
      {"PIPE\n    END-POINT 0 0 x 100\n    END-POINT 1 0 0 100\n",
       "t.pcf:5: END-POINT: expected x y z [bore [end connection]], found \"0 0 x 100\""},
      {"PIPE\n    END-POINT 0 0 0 -4\n    END-POINT 1 0 0 100\n",
       "t.pcf:5: END-POINT: bore -4 is outside 0 to 100000"},
      {"PIPE\n    END-POINT 0 0 1e300 1\n    END-POINT 1 0 0 1\n",
       "t.pcf:5: END-POINT: coordinate 1e300 is beyond the limit of 1e9 mm"},
      {"ELBOW\n    END-POINT 0 0 0 1\n    END-POINT 1 1 0 1\n",
       "t.pcf:4: ELBOW: ELBOW needs 1 CENTRE-POINT line, found 0"},
      {"ELBOW\n    END-POINT 0 0 0 1\n    END-POINT 1 1 0 1\n    CENTRE-POINT 1 0 0\n"
       "    ANGLE ninety\n",
       "t.pcf:8: ANGLE: expected an angle in degrees or hundredths of a degree, found \"ninety\""},
      {"BEND\n    END-POINT 0 0 0 1\n    END-POINT 0 2 0 1\n    CENTRE-POINT 0 1 0\n"
       "    ANGLE 18000\n",
       "t.pcf:4: BEND: the CENTRE-POINT of a 180-degree bend lies midway between its ends, so "
       "the side it turns to is unknown"},
      {"SUPPORT\n    SKEY SURS\n", "t.pcf:4: SUPPORT: SUPPORT needs one CO-ORDS line"},
      {"UNITS-CO-ORDS FEET\n", "t.pcf:4: UNITS-CO-ORDS: unknown unit \"FEET\" (MM or INCH)"},
  };
  for (const BadPcf& c : cases) EXPECT_EQ(Message(kHeader + c.text), c.message);
  EXPECT_EQ(Message("PIPELINE-REFERENCE\n"),
            "t.pcf:1: PIPELINE-REFERENCE: a pipeline needs a name");
}

// Keep-going loads and their warnings: PlantLoaderTest and com/LoadingTest.
