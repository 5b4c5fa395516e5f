// Every member of the piping interfaces reached by name, the way scripts and
// the tag engine reach them: GetIDsOfNames with locale 0x800, Invoke with
// flags METHOD|PROPERTYGET and string arguments. The chains are evaluated by
// the real tag engine (CTagEngine), on the hand-written drain spool; results
// are compared as VariantChangeType's text (booleans read "-1" and "0").
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "FaceFixtures.h"
#include "kelto/com/PipingDispatch.h"
#include "tags/TagEngine.h"

namespace faces_test {
namespace {

class LateBound : public ::testing::Test {
 protected:
  // The value of a tag-engine expression on the file object, as text.
  std::string Eval(const std::string& expression) {
    const CTagEngine::Aspect aspect("A", expression, false);
    try {
      return Text(aspect.Evaluate(static_cast<IKeltoFile*>(file.Get())));
    } catch (const std::exception& e) {
      return std::string("<error: ") + e.what() + ">";
    }
  }

  const std::string path = Example("drain-spool.json");
  ComPtr<CKeltoFile> file = OpenFile(path);
};

TEST_F(LateBound, EveryMemberAnswersByName) {
  const std::string v1 = "Pipelines(0).Components(6)";  // the ball valve D401-V1
  const std::string s1 = "Pipelines(0).Components(3)";  // the support D401-S1
  struct Row {
    std::string expression;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"Path", path},
      {"Pipelines.Count", "1"},
      {"Pipelines.Item(0).Name", "2IN-D-401-A1"},
      {"Pipelines(0).File.Path", path},
      {"Pipelines(0).Components.Count", "7"},
      {"Pipelines(0).Components(\"2\").Id", "D401-P1"},  // a numeric string is a position
      {"Pipelines(0).Routes(1, 1).Item(0).Item(0).Value.Id", "D401-FL1"},
      {"Pipelines(0).Routes.Item(0).Count", "7"},  // Routes' flags are optional
      {v1 + ".Id", "D401-V1"},
      {v1 + ".Pipeline.Name", "2IN-D-401-A1"},
      {v1 + ".Details.TypeName", "Ball-Valve"},
      {v1 + ".Details.GroupName", "Valves"},
      {v1 + ".Details.ItemCode", "15"},
      {v1 + ".Details.SymbolKey", "VABA"},
      {v1 + ".Attributes.Count", "2"},
      {v1 + ".Attributes(\"SPINDLE-DIRECTION\").Value", "EAST"},
      {v1 + ".Attributes(\"TAG\").Name", "TAG"},
      {v1 + ".Points.Count", "2"},
      {v1 + ".Points(\"Run_1\").Bore", "2"},
      {v1 + ".Points(\"Run_1\").BoreUnits", "1"},
      {v1 + ".Points(\"Run_1\").EndType", "SW"},
      {v1 + ".Points(\"Run_1\").IsInternalPoint", "0"},
      {v1 + ".Points(\"Run_1\").ConnectedPoint.OwnerComponent.Id", "D401-P2"},
      {v1 + ".Points(\"1\")", "<null>"},  // the engine passes text: a name, and no point has it
      {v1 + ".Legs.Count", "1"},
      {v1 + ".Legs(0).ToPoint", "Run_2"},
      {v1 + ".Legs(0).HasDirection", "-1"},
      {v1 + ".Legs(0).Length", "160"},
      {s1 + ".AttachmentCount", "1"},
      {s1 + ".Attachment(0).Id", "D401-P1"},
      {s1 + ".Points(\"Centre_1\").IsInternalPoint", "-1"},
      {"pipelines(0).components(4).details.typename", "Elbow-90-V"},  // names ignore case
  };
  for (const Row& row : rows) EXPECT_EQ(Eval(row.expression), row.expected) << row.expression;
}

// Position and Direction return three doubles through by-reference arguments.
TEST_F(LateBound, OutParametersArriveThroughReferences) {
  const ComPtr<IKeltoComponent> weld = FindComponent(file.Get(), "D401-W1");
  const ComPtr<IKeltoPoint> run2 = PointOf(weld.Get(), "Run_2");
  const ComPtr<IKeltoLeg> leg = LegOf(weld.Get(), 0);
  using Case = std::tuple<IDispatch*, const char*, std::vector<double>>;
  for (const auto& [object, member, expected] :
       {Case{run2.Get(), "Position", {64, 0, 2000}}, Case{leg.Get(), "Direction", {1, 0, 0}}}) {
    std::vector<double> xyz(3, -1);
    std::vector<_variant_t> refs(3);
    for (int i = 0; i < 3; ++i) {
      refs[i].vt = VT_BYREF | VT_R8;
      refs[i].pdblVal = &xyz[i];
    }
    const auto r = Invoke(object, IdOf(object, member), refs);
    EXPECT_EQ(r.hr, S_OK) << member;
    EXPECT_EQ(r.value.vt, VT_EMPTY);
    EXPECT_EQ(xyz, expected) << member;
  }
}

// The dispids are documented (docs/piping-scripting.md) and clients may keep
// them; a renumbering must fail here.
TEST_F(LateBound, NamesHaveTheDocumentedDispids) {
  const ComPtr<IKeltoComponent> valve = FindComponent(file.Get(), "D401-V1");
  const auto points = Out(valve.Get(), &IKeltoComponent::get_Points);
  const auto attribute = Out(Out(valve.Get(), &IKeltoComponent::get_Attributes).Get(),
                             &IKeltoAttributes::get_Item, _variant_t("TAG"));
  const ComPtr<IKeltoPoint> point = PointOf(valve.Get(), "Run_1");
  struct Row {
    IDispatch* object;
    const char* name;
    DISPID id;
  };
  const std::vector<Row> rows = {
      {static_cast<IKeltoFile*>(file.Get()), "Pipelines", 1},
      {static_cast<IKeltoFile*>(file.Get()), "Load", 2},
      {static_cast<IKeltoFile*>(file.Get()), "Path", 3},
      {valve.Get(), "Id", 1},
      {valve.Get(), "Attributes", 5},
      {valve.Get(), "Details", 6},
      {valve.Get(), "Attachment", 8},
      {point.Get(), "Bore", 2},
      {point.Get(), "Position", 6},
      {point.Get(), "OwnerComponent", 8},
      {points.Get(), "Item", DISPID_VALUE},
      {points.Get(), "Count", 1},
      {points.Get(), "_NewEnum", DISPID_NEWENUM},
      {attribute.Get(), "Value", DISPID_VALUE},
      {attribute.Get(), "Name", 1},
  };
  for (const Row& row : rows) EXPECT_EQ(IdOf(row.object, row.name), row.id) << row.name;
}

// A collection-valued property passes extra arguments to the collection's
// Item, with Item's rules: unknown names are null, bad positions fail.
TEST_F(LateBound, CollectionPropertyWithArgumentsCallsItem) {
  const ComPtr<IKeltoComponent> held = FindComponent(file.Get(), "D401-V1");
  IDispatch* valve = held.Get();
  const auto missing = Invoke(valve, kelto::dispid::kComponentAttributes, {_variant_t("NOPE")});
  EXPECT_EQ(missing.hr, S_OK);
  EXPECT_EQ(missing.value.vt, VT_DISPATCH);
  EXPECT_EQ(missing.value.pdispVal, nullptr);

  const auto bad = Invoke(valve, kelto::dispid::kComponentPoints, {_variant_t(5)});
  EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(bad.scode, DISP_E_BADINDEX);
  EXPECT_EQ(bad.error, "Invalid index 5: the collection holds 2 items.");
}

}  // namespace
}  // namespace faces_test
