// The two built-in schemes on their own (internal interface): the colour of
// each group, and rules (tag-engine rule sets) whose "Colour" tag is read as
// a colour.
#include <gtest/gtest.h>

#include "PipingComponents.h"
#include "colour/GroupColScheme.h"
#include "colour/UserColScheme.h"

namespace {

using colour_test::MakeComponent;

TEST(GroupColScheme, ColourOfEachGroup) {
  const struct {
    const char* group;
    std::int32_t colour;
  } cases[] = {{"Pipe", 0x00FF00},   {"Fittings", 0xFFFF00},      {"Flanges", 0xFF00FF},
               {"Valves", 0xFF00FF}, {"Instruments", 0xFF0000},   {"Supports", 0x00FFFF},
               {"Bolts", 0x00FFFF},  {"Miscellaneous", 0xFF00FF}, {"Welds", 0x00FFFF},
               {"pipe", 0xFFFFFF}};  // exact, case-sensitive names; anything else is white
  auto scheme = CGroupColScheme::Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("group \"") + c.group + "\"");
    EXPECT_EQ(scheme->GetColour(MakeComponent(c.group).Get()), c.colour);
  }
}

// What a builder sees when a component cannot be coloured: the component's
// own failures pass through with their descriptions and the IID of the
// interface that failed.
TEST(GroupColScheme, UnusableComponentsRaiseComErrors) {
  const colour_test::Gone gone = colour_test::MakeGone();
  const struct {
    const char* label;
    kelto::com::ComPtr<IKeltoComponent> component;
    HRESULT hr;
    const IID* iid;  // null: not checked
    std::string description;
  } cases[] = {
      {"null", nullptr, E_POINTER, nullptr, "No component to colour."},
      {"no details", kelto::com::MakeObject<colour_test::DetailsStandIn>(nullptr), E_POINTER,
       &kelto::com::IidOf<IKeltoComponent>(), "The component has no details."},
      {"failing Details", gone.component, E_FAIL, &kelto::com::IidOf<IKeltoComponent>(),
       colour_test::kGone},
      {"failing GroupName", kelto::com::MakeObject<colour_test::DetailsStandIn>(gone.details),
       E_FAIL, &kelto::com::IidOf<IKeltoItem>(), colour_test::kGone},
  };
  auto scheme = CGroupColScheme::Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const colour_test::Raised raised = colour_test::RaisedBy(*scheme, c.component.Get());
    EXPECT_EQ(raised.hr, c.hr);
    if (c.iid) {
      EXPECT_EQ(raised.iid, *c.iid);
    }
    EXPECT_EQ(raised.description, c.description);
  }
}

std::vector<std::string> Configure(CUserColScheme& scheme, const std::string& xml) {
  std::vector<std::string> messages;
  scheme.SetConfig(xml, messages);
  return messages;
}

// Text forms (all of them are ColourText's) reached through a real rule; only
// the tag named exactly "Colour" counts, and a rule without one leaves white.
TEST(UserColScheme, TheColourTagIsReadAsAColour) {
  const struct {
    const char* tag;
    std::int32_t colour;
  } cases[] = {
      {R"(Colour="red")", 0x0000FF},
      {R"(Colour="mauve")", 0xFFFFFF},
      {R"(colour="Red" COLOUR="Blue" Color="Green")", 0xFFFFFF},
      {R"(Finish="Painted")", 0xFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    auto scheme = CUserColScheme::Create();
    EXPECT_TRUE(
        Configure(*scheme, std::string("<C><Lookup><Tag ") + c.tag + "/></Lookup></C>").empty());
    EXPECT_EQ(scheme->GetColour(MakeComponent("Pipe").Get()), c.colour);
  }
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

// A component whose members fail gets white, not an error; no component is one.
TEST(UserColScheme, AGoneComponentIsWhiteAndNoneIsAPointerError) {
  auto scheme = CUserColScheme::Create();
  Configure(*scheme, kDocumentedExample);
  EXPECT_EQ(scheme->GetColour(colour_test::MakeGone().component.Get()), 0xFFFFFF);
  EXPECT_EQ(colour_test::RaisedBy(*scheme, nullptr).hr, E_POINTER);
}

}  // namespace
