// The symbol file reader and the symbols of one file: fixed columns, the C
// number rules, records that fail the file, re-opened symbols, the derived
// geometry of a symbol and the three lookup patterns.
#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "SymbolTestText.h"
#include "support/TempDir.h"
#include "symbolic/SkeldaSymbols.h"
#include "symbolic/SymbolFile.h"

namespace {

using namespace symbol_test;
using kelto::symbolic::FieldInteger;
using kelto::symbolic::FieldReal;
using kelto::symbolic::ReadSymbolFile;
using kelto::symbolic::ReadSymbolStream;

CSkeldaSymbols Parse(const std::string& text) {
  CSkeldaSymbols symbols;
  std::istringstream in(text);
  ReadSymbolStream(in, "test.sym", symbols);
  return symbols;
}

// The message of the std::out_of_range the text raises ("" when none).
std::string OutOfRangeMessage(const std::string& text) {
  try {
    Parse(text);
  } catch (const std::out_of_range& e) {
    return e.what();
  }
  return "";
}

TEST(SymbolFileNumbers, FollowTheCRules) {
  struct Case {
    const char* field;
    long integer;
    double real;
  } cases[] = {
      {"", 0, 0.0},       {"        ", 0, 0.0}, {"12abc", 12, 12.0}, {"   -3.5e1x", -3, -35.0},
      {"+7", 7, 7.0},     {"abc", 0, 0.0},      {" 1,5", 1, 1.0},    {"0x1A", 0, 26.0},
      {"\t42", 42, 42.0}, {"- 4", 0, 0.0},      {"2.", 2, 2.0},      {".5", 0, 0.5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldInteger(c.field), c.integer) << '"' << c.field << '"';
    EXPECT_DOUBLE_EQ(FieldReal(c.field), c.real) << '"' << c.field << '"';
  }
}

TEST(SymbolFileRecords, HeaderFieldsComeFromTheirColumns) {
  const CSkeldaSymbols symbols = Parse(HeaderLine({"VAGAX", "VG  ", "SPHW", 250, 2, 1, 1, 7, 3}));
  const CSkeldaSymbol* s = symbols.Find("VAGA");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->NewSKEY, "VAGAX");
  EXPECT_EQ(s->OldSKEY, "VG");  // trailing blanks removed
  EXPECT_EQ(s->Spindle, "SPHW");
  EXPECT_DOUBLE_EQ(s->ScaleF, 2.5);
  EXPECT_EQ(s->Orient, 2);
  EXPECT_EQ(s->variant, 7);
  EXPECT_EQ(s->placement, 3);
}

TEST(SymbolFileRecords, KeyFallsBackToTheOldKeyColumnsWhenTheNewOnesAreBlank) {
  const CSkeldaSymbols symbols =
      Parse(HeaderLine({"", "AB C", ""}) + "\n" + HeaderLine({" \t", "WXYZ", ""}));
  EXPECT_NE(symbols.Find("AB C"), nullptr);  // inner space kept
  EXPECT_NE(symbols.Find("WXYZ"), nullptr);  // a tab is blank too
  EXPECT_EQ(symbols.Symbols().size(), 2u);
  // A key whose new columns hold anything keeps them as they are.
  EXPECT_NE(Parse(HeaderLine({"  Q", "WXYZ", ""})).Find("  Q "), nullptr);
}

TEST(SymbolFileRecords, PenRecordsAppendTheirNonZeroFieldsInOrder) {
  const std::string one = "   502       1     1.5    -2.5";
  const std::string text = HeaderLine({"ONE", "", ""}) + "\n" + Padded(one, 94) + "\n" +
                           HeaderLine({"FOUR", "", ""}) + "\n" +
                           PenLines({{1, 0, 0}, {2, 10, 0}, {6, 5, 0}, {9, 1, 1}}) +
                           PenLines({{2, 1, 2}, {0, 7, 7}, {0, 8, 8}, {1, 3, 4}});
  const CSkeldaSymbols symbols = Parse(text);
  ASSERT_NE(symbols.Find("ONE "), nullptr);
  EXPECT_EQ(symbols.Find("ONE ")->instructions,
            (std::vector<CSkeldaSymbol::Instruction>{{1, {1.5, -2.5}}}));
  ASSERT_NE(symbols.Find("FOUR"), nullptr);
  EXPECT_EQ(symbols.Find("FOUR")->instructions,
            (std::vector<CSkeldaSymbol::Instruction>{{1, {0, 0}},
                                                     {2, {10, 0}},
                                                     {6, {5, 0}},
                                                     {9, {1, 1}},  // unknown code kept
                                                     {2, {1, 2}},
                                                     {1, {3, 4}}}));
}

TEST(SymbolFileRecords, ReopenedSymbolKeepsItsPenAndTakesTheNewHeader) {
  const std::string text = Symbol({"ABCD", "OLD1", "", 100, 1}, {{1, 0, 0}, {2, 1, 0}}) +
                           Symbol({"ABCD", "OLD2", "SPX", 100, 3}, {{2, 2, 0}});
  const CSkeldaSymbols symbols = Parse(text);
  const CSkeldaSymbol* s = symbols.Find("ABCD");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->OldSKEY, "OLD2");
  EXPECT_EQ(s->Spindle, "SPX");
  EXPECT_EQ(s->Orient, 3);
  EXPECT_EQ(s->instructions.size(), 3u);
  EXPECT_EQ(s->End(), CPoint2(2, 0));
}

