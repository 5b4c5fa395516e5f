// Names from files printed on a terminal: nothing in them may act as a
// control sequence or start a line, and letters of any script stay letters.
#include "core/PrintableText.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintableText, ControlsAndBrokenUtf8AreSpeltOut) {
  struct Case {
    std::string text;
    const char* printed;
  };
  const Case cases[] = {
      {"Ø80 Ventil \xE2\x80\x94 \xF0\x9F\x94\xA7", "Ø80 Ventil \xE2\x80\x94 \xF0\x9F\x94\xA7"},
      {"L\x1b[31mRED", "L\\x1b[31mRED"},
      {std::string("C\0x", 3), "C\\x00x"},
      {"one\ntwo\r\tthree", "one\\ntwo\\r\\tthree"},
      {"a\\x1b", "a\\\\x1b"},  // a backslash cannot fake an escape
      {"\xC2\x9B" "2J", "\\u009b2J"},  // C1 control sequence introducer
      {"\xC2\xA0", "\xC2\xA0"},        // no-break space is a character
      {"\xFF", "\\xff"},
      {"\xE2\x82", "\\xe2\\x82"},          // cut short
      {"\xED\xA0\x80", "\\xed\\xa0\\x80"},  // a surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(PrintableText(c.text), c.printed) << c.printed;
}

}  // namespace
