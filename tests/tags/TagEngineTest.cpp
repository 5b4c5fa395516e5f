// The tag engine on a fake automation object: every loading message, exact
// and regular-expression matching, nested lookups and overwriting, loading
// in several calls, and recovery from members that cannot be evaluated; and
// the split of aspect expressions into member calls it makes first.
#include "tags/TagEngine.h"

#include <gtest/gtest.h>

#include "FakeAutomation.h"
#include "tags/TagExpression.h"

using kelto::tags::ExpressionSegment;
using kelto::tags::SplitExpression;
using tags_test::AsDispatch;
using tags_test::FakeObject;
using tags_test::MakeFake;
using Messages = std::vector<std::string>;
using Tags = CTagEngine::TagMap;

namespace {

struct SplitCase {
  std::string expression;
  std::vector<ExpressionSegment> segments;
};

std::string Dump(const std::vector<ExpressionSegment>& segments) {
  std::string out;
  for (const auto& s : segments) {
    out += "[" + s.name;
    for (const auto& a : s.arguments) out += " <" + a + ">";
    out += "]";
  }
  return out;
}

TEST(TagExpression, SplitsSegmentsAndArgumentsAndSkipsStrayQuotes) {
  const std::vector<SplitCase> cases = {
      {R"(Attributes("SPINDLE-DIRECTION").Value)",
       {{"Attributes", {"SPINDLE-DIRECTION"}}, {"Value", {}}}},
      // Quoted arguments keep commas, blanks, full stops and parentheses.
      {R"(Join("a, b", "c d"))", {{"Join", {"a, b", "c d"}}}},
      {R"(F("a)b"))", {{"F", {"a)b"}}}},
      // Unquoted arguments end at commas and blanks; order is kept.
      {"Join(x,y , z)", {{"Join", {"x", "y", "z"}}}},
      {"F(,, ,)", {{"F", {}}}},
      // Quotes inside an argument: only a leading quote is stripped, with the
      // last character.
      {R"(F(a"b c"d))", {{"F", {R"(a"b c"d)"}}}},
      // Stray separators are skipped.
      {"..A..B.", {{"A", {}}, {"B", {}}}},
      // Blanks belong to the name (the member lookup then fails).
      {"A . B", {{"A ", {}}, {" B", {}}}},
      // An argument list without its ")" is not one: "(" is skipped.
      {"F(x", {{"F", {}}, {"x", {}}}},
      // An unterminated quote ends the list before it, so no list.
      {R"(F("x))", {{"F", {}}, {R"("x))", {}}}},
      // An unterminated quote anywhere in the list, likewise.
      // Text after the closing parenthesis starts the next segment.
      {"F(a)G", {{"F", {"a"}}, {"G", {}}}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(Dump(SplitExpression(c.expression)), Dump(c.segments));
  }
  // Argument text with an unterminated quote: the quote opens nothing; the
  // text after it is an ordinary argument.
  EXPECT_EQ(kelto::tags::SplitArguments(R"(a, "b c)"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(kelto::tags::SplitArguments(R"("")"), (std::vector<std::string>{""}));
}

Messages Load(CTagEngine& engine, const std::string& xml) {
  Messages messages;
  engine.SetSpec(xml, messages);
  return messages;
}

// A valve with an owner, a spindle attribute and a settable Value.
class TagEngineTest : public ::testing::Test {
 protected:
  TagEngineTest() {
    valve->owner = MakeFake("Line-1");
    valve->owner->owner = MakeFake("Area-7");
    auto spindle = MakeFake("SPINDLE-DIRECTION");
    spindle->value = _variant_t("UP");
    valve->attributes["SPINDLE-DIRECTION"] = spindle;
  }

