#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "PlantText.h"
#include "kelto/data/File.h"
#include "support/TempDir.h"

using kelto::data::File;
using kelto::data::LoadError;
using kelto::test::Edit;

namespace {

// A small valid file; the malformed cases below are edits of it.
const std::string kValid = R"({"format": "kelto-piping", "version": 1, "pipelines": [
 {"id": "L1", "components": [
  {"id": "A", "type": "Pipe", "points": {
     "Run_1": {"position": [0, 0, 0], "bore": 100, "endType": "BW"},
     "Run_2": {"position": [1000, 0, 0], "bore": 100, "endType": "BW"}},
   "legs": [{"from": "Run_1", "to": "Run_2"}]},
  {"id": "B", "type": "Support", "points": {"Centre_1": {"position": [500, 0, 0], "internal": true}},
   "attachments": ["A"], "attributes": {"SUPPORT-DIRECTION": "DOWN"}}]}]})";

std::string LoadMessage(const std::string& text) {
  File file;
  try {
    file.LoadText(text, "t.json");
  } catch (const LoadError& e) {
    return e.what();
  }
  return "loaded";
}

struct BadCase {
  const char* what;
  std::string text;
  std::string message;
};

}  // namespace

TEST(Loader, ValidFileLoadsWithCatalogueDefaultsAndComputedLegs) {
  File file;
  file.LoadText(kValid, "t.json");
  ASSERT_EQ(file.Components().size(), 2u);
  const auto& pipe = *file.Components()[0];
  EXPECT_EQ(pipe.GroupName(), "Pipe");  // from the catalogue
  EXPECT_EQ(pipe.ItemCode(), 1);
  EXPECT_EQ(pipe.SymbolKey(), "PIPE");
  const auto& leg = pipe.Legs()[0];
  EXPECT_TRUE(leg.hasDirection);
  EXPECT_EQ(leg.direction, (kelto::data::Vec3{1, 0, 0}));
  EXPECT_DOUBLE_EQ(leg.length, 1000.0);
  const auto& support = *file.Components()[1];
  EXPECT_EQ(support.GroupName(), "Supports");
  EXPECT_EQ(support.ItemCode(), 7);
  ASSERT_EQ(support.AttachmentCount(), 1u);
  EXPECT_EQ(&support.Attachment(0), &pipe);
  EXPECT_EQ(support.AttributeValue("SUPPORT-DIRECTION"), "DOWN");
  const auto* centre = support.FindPoint("Centre_1");
  ASSERT_NE(centre, nullptr);
  EXPECT_TRUE(centre->internal);
  EXPECT_EQ(centre->boreUnits, kelto::data::kBoreMillimetre);
}

TEST(Loader, FileValuesOverrideDefaultsAndGivenLegDataIsKept) {
  const std::string text = Edit(
      kValid, R"("type": "Pipe",)",
      R"("type": "Pipe", "group": "Misc", "itemCode": 4.2e1, "symbolKey": "AB**", "shapeCode": "X",)");
  File file;
  file.LoadText(Edit(text, R"({"from": "Run_1", "to": "Run_2"})",
                     R"({"from": "Run_2", "to": "Run_1", "direction": [0, 0, 2], "length": 7})"),
                "t.json");
  const auto& pipe = *file.Components()[0];
  EXPECT_EQ(pipe.GroupName(), "Misc");
  EXPECT_EQ(pipe.ItemCode(), 42);
  EXPECT_EQ(pipe.SymbolKey(), "AB**");
  EXPECT_EQ(pipe.ShapeCode(), "X");
  const auto& leg = pipe.Legs()[0];
  EXPECT_EQ(file.Text(file.FromPoint(leg).name), "Run_2");
  EXPECT_EQ(leg.direction, (kelto::data::Vec3{0, 0, 2}));
  EXPECT_DOUBLE_EQ(leg.length, 7.0);
}

// Not taken for a PCF file: a byte order mark, comments, an empty plant.
TEST(Loader, AcceptsCommentsAndEmptyPlants) {
  EXPECT_EQ(LoadMessage("\xEF\xBB\xBF// a plant\n{\"format\": \"kelto-piping\", /* v */ "
                        "\"version\": 1, \"pipelines\": []}"),
            "loaded");
}

