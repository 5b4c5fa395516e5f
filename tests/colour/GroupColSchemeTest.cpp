// The colour-by-group scheme on its own (internal interface).
#include "colour/GroupColScheme.h"

#include <gtest/gtest.h>

#include "PipingComponents.h"

namespace {

using colour_test::MakeComponent;

TEST(GroupColScheme, ColourOfEachGroup) {
  const struct {
    const char* group;
    std::int32_t colour;
  } cases[] = {
      {"Pipe", 0x00FF00},
      {"Fittings", 0xFFFF00},
      {"Flanges", 0xFF00FF},
      {"Valves", 0xFF00FF},
      {"Instruments", 0xFF0000},
      {"Supports", 0x00FFFF},
      {"Miscellaneous", 0xFF00FF},
      {"Bolts", 0x00FFFF},
      {"Welds", 0x00FFFF},
      // Exact, case-sensitive names; anything else is white.
      {"pipe", 0xFFFFFF},
  };
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

}  // namespace