  // Tags of the valve under rules made of `aspects` and `lookups`.
  Tags Evaluate(const std::string& aspects, const std::string& lookups) {
    CTagEngine engine;
    const Messages messages = Load(engine, "<Rules>" + aspects + lookups + "</Rules>");
    EXPECT_TRUE(messages.empty()) << messages.front();
    return engine.GetTags(AsDispatch(valve));
  }

  kelto::com::ComPtr<FakeObject> valve = MakeFake("Gate-Valve");
};

TEST(TagEngineLoading, ReportsEachProblemInDocumentOrder) {
  struct Case {
    std::string xml;
    Messages messages;
  };
  const std::vector<Case> cases = {
      {"<A/><B/>", {"XML is not well formed."}},
      {"<Rules><Aspect Expression='Name'/></Rules>", {"Ignored unnamed aspect."}},
      {"<Rules><Aspect Name='Size'/></Rules>", {"Error reading aspect Size : Missing expression."}},
      {"<Rules><Lookup Size='1'><Tag A='1'/></Lookup></Rules>", {"Unknown aspect : Size"}},
      // Aspects are read before lookups, so order in the text does not matter
      // for them; messages follow the document within each kind.
      {"<Rules>"
       "  <Lookup X='1' Name='v'><Lookup Y='2'/><Lookup Z='3'><Lookup W='4'/></Lookup></Lookup>"
       "  <Aspect Name='Name' Expression='Name'/>"
       "  <Aspect Expression='Bore'/>"
       "  <Aspect Name='Bad'/>"
       "  <Lookup V='5'/>"
       "</Rules>",
       {"Ignored unnamed aspect.", "Error reading aspect Bad : Missing expression.",
        "Unknown aspect : X", "Unknown aspect : Y", "Unknown aspect : Z", "Unknown aspect : W",
        "Unknown aspect : V"}},
      // Only children of the root element count.
      {"<Rules><Group><Aspect Expression='x'/><Lookup Q='1'/></Group></Rules>", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    CTagEngine engine;
    EXPECT_EQ(Load(engine, c.xml), c.messages);
  }
  // Messages are appended to the caller's list.
  CTagEngine engine;
  Messages messages{"earlier"};
  engine.SetSpec("not xml", messages);
  EXPECT_EQ(messages, (Messages{"earlier", "XML is not well formed."}));
}

TEST_F(TagEngineTest, UnknownConditionIsDroppedAndTheLookupStays) {
  CTagEngine engine;
  EXPECT_EQ(Load(engine, "<R><Lookup Nope='1'><Tag A='1'/></Lookup></R>"),
            (Messages{"Unknown aspect : Nope"}));
  // The lookup lost its only condition, so it always assigns.
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)), (Tags{{"A", "1"}}));
}

