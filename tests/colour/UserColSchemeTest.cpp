// The rule-driven scheme on its own: rules are tag-engine rule sets whose
// "Colour" tag is read as a colour.
#include "colour/UserColScheme.h"

#include <gtest/gtest.h>

#include "PipingComponents.h"

namespace {

using colour_test::MakeComponent;

// Colours by group, keyed on the component's Details.GroupName.
constexpr const char* kByGroup = R"(<Colours>
  <Aspect Name="Group" Expression="Details.GroupName"/>
  <Lookup Group="Valves"><Tag Colour="Red"/></Lookup>
  <Lookup Group="Pipe"><Tag Colour="0, 0, 255"/></Lookup>
  <Lookup Group="Flanges"><Tag Finish="Painted"/></Lookup>
</Colours>)";

std::vector<std::string> Configure(CUserColScheme& scheme, const std::string& xml) {
  std::vector<std::string> messages;
  scheme.SetConfig(xml, messages);
  return messages;
}

TEST(UserColScheme, RulesKeyedOnTheGroupName) {
  auto scheme = CUserColScheme::Create();
  EXPECT_EQ(scheme->GetColour(MakeComponent("Valves").Get()), 0xFFFFFF) << "unconfigured";
  EXPECT_TRUE(Configure(*scheme, kByGroup).empty());
  EXPECT_EQ(scheme->GetColour(MakeComponent("Valves").Get()), 0x0000FF);
  EXPECT_EQ(scheme->GetColour(MakeComponent("Pipe").Get()), 0xFF0000);
  // A rule that sets other tags but no "Colour", and no rule at all: white.
  EXPECT_EQ(scheme->GetColour(MakeComponent("Flanges").Get()), 0xFFFFFF);
  EXPECT_EQ(scheme->GetColour(MakeComponent("valves").Get()), 0xFFFFFF);
}

// Text forms (all of them are ColourText's) reached through a real rule; only
// the tag named exactly "Colour" counts.
TEST(UserColScheme, TheColourTagIsReadAsAColour) {
  const struct {
    const char* tag;
    std::int32_t colour;
  } cases[] = {
      {R"(Colour="red")", 0x0000FF},
      {R"(Colour="mauve")", 0xFFFFFF},
      {R"(colour="Red" COLOUR="Blue" Color="Green")", 0xFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    auto scheme = CUserColScheme::Create();
    EXPECT_TRUE(
        Configure(*scheme, std::string("<C><Lookup><Tag ") + c.tag + "/></Lookup></C>").empty());
    EXPECT_EQ(scheme->GetColour(MakeComponent("Pipe").Get()), c.colour);
  }
}

// A component whose members fail gets white, not an error; no component is one.
TEST(UserColScheme, AGoneComponentIsWhiteAndNoneIsAPointerError) {
  auto scheme = CUserColScheme::Create();
  Configure(*scheme, kByGroup);
  EXPECT_EQ(scheme->GetColour(colour_test::MakeGone().component.Get()), 0xFFFFFF);
  EXPECT_EQ(colour_test::RaisedBy(*scheme, nullptr).hr, E_POINTER);
}

// The example of docs/colour-schemes.md, kept in step with it: it loads
// without messages, and rules whose members these components lack (an End_1
// point) simply do not apply.
constexpr const char* kDocumentedExample = R"xml(<ColourScheme>
  <!-- What the rules read from each component (member paths, called by name). -->
  <Aspect Name="Group"  Expression="Details.GroupName"/>
  <Aspect Name="Type"   Expression="Details.TypeName"/>
  <Aspect Name="Code"   Expression="Details.ItemCode"/>
  <Aspect Name="Bore"   Expression='Points.Item("End_1").Bore'/>
  <Aspect Name="Symbol" Expression="Details.SymbolKey" MatchType="RegExp"/>

  <!-- Valves are red; flanged ones (symbol key starting with F) of item
       code 4100 are dark red. -->
  <Lookup Group="Valves">
    <Tag Colour="Red"/>
    <Lookup Symbol="^F">
      <Lookup Code="4100"><Tag Colour="128, 0, 0"/></Lookup>
    </Lookup>
  </Lookup>

  <!-- Pipe is light grey, the 100 bore main blue (hexadecimal parts). -->
  <Lookup Group="Pipe">
    <Tag Colour="0xC0, 0xC0, 0xC0"/>
    <Lookup Bore="100"><Tag Colour="0x00, 0x40, 0xFF"/></Lookup>
  </Lookup>

  <!-- Support steel. -->
  <Lookup Group="Supports"><Tag Colour="YELLOW"/></Lookup>
  <Lookup Type="Base-Plate"><Tag Colour="yellow"/></Lookup>
</ColourScheme>)xml";

TEST(UserColScheme, DocumentedExampleLoadsAndColours) {
  auto scheme = CUserColScheme::Create();
  EXPECT_EQ(Configure(*scheme, kDocumentedExample), std::vector<std::string>{});
  EXPECT_EQ(scheme->GetColour(MakeComponent("Valves").Get()), 0x0000FF);
  EXPECT_EQ(scheme->GetColour(MakeComponent("Pipe").Get()), 0xC0C0C0);
  EXPECT_EQ(scheme->GetColour(MakeComponent("Base-Plate").Get()), 0x00FFFF);
  EXPECT_EQ(scheme->GetColour(MakeComponent("Gaskets").Get()), 0xFFFFFF);
}

}  // namespace