TEST(Loader, MalformedFilesFailWithOneMessageNamingFilePathAndProblem) {
  const std::string c0 = "/pipelines/0/components/0";
  std::string manyPoints = R"({"id": "A", "type": "Pipe", "points": {)";
  for (int i = 0; i < 65; ++i)
    manyPoints +=
        (i ? ", " : "") + std::string("\"P") + std::to_string(i) + R"(": {"position": [0, 0, 0]})";
  manyPoints += "}}";

  const BadCase cases[] = {
      {"empty text", "",
       "t.json:1:1: /: syntax error while parsing value - unexpected end of input; expected '[', "
       "'{', or a "
       "literal"},
      {"syntax error with line and column", "{\n  \"format\": tru\n}",
       "t.json:2:16: /format: syntax error while parsing value - invalid literal; last read: "
       "'\"format\": "
       "tru<U+000A>'"},
      {"text after the document", kValid + " x",
       "t.json:8:75: /: syntax error while parsing value - invalid literal; last read: "
       "'\"DOWN\"}}]}]} x'; "
       "expected end of input"},
      {"wrong format", Edit(kValid, "kelto-piping", "kelto-pipes"),
       "t.json: /format: expected \"kelto-piping\", found \"kelto-pipes\""},
      {"wrong version", Edit(kValid, "\"version\": 1", "\"version\": 2"),
       "t.json: /version: unsupported version 2 (this library reads version 1)"},
      {"version after a pipeline it cannot read",
       R"({"format": "kelto-piping", "pipelines": [{"id": "L", "newThing": 1}], "version": 3})",
       "t.json: /version: unsupported version 3 (this library reads version 1)"},
      {"deferred error reported once the version is known",
       R"({"format": "kelto-piping", "pipelines": [{"id": "L", "newThing": 1}], "version": 1})",
       "t.json: /pipelines/0/newThing: unknown member (a pipeline has id, description, attributes, "
       "components)"},
      // The same limits and range checks with the header last: a flood of
      // brackets stops at the nesting limit, an out-of-range value is never
      // converted.
      {"brackets before the header",
       R"({"pipelines": [)" + std::string(100000, '[') + R"(], "format": "kelto-piping"})",
       "t.json: /pipelines/0: expected an object, found an array"},
      {"item code out of range before the header",
       R"({"pipelines": [{"id": "L", "components": [{"itemCode": 10000000000000}]}], "version": 1, )"
       R"("format": "kelto-piping"})",
       "t.json: /pipelines/0/components/0/itemCode: item code 10000000000000 is out of range "
       "(-2147483648 to 2147483647)"},
      {"bore units out of range before the header",
       R"({"pipelines": [{"id": "L", "components": [{"points": {"P": {"boreUnits": 300}}}]}], )"
       R"("version": 1, "format": "kelto-piping"})",
       "t.json: /pipelines/0/components/0/points/P/boreUnits: bore units 300 is neither 1 (inch) "
       "nor 2 (millimetre)"},
      {"missing version", Edit(kValid, "\"version\": 1, ", ""),
       "t.json: /: missing member \"version\""},
      {"wrong type",
       Edit(kValid, R"("bore": 100, "endType": "BW"},)", R"("bore": "4in", "endType": "BW"},)"),
       "t.json: " + c0 + "/points/Run_1/bore: expected a number, found a string"},
      {"item code beyond 64 bits",
       Edit(kValid, R"("type": "Pipe",)", R"("type": "Pipe", "itemCode": -1e300,)"),
       "t.json: " + c0 +
           "/itemCode: item code -1e+300 is out of range (-2147483648 to 2147483647)"},
      {"fraction for an integer",
       Edit(kValid, R"("type": "Pipe",)", R"("type": "Pipe", "itemCode": 1.5,)"),
       "t.json: " + c0 + "/itemCode: expected an integer, found a number with a fraction"},
      {"unknown member",
       Edit(kValid, R"("bore": 100, "endType": "BW"},)", R"("bores": 100, "endType": "BW"},)"),
       "t.json: " + c0 +
           "/points/Run_1/bores: unknown member (a point has position, bore, boreUnits, "
           "endType, internal)"},
      {"member given twice",
       Edit(kValid, R"("type": "Pipe",)", R"("type": "Pipe", "type": "Pipe",)"),
       "t.json: " + c0 + "/type: member given twice"},
      {"point given twice",
       Edit(kValid, R"("Run_2": {"position": [1000, 0, 0])",
            R"("Run_1": {"position": [1000, 0, 0])"),
       "t.json: " + c0 + "/points/Run_1: point \"Run_1\" is given twice"},
      {"dangling leg", Edit(kValid, R"("to": "Run_2")", R"("to": "Run_3")"),
       "t.json: " + c0 + "/legs/0/to: no point \"Run_3\" in this component"},
      {"leg to itself", Edit(kValid, R"("to": "Run_2")", R"("to": "Run_1")"),
       "t.json: " + c0 + "/legs/0/to: a leg must join two different points"},
      {"dangling attachment", Edit(kValid, R"(["A"])", R"(["A", "Z"])"),
       "t.json: /pipelines/0/components/1/attachments/1: no component has id \"Z\""},
      {"attached to itself", Edit(kValid, R"(["A"])", R"(["B"])"),
       "t.json: /pipelines/0/components/1/attachments/0: a component cannot be attached to itself"},
      {"duplicate component id", Edit(kValid, R"({"id": "B")", R"({"id": "A")"),
       "t.json: /pipelines/0/components/1/id: duplicate component id \"A\" (first at "
       "/pipelines/0/components/0)"},
      {"empty id", Edit(kValid, R"({"id": "B")", R"({"id": "")"),
       "t.json: /pipelines/0/components/1/id: must not be empty"},
      {"number out of range", Edit(kValid, "[1000, 0, 0]", "[1e999, 0, 0]"),
       "t.json: " + c0 + "/points/Run_2/position/0: number 1e999 is out of range"},
      {"absurd coordinate", Edit(kValid, "[1000, 0, 0]", "[1000, 0, -2e9]"),
       "t.json: " + c0 +
           "/points/Run_2/position/2: coordinate -2000000000 is beyond the limit of 1000000000"},
      {"two coordinates", Edit(kValid, "[1000, 0, 0]", "[1000, 0]"),
       "t.json: " + c0 + "/points/Run_2/position: expected 3 numbers [x, y, z], found 2"},
      {"four coordinates", Edit(kValid, "[1000, 0, 0]", "[1000, 0, 0, 1]"),
       "t.json: " + c0 + "/points/Run_2/position/3: expected 3 numbers [x, y, z], found more"},
      {"negative bore",
       Edit(kValid, R"("bore": 100, "endType": "BW"},)", R"("bore": -1, "endType": "BW"},)"),
       "t.json: " + c0 + "/points/Run_1/bore: bore -1 is outside 0 to 100000"},
      {"symbol key length",
       Edit(kValid, R"("type": "Pipe",)", R"("type": "Pipe", "symbolKey": "PIP",)"),
       "t.json: " + c0 + "/symbolKey: a symbol key has 4 characters, found \"PIP\""},
      {"zero direction",
       Edit(kValid, R"("to": "Run_2"})", R"("to": "Run_2", "direction": [0, 0, 0]})"),
       "t.json: " + c0 + "/legs/0/direction: a direction must not be zero"},
      {"unknown type without a group", Edit(kValid, R"("type": "Pipe")", R"("type": "Frob")"),
       "t.json: " + c0 +
           ": missing member \"group\" (type \"Frob\" is not in the catalogue, so the file "
           "must give it)"},
      {"too many points", Edit(kValid, R"({"id": "B")", manyPoints + R"(, {"id": "B")"),
       "t.json: /pipelines/0/components/1/points/P64: too many points (the limit is 64)"},
      {"long name", Edit(kValid, R"("L1")", '"' + std::string(300, 'x') + '"'),
       "t.json: /pipelines/0/id: text of 300 bytes is longer than the limit of 256"},
  };
  for (const BadCase& c : cases) EXPECT_EQ(LoadMessage(c.text), c.message) << c.what;
}

