// The text forms a "Colour" rule may take: names and " %i , %i , %i " triples.
#include "colour/ColourText.h"

#include <gtest/gtest.h>

namespace {

using kelto::colour::ColourFromText;
using kelto::colour::ParseColourText;

struct Case {
  const char* text;
  std::optional<std::int32_t> colour;  // nullopt: neither form
};

// Parts are red, green, blue; the result is 0x00BBGGRR.
const Case kCases[] = {
    // Names, in any case, and nothing else around them.
    {"Red", 0x0000FF},
    {"BLUE", 0xFF0000},
    {" red", std::nullopt},
    {"R\xC3\x89"
     "D",
     std::nullopt},  // non-ASCII letters are not folded
    // Decimal triples.
    {"1,2,3", 0x030201},
    // Hexadecimal and octal, with white space anywhere around the parts.
    {"0x10 , 010 , 1", 0x010810},
    {"\t0X1f\n,\r07 ,\v0", 0x00071F},
    // No range check: parts spill into the neighbouring bytes.
    {"0, 256, 0", 0x010000},
    {"-1, 0, 0", -1},
    // Beyond 32 bits the low 32 bits stay.
    {"4294967297, 0, 0", 1},
    // Whatever follows the third part is ignored.
    {"1,2,3 blue", 0x030201},
    // Fewer than three parts, or parts that are not integers.
    {"12, 34", std::nullopt},
    {"1,,3", std::nullopt},
    {"0x, 1, 2", std::nullopt},  // a prefix of a number is not a number
    {"08, 0, 0", std::nullopt},  // the octal part ends at 8, and 8 is not a comma
};

TEST(ColourText, NamesAndTriples) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    EXPECT_EQ(ParseColourText(c.text), c.colour);
    EXPECT_EQ(ColourFromText(c.text), c.colour.value_or(0xFFFFFF));
  }
}

}  // namespace
