// The default type table, its configuration from XML and the "XML Error"
// message box.

#include "SolidTestSupport.h"
#include "platform/window/MessageBox.h"

namespace solid_test {
namespace {

// Records every message box shown while it lives.
class MessageBoxes {
 public:
  struct Shown {
    std::string title, text;
  };
  std::vector<Shown> shown;

 private:
  kelto::window::ScopedMessageBoxHandler m_handler{
      [this](std::string_view title, std::string_view text) {
        shown.push_back({std::string(title), std::string(text)});
      }};
};

std::string Config(const std::string& entries, const std::string& more = "") {
  return "<Component-Geometry><Component-Processing><Component-Type-Handler>" + entries +
         "</Component-Type-Handler>" + more + "</Component-Processing></Component-Geometry>";
}

class TypeTableTest : public SolidTest {
 protected:
  // A straight component of the given type: two ends and one leg.
  static Comp Straight(const std::string& type) {
    return solid_test::Straight(type, type, "Valves", {0, 0, 0}, {200, 0, 0});
  }
  std::string FunctionFor(const std::string& type) {
    CBuildOutcome outcome;
    Build(Straight(type), &outcome);
    return outcome.function;
  }
  MessageBoxes boxes;
};

TEST_F(TypeTableTest, TheFunctionIsTheTypesByExactNameElseDrawLegs) {
  struct Case {
    const char* config;  // null: the default table
    const char* type;
    const char* requested;
    const char* function;
    const char* reason;
  };
  const std::string unknown =
      Config("<Component-Type-Entry Component-Type='Gate-Valve' Construction-Function='valve'/>");
  const Case cases[] = {
      {nullptr, "Gate-Valve", "Valve", "Valve", ""},
      {nullptr, "gate-valve", "", "DrawLegs", ""},
      {"", "Gate-Valve", "", "DrawLegs", ""},
      // An unknown function name is kept in the table, and falls back.
      {unknown.c_str(), "Gate-Valve", "valve", "DrawLegs", "no construction function of that name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    if (c.config) builder.SetConfig(c.config);
    CBuildOutcome outcome;
    Build(Straight(c.type), &outcome);
    EXPECT_EQ(outcome.requested, c.requested);
    EXPECT_EQ(outcome.function, c.function);
    EXPECT_EQ(outcome.reason, c.reason);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TypeTableTest, ConfigurationReplacesTheTableAndLaterEntriesWin) {
  builder.SetConfig(
      Config("<Component-Type-Entry Component-Type='Pipe' Construction-Function='Valve'/>"
             "<Component-Type-Entry Component-Type='Gate-Valve' Construction-Function='Bend1'/>"
             "<Component-Type-Entry Component-Type='Gate-Valve' Construction-Function='Valve'/>",
             // Only the first handler counts.
             "<Component-Type-Handler><Component-Type-Entry Component-Type='Ball-Valve' "
             "Construction-Function='Valve'/></Component-Type-Handler>"));
  EXPECT_TRUE(boxes.shown.empty());
  const auto& table = builder.GetTypeTable();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at(u"Gate-Valve").functionName, "Valve");
  EXPECT_EQ(FunctionFor("Pipe"), "Valve");
  EXPECT_EQ(FunctionFor("Ball-Valve"), "DrawLegs");  // defaults are not restored
}

TEST_F(TypeTableTest, ConfigurationErrorsShowXmlError) {
  builder.SetConfig(
      Config("<Component-Type-Entry Component-Type='Pipe' Construction-Function='Valve'/>"
             "<Component-Type-Entry Component-Type='Tee'/>"
             "<Component-Type-Entry Component-Type='Cap' Construction-Function='Valve'/>"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, "XML Error");
  EXPECT_EQ(boxes.shown[0].text,
            "Component-Type-Entry 2 has no \"Construction-Function\" attribute.");
  const auto& table = builder.GetTypeTable();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_TRUE(table.count(u"Pipe"));
  // Text that does not parse empties the table, and says so.
  builder.SetConfig("<Component-Geometry>");
  EXPECT_TRUE(builder.GetTypeTable().empty());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].title, "XML Error");
  EXPECT_NE(boxes.shown[1].text, "");
}

// The command line shows configuration errors through a handler of its own;
// once it is gone the text goes to standard error again.
TEST(MessageBox, AHandlerLastsItsScopeThenTheDefaultWritesToStandardError) {
  {
    MessageBoxes boxes;
    kelto::window::ShowMessageBox("T1", "m1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "m1");
  }
  testing::internal::CaptureStderr();
  kelto::window::ShowMessageBox("XML Error", "text");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "XML Error: text\n");
}

}  // namespace
}  // namespace solid_test