TEST(SymbolFileRecords, ShortRecordsFailTheFileNamingTheLine) {
  const std::string header = HeaderLine({"KEY1", "", ""});
  const std::string pen = PenLines({{1, 0, 0}, {2, 1, 1}, {2, 2, 2}, {2, 3, 3}}).substr(0, 102);
  // 501 must reach column 93 and 502 column 94: one character less fails.
  EXPECT_EQ(OutOfRangeMessage(header.substr(0, 93) + "\n" + pen.substr(0, 94)), "");
  EXPECT_EQ(OutOfRangeMessage("\n" + header.substr(0, 92)),
            "Symbol file 'test.sym', line 2: a 501 record must reach column 93 but the line has "
            "92 characters.");
  EXPECT_EQ(OutOfRangeMessage(header + "\n" + pen + "\n" + pen.substr(0, 93)),
            "Symbol file 'test.sym', line 3: a 502 record must reach column 94 but the line has "
            "93 characters.");
  EXPECT_NE(OutOfRangeMessage("   501"), "");
}

TEST(SymbolFileRecords, NonFiniteAndHugeNumbersFailTheFile) {
  for (const char* bad : {"     nan", "     inf", "   1e999", "   1e300", " -1.1e06"}) {
    const std::string pen = "   502       6" + std::string(bad) + "       0";
    EXPECT_NE(OutOfRangeMessage(HeaderLine({"KEY1", "", ""}) + "\n" + Padded(pen, 94)), "") << bad;
  }
  EXPECT_EQ(OutOfRangeMessage(HeaderLine({"KEY1", "", ""}) + "\n" +
                              Padded("   502       6   1e300       0", 94)),
            "Symbol file 'test.sym', line 2: the number '   1e300' is out of range (-1000000 to "
            "1000000).");
  EXPECT_EQ(OutOfRangeMessage(HeaderLine({"KEY1", "", ""}) + "\n" +
                              Padded("   502       6 1000000       0", 94)),
            "");
}

TEST(SymbolFileRecords, UnreadableFilesNameTheFileAndTheReason) {
  kelto::test::TempDir dir;
  CSkeldaSymbols symbols;
  // Never read: a folder, a device that never ends, a FIFO that would block.
  const std::string fifo = (dir.path() / "fifo.sym").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {{(dir.path() / "missing.sym").string(), "No such file or directory"},
               {dir.path().string(), "it is not a regular file (a folder)"},
               {"/dev/zero", "it is not a regular file (a character device)"},
               {fifo, "it is not a regular file (a FIFO)"}};
  for (const auto& c : cases) {
    try {
      ReadSymbolFile(c.path, symbols);
      ADD_FAILURE() << c.path;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()),
                "Cannot open symbol file '" + c.path + "': " + c.reason + ".");
    }
  }
}

CSkeldaSymbol WithPoints(std::vector<CPoint2> points, long code = 2) {
  CSkeldaSymbol s;
  for (const CPoint2& p : points) s.instructions.push_back({code, p});
  return s;
}

TEST(SymbolGeometry, DerivedValues) {
  struct Case {
    const char* what;
    std::vector<CPoint2> points;
    CPoint2 start, end;
    double length, width;
  } cases[] = {
      {"empty", {}, {0, 0}, {0, 0}, 0, 0},
      {"one point", {{3, 4}}, {3, 4}, {3, 4}, 0, 0},
      {"box along x", {{0, 0}, {0, -5}, {10, 5}, {10, 0}}, {0, 0}, {10, 0}, 10, 10},
      {"closed outline", {{0, 1}, {4, 3}, {6, -1}, {0, 1}}, {0, 1}, {6, 1}, 6, 4},
      {"diagonal", {{0, 0}, {3, 4}}, {0, 0}, {3, 4}, 5, 0},
      {"reaches behind its start", {{0, 0}, {-2, 1}, {4, 0}}, {0, 0}, {4, 0}, 6, 1},
  };
  for (const Case& c : cases) {
    const CSkeldaSymbol s = WithPoints(c.points);
    EXPECT_EQ(s.Start(), c.start) << c.what;
    EXPECT_EQ(s.End(), c.end) << c.what;
    EXPECT_NEAR(s.Length(), c.length, 1e-12) << c.what;
    EXPECT_NEAR(s.Width(), c.width, 1e-12) << c.what;
  }
}

TEST(SymbolLookup, PatternsAreTriedInOrder) {
  const std::string full = Symbol({"VAGA", "", ""}, {{1, 0, 0}});
  const std::string family = Symbol({"VA**", "", ""}, {{1, 0, 0}});
  const std::string blank = Symbol({"VA", "", ""}, {{1, 0, 0}});
  struct Case {
    std::string file;
    const char* key;
    const char* expected;  // the key of the symbol found, or null
  } cases[] = {{full + family + blank, "VAGA", "VAGA"},
               {family + blank, "VAGA", "VA**"},
               {blank, "VAGA", "VA  "},
               {full, "VAGL", nullptr},
               {family, "VBGA", nullptr},
               {blank + full, "VA", "VA  "},
               {family, "VAGATE", "VA**"},
               {full, "VAGATE", nullptr},
               {family, "", nullptr}};
  for (const Case& c : cases) {
    const CSkeldaSymbols symbols = Parse(c.file);
    const CSkeldaSymbol* expected = c.expected ? symbols.Find(c.expected) : nullptr;
    EXPECT_TRUE(!c.expected || expected) << "no symbol " << c.expected;
    EXPECT_EQ(symbols.Lookup(c.key), expected) << c.key;
  }
}

}  // namespace