TEST_F(TagEngineTest, LookupsAssignNestAndOverwrite) {
  const std::string aspects =
      "<Aspect Name='Name' Expression='Name'/><Aspect Name='Line' Expression='Owner.Name'/>";
  struct Case {
    std::string lookups;
    Tags tags;
  };
  const std::vector<Case> cases = {
      // No conditions: always assigns; every attribute of every Tag counts.
      {"<Lookup><Tag A='1' B='2'/><Tag C='3'/></Lookup>", {{"A", "1"}, {"B", "2"}, {"C", "3"}}},
      // All conditions must hold.
      {"<Lookup Name='Gate-Valve' Line='Line-1'><Tag A='1'/></Lookup>", {{"A", "1"}}},
      {"<Lookup Name='Gate-Valve' Line='Line-2'><Tag A='1'/></Lookup>", {}},
      // Children only under a lookup that holds, in order; later overwrites.
      {"<Lookup Name='Gate-Valve'><Tag Colour='Red' Kind='valve'/>"
       "  <Lookup Line='Line-1'><Tag Colour='Blue'/></Lookup>"
       "  <Lookup Line='Line-2'><Tag Colour='Green'/></Lookup>"
       "  <Lookup><Tag Size='big'/><Lookup Line='Line-1'><Tag Colour='Pink'/></Lookup></Lookup>"
       "</Lookup>"
       "<Lookup Name='Ball-Valve'><Tag Kind='ball'/><Lookup><Tag Never='1'/></Lookup></Lookup>",
       {{"Colour", "Pink"}, {"Kind", "valve"}, {"Size", "big"}}},
      // A later top-level lookup overwrites an earlier one.
      {"<Lookup><Tag Colour='Red'/></Lookup><Lookup Line='Line-1'><Tag Colour='Blue'/></Lookup>",
       {{"Colour", "Blue"}}},
      // A lookup's tags come before its children, wherever the Tag is written.
      {"<Lookup><Lookup><Tag Colour='Child'/></Lookup><Tag Colour='Parent'/></Lookup>",
       {{"Colour", "Child"}}},
      // Other children are ignored, with their content.
      {"<Lookup><Note><Tag X='1'/></Note><Tag Y='2'/></Lookup>", {{"Y", "2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lookups);
    EXPECT_EQ(Evaluate(aspects, c.lookups), c.tags);
  }
}

TEST_F(TagEngineTest, ExpressionsCallMembersWithArguments) {
  struct Case {
    std::string expression;
    std::string expected;
    bool holds;
  };
  const std::vector<Case> cases = {
      {"Owner.Name", "Line-1", true},
      {R"(Attributes("SPINDLE-DIRECTION").Value)", "UP", true},
      {R"(Join("a, b", "c d"))", "a, b|c d", true},
      {"join(x,y)", "x|y", true},               // names are looked up case-insensitively
      {"Owner.Join(Area, 7).Name", "", false},  // Join gives text, not an object
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    const std::string aspect = "<Aspect Name='A' Expression='" + c.expression + "'/>";
    const std::string lookup = "<Lookup A='" + c.expected + "'><Tag T='yes'/></Lookup>";
    EXPECT_EQ(Evaluate(aspect, lookup).count("T"), c.holds ? 1u : 0u);
  }
}

TEST_F(TagEngineTest, ExactMatchingConvertsTheExpectedTextToTheValueType) {
  struct Case {
    _variant_t value;
    std::string expected;
    bool holds;
  };
  _variant_t weirdTrue(true);
  weirdTrue.boolVal = 1;  // a sloppy server's "true"
  const std::vector<Case> cases = {
      {_variant_t(1.0), "1.0", true},
      {_variant_t(1.0), "one", false},  // does not convert: fails
      {_variant_t(1), "1.0", true},
      {_variant_t(1), "1.4", false},  // no rounding to make a match
      {_variant_t(0.1f), "0.1", true},
      {_variant_t(static_cast<unsigned char>(200)), "-56", false},
      {weirdTrue, "True", true},
      {_variant_t("Gate"), "gate", false},
      // Empty and null values never equal anything, not even "".
      {_variant_t(), "", false},
      {_variant_t::Null(), "", false},
      // Values that text never converts to.
      {_variant_t::Error(DISP_E_PARAMNOTFOUND), "0", false},
      {_variant_t(AsDispatch(valve->owner)), "Line-1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("vt " + std::to_string(c.value.vt) + " vs \"" + c.expected + "\"");
    valve->value = c.value;
    const Tags tags = Evaluate("<Aspect Name='V' Expression='Value'/>",
                               "<Lookup V='" + c.expected + "'><Tag T='yes'/></Lookup>");
    EXPECT_EQ(tags.count("T"), c.holds ? 1u : 0u);
  }
}

TEST_F(TagEngineTest, RegularExpressionMatching) {
  struct Case {
    _variant_t value;
    std::string pattern;
    bool holds;
  };
  const std::string thirtyAs(30, 'a');
  // The pattern language itself is RegExpTest's; here what the engine adds.
  const std::vector<Case> cases = {
      {_variant_t("Gate-Valve"), "^Gate", true},
      {_variant_t("Gate-Valve"), "^gate", false},  // case-sensitive
      {_variant_t("Gate-Valve"), "(", false},      // does not compile
      {_variant_t(150.0), "^15\\d$", true},        // numbers are matched as text
      {_variant_t(), "^$", true},                  // empty reads as ""
      {_variant_t::Null(), ".*", false},           // null has no text
      // A pattern that backtracking would take exponential time over still
      // gets its exact answer: the second alternative matches.
      {_variant_t(thirtyAs), "(a|a)*c|a", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("vt " + std::to_string(c.value.vt) + " =~ \"" + c.pattern + "\"");
    valve->value = c.value;
    const Tags tags = Evaluate("<Aspect Name='V' Expression='Value' MatchType='RegExp'/>",
                               "<Lookup V='" + c.pattern + "'><Tag T='yes'/></Lookup>");
    EXPECT_EQ(tags.count("T"), c.holds ? 1u : 0u);
  }
  // Only the exact word "RegExp" selects regular expressions.
  valve->value = _variant_t("Gate-Valve");
  for (const std::string type : {"regexp", "Exact", ""})
    EXPECT_EQ(Evaluate("<Aspect Name='V' Expression='Value' MatchType='" + type + "'/>",
                       "<Lookup V='^Gate'><Tag T='yes'/></Lookup>"),
              Tags{})
        << type;
}

TEST_F(TagEngineTest, UnevaluableAspectFailsItsConditionsAndEvaluationGoesOn) {
  CTagEngine engine;
  ASSERT_TRUE(Load(engine,
                   "<R><Aspect Name='B' Expression='Broken'/>"
                   "<Aspect Name='U' Expression='NoSuchMember'/>"
                   "<Aspect Name='M' Expression='Attributes(NOPE).Value'/>"
                   "<Aspect Name='N' Expression='Name'/>"
                   "<Lookup><Tag First='1'/>"
                   "  <Lookup B='x'><Tag Never='1'/></Lookup>"
                   "  <Lookup B='y'><Tag Never='2'/></Lookup>"
                   "  <Lookup N='Gate-Valve'><Tag Second='1'/>"
                   "    <Lookup B='z'><Tag Never='3'/></Lookup></Lookup>"
                   "</Lookup>"
                   "<Lookup U='1'><Tag Never='4'/></Lookup>"
                   "<Lookup M='1'><Tag Never='5'/></Lookup>"
                   "<Lookup B='w' N='Gate-Valve'><Tag Never='6'/></Lookup>"
                   "<Lookup N='Gate-Valve'><Tag Third='1'/></Lookup></R>")
                  .empty());
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)),
            (Tags{{"First", "1"}, {"Second", "1"}, {"Third", "1"}}));
  // The failure is remembered within a top-level lookup: Broken is called once
  // for the first lookup (three conditions) and once for the fourth.
  EXPECT_EQ(valve->calls["Broken"], 2);
  EXPECT_EQ(valve->calls["Attributes"], 1);
}

TEST_F(TagEngineTest, AspectValuesAreCachedPerTopLevelLookup) {
  CTagEngine engine;
  Load(engine,
       "<R><Aspect Name='N' Expression='Name'/>"
       "<Lookup N='Gate-Valve'><Lookup N='Gate-Valve'><Tag A='1'/></Lookup></Lookup>"
       "<Lookup N='Gate-Valve'><Tag B='1'/></Lookup></R>");
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)), (Tags{{"A", "1"}, {"B", "1"}}));
  EXPECT_EQ(valve->calls["Name"], 2);
  // Each GetTags reads the object afresh.
  valve->name = "Ball-Valve";
  EXPECT_TRUE(engine.GetTags(AsDispatch(valve)).empty());
}

