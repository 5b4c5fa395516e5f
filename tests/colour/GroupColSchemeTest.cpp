// The colour-by-group scheme on its own (internal interface).
#include "colour/GroupColScheme.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "PipingComponents.h"
#include "platform/com/ComError.h"

namespace {

using colour_test::MakeComponent;

struct GroupCase {
  const char* group;
  std::int32_t colour;
};

const GroupCase kGroups[] = {
    {"Pipe", 0x00FF00},
    {"Fittings", 0xFFFF00},
    {"Flanges", 0xFF00FF},
    {"Gaskets", 0xFF00FF},
    {"Valves", 0xFF00FF},
    {"Instruments", 0xFF0000},
    {"Miscellaneous", 0xFF00FF},
    {"Supports", 0x00FFFF},
    {"Bolts", 0x00FFFF},
    {"Welds", 0x00FFFF},
    // Exact, case-sensitive names; anything else is white.
    {"pipe", 0xFFFFFF},
    {"PIPE", 0xFFFFFF},
    {"Pipe ", 0xFFFFFF},
    {"Valve", 0xFFFFFF},
    {"Elbows", 0xFFFFFF},
};

TEST(GroupColScheme, ColourOfEachGroup) {
  auto scheme = CGroupColScheme::Create();
  for (const GroupCase& c : kGroups) {
    SCOPED_TRACE(std::string("group \"") + c.group + "\"");
    auto component = MakeComponent(c.group);
    EXPECT_EQ(scheme->GetColour(component.Get()), c.colour);
  }
}

// What a builder sees when a component cannot be coloured.
TEST(GroupColScheme, UnusableComponentsRaiseComErrors) {
  auto scheme = CGroupColScheme::Create();
  try {
    scheme->GetColour(nullptr);
    ADD_FAILURE() << "a null component must fail";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
    EXPECT_EQ(e.Description(), "No component to colour.");
  }

  auto orphan = kelto::com::MakeObject<colour_test::DetailsStandIn>(nullptr);
  try {
    scheme->GetColour(orphan.Get());
    ADD_FAILURE() << "a component without details must fail";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
    EXPECT_EQ(e.Iid(), kelto::com::IidOf<IKeltoComponent>());
    EXPECT_EQ(e.Description(), "The component has no details.");
  }

  // The component's own failures pass through with their descriptions and
  // the IID of the interface that failed.
  const colour_test::Gone gone = colour_test::MakeGone();
  try {
    scheme->GetColour(gone.component.Get());
    ADD_FAILURE() << "a failing Details must fail";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
    EXPECT_EQ(e.Iid(), kelto::com::IidOf<IKeltoComponent>());
    EXPECT_EQ(e.Description(), colour_test::kGone);
  }

  auto badItem = kelto::com::MakeObject<colour_test::DetailsStandIn>(gone.details);
  try {
    scheme->GetColour(badItem.Get());
    ADD_FAILURE() << "a failing GroupName must fail";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Iid(), kelto::com::IidOf<IKeltoItem>());
    EXPECT_EQ(e.Description(), colour_test::kGone);
  }
}

}  // namespace