TEST(Loader, FailedLoadLeavesThePreviousContentsIntact) {
  File file;
  file.LoadText(kValid, "good.json");
  auto* pipe = file.FindComponent("A");
  const auto generation = file.Generation();
  // Every truncation of the text, a dangling reference, a late syntax error.
  std::vector<std::string> bad{Edit(kValid, R"(["A"])", R"(["Q"])"),
                               Edit(kValid, R"("id": "L1")", R"("id": "L2")") + "x"};
  for (std::size_t n = 0; n < kValid.size(); n += 3) bad.push_back(kValid.substr(0, n));
  for (const std::string& text : bad) {
    ASSERT_THROW(file.LoadText(text, "bad.json"), LoadError) << text;
    EXPECT_EQ(file.Path(), "good.json");
    EXPECT_EQ(file.Generation(), generation);
    EXPECT_EQ(file.FindComponent("A"), pipe);
    EXPECT_EQ(file.Components().size(), 2u);
    EXPECT_EQ(pipe->Points()[1].position.x, 1000.0);
  }
}

TEST(Loader, ReportsFilesThatCannotBeRead) {
  kelto::test::TempDir dir;
  File file;
  const auto missing = dir.path() / "missing.json";
  const auto folder = dir.path() / "notes";
  std::filesystem::create_directory(folder);
  for (const auto& [path, message] :
       {std::pair{missing, ": cannot open the file (No such file or directory)"},
        // A folder is a plant of its piping files (PlantLoaderTest.cpp).
        std::pair{folder, ": the folder holds no .pcf or .json files"},
        std::pair{std::filesystem::path("/dev/null"),
                  ": cannot read the file (not a regular file)"}}) {
    try {
      file.Load(path);
      ADD_FAILURE() << "loaded " << path;
    } catch (const LoadError& e) {
      EXPECT_EQ(std::string(e.what()), path.string() + message);
    }
  }
  const auto empty = dir.path() / "empty.json";
  std::ofstream(empty).close();
  EXPECT_THROW(file.Load(empty), LoadError);
  EXPECT_FALSE(file.IsLoaded());
}

// A file that is not text fails where it stops being text, without being
// read whole: the work is counted as pages touched, not time taken.
TEST(Loader, AGibibyteOfNulBytesFailsAtItsFirstBytes) {
  kelto::test::TempDir dir;
  const auto path = dir.path() / "zeros.json";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);  // sparse: no disk used
  ::close(fd);
  const auto pagesTouched = [] {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
  };
  const long before = pagesTouched();
  File file;
  try {
    file.Load(path);
    ADD_FAILURE() << "loaded";
  } catch (const LoadError& e) {
    EXPECT_EQ(std::string(e.what()),
              path.string() + ":1: the file holds a NUL byte, so it is not a text file");
  }
  EXPECT_LT(pagesTouched() - before, 2000) << "a whole read touches 262144 pages";
}