TEST_F(TagEngineTest, LoadingAddsToEarlierLoads) {
  CTagEngine engine;
  EXPECT_TRUE(Load(engine,
                   "<R><Aspect Name='N' Expression='Name'/>"
                   "<Lookup N='Gate-Valve'><Tag Colour='Red'/></Lookup></R>")
                  .empty());
  // A broken second load adds nothing of its own and leaves the first intact.
  EXPECT_EQ(Load(engine, "<R><Lookup><Tag Broken='1'/></Lookup>"),
            (Messages{"XML is not well formed."}));
  // The aspect of the first load is known to the second.
  EXPECT_TRUE(
      Load(engine, "<Other><Lookup N='Gate-Valve'><Tag Size='L'/></Lookup></Other>").empty());
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)), (Tags{{"Colour", "Red"}, {"Size", "L"}}));

  // Redefining an aspect replaces it for the lookups already loaded.
  EXPECT_TRUE(Load(engine, "<R><Aspect Name='N' Expression='Owner.Name'/></R>").empty());
  EXPECT_TRUE(engine.GetTags(AsDispatch(valve)).empty());
  // A failed redefinition keeps the previous one.
  EXPECT_EQ(Load(engine, "<R><Aspect Name='N'/><Lookup N='Line-1'><Tag Z='1'/></Lookup></R>"),
            (Messages{"Error reading aspect N : Missing expression."}));
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)), (Tags{{"Z", "1"}}));
}

