// The loader's quick JSON reader against nlohmann's parser: for every text it
// reads, the same events with the same values; for every text it leaves to
// nlohmann, only events nlohmann gives too (the loader then starts again).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kelto/data/FastJson.h"
#include "PlantText.h"
#include "kelto/data/File.h"

namespace {

using Json = nlohmann::json;

class Recorder : public nlohmann::json_sax<Json> {
 public:
  std::vector<std::string> events;

  bool null() override { return Add("null"); }
  bool boolean(bool v) override { return Add(v ? "true" : "false"); }
  bool number_integer(number_integer_t v) override { return Add("int " + std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) override { return Add("uint " + std::to_string(v)); }
  bool number_float(number_float_t v, const string_t&) override {
    char exact[64];
    std::snprintf(exact, sizeof exact, "float %a", v);
    return Add(exact);
  }
  bool string(string_t& v) override { return Add("string " + v); }
  bool binary(binary_t&) override { return Add("binary"); }
  bool start_object(std::size_t) override { return Add("{"); }
  bool key(string_t& k) override { return Add("key " + k); }
  bool end_object() override { return Add("}"); }
  bool start_array(std::size_t) override { return Add("["); }
  bool end_array() override { return Add("]"); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    failed = true;
    return false;
  }
  bool failed = false;

 private:
  bool Add(std::string event) {
    events.push_back(std::move(event));
    return true;
  }
};

TEST(FastJson, GivesNlohmannsEventsOrLeavesTheTextToIt) {
  struct Case {
    std::string text;
    bool fast;  // read by the quick reader
  };
  const std::string deep = std::string(5000, '[') + std::string(5000, ']');
  const std::vector<Case> cases = {
      {R"({"a": [1, -2, 0, -0, 3.25, -0.5e-3, 1E5, 2e+2, 123456789012345678], "b": {}})", true},
      {" \r\n\t[true, false, null, \"\", [], {\"k\": \"v\"}] \n", true},
      {R"(["q\"uote", "back\\slash", "sl\/ash", "c\b\f\n\r\tx"])", true},
      {R"({"x": -123456789012345678, "y": 0.1, "z": 1.7976931348623157e308})", true},
      {deep, true},
      {"\"only\"", true},
      // Left to nlohmann: what it reads its own way, and every error.
      {"1234567890123456789", false},
      {"[1e400]", false},
      {"[1e-320]", false},
      {R"(["\u00e9"])", false},
      {"[\"caf\xc3\xa9\"]", false},
      {"\xef\xbb\xbf[1]", false},
      {"[1, /* note */ 2]", false},
      {"", false},
      {"[01]", false},
      {"[1.]", false},
      {"[.5]", false},
      {"[-]", false},
      {"[1e]", false},
      {"[1,]", false},
      {R"({"a" 1})", false},
      {R"({"a": 1 "b": 2})", false},
      {"[tru]", false},
      {"[truex]", false},
      {"[\"tab\there\"]", false},
      {"[\"open", false},
      {"[\"bad \\x escape\"]", false},
      {"[1, 2", false},
      {"]", false},
  };
  for (const Case& c : cases) {
    Recorder full;
    Json::sax_parse(c.text.begin(), c.text.end(), &full, Json::input_format_t::json, true, true);
    Recorder quick;
    const bool read = kelto::data::FastSaxParse(c.text, quick);
    const std::string name = c.text.substr(0, 60);
    EXPECT_EQ(read, c.fast) << name;
    if (read) {
      EXPECT_FALSE(full.failed) << name;
      EXPECT_EQ(quick.events, full.events) << name;
    } else {
      ASSERT_LE(quick.events.size(), full.events.size()) << name;
      EXPECT_TRUE(std::equal(quick.events.begin(), quick.events.end(), full.events.begin())) << name;
    }
  }
}

// A file the quick reader gives up on half-way loads the same as one it reads
// whole: the loader starts again from nothing.
TEST(FastJson, AFileLeftHalfWayLoadsWhole) {
  const std::string pipe =
      R"({"id": "A", "type": "Pipe", "points": {"Run_1": {"position": [0, 0, 0]}, )"
      R"("Run_2": {"position": [1000, 0, 0]}}, "attributes": {"NOTE": "caf\u00e9"}})";
  kelto::data::File file;
  file.LoadText(kelto::test::LineText({pipe, kelto::test::Edit(pipe, R"("A")", R"("B")")}),
                "t.json");
  ASSERT_EQ(file.Components().size(), 2u);
  EXPECT_EQ(file.AllPoints().size(), 4u);
  EXPECT_EQ(file.Components()[1]->AttributeValue("NOTE"), "caf\xc3\xa9");
}

}  // namespace