TEST_F(TagEngineTest, DeeplyNestedLookupsDoNotExhaustTheStack) {
  constexpr int kDepth = 100000;
  std::string xml = "<R><Aspect Name='N' Expression='Name'/>";
  for (int i = 0; i < kDepth; ++i) xml += "<Lookup N='Gate-Valve'>";
  xml += "<Tag Deep='yes'/>";
  for (int i = 0; i < kDepth; ++i) xml += "</Lookup>";
  xml += "<Lookup Unknown='1'/></R>";
  CTagEngine engine;
  EXPECT_EQ(Load(engine, xml), (Messages{"Unknown aspect : Unknown"}));
  EXPECT_EQ(engine.GetTags(AsDispatch(valve)), (Tags{{"Deep", "yes"}}));
}

}  // namespace

TEST_F(TagEngineTest, EvaluationWorkIsBoundedAndRunningOutIsReported) {
  const std::string aspect = "<Aspect Name='V' Expression='Value' MatchType='RegExp'/>";
  const auto rules = [&](const std::string& pattern, int count) {
    std::string lookups;
    for (int i = 0; i < count; ++i)
      lookups += "<Lookup V='" + pattern + "'><Tag T='yes'/></Lookup>";
    return "<Rules>" + aspect + lookups + "<Lookup><Tag Last='x'/></Lookup></Rules>";
  };
  valve->value = _variant_t(std::string(200, 'a').c_str());

  // A hundred hostile rules without back references: exact answers, work in
  // proportion to the rules times the text, no error.
  CTagEngine linear;
  Load(linear, rules("(.*)*(.*)*(.*)*Q1", 100));
  Tags tags = linear.GetTags(AsDispatch(valve));
  EXPECT_EQ(tags.count("T"), 0u);
  EXPECT_EQ(tags.count("Last"), 1u);
  EXPECT_TRUE(linear.EvaluationErrors().empty());
  EXPECT_LT(linear.WorkDone(), 100u * 200 * 40);

  // A back reference that exhausts its step budget is an error naming the
  // expression, and the evaluation goes on.
  CTagEngine backRefs;
  Load(backRefs, rules("{a|a}*\\0c", 1));
  tags = backRefs.GetTags(AsDispatch(valve));
  EXPECT_EQ(tags.count("Last"), 1u);
  ASSERT_EQ(backRefs.EvaluationErrors().size(), 1u);
  EXPECT_NE(backRefs.EvaluationErrors()[0].find("V=\"{a|a}*\\0c\""), std::string::npos);

  // The host's bound on the whole evaluation is ComTagEngineTest's.
}
