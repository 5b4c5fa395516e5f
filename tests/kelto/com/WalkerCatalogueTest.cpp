// The path walker and the symbol catalogue through their scripting faces.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FaceFixtures.h"
#include "kelto/com/KeltoPathWalker.h"
#include "kelto/com/KeltoSymbolCatalogue.h"
#include "kelto/data/Catalogue.h"
#include "platform/com/Dispatch.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

using kelto::faces::CKeltoPathWalker;
using kelto::faces::CKeltoSymbolCatalogue;

// An IKeltoPoint from somewhere else: the walker must refuse it.
class ForeignPoint : public kelto::com::Object<ForeignPoint, kelto::com::Dual<IKeltoPoint>> {
 public:
  HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT Position(double*, double*, double*) override { return E_NOTIMPL; }
  HRESULT get_Bore(double*) override { return E_NOTIMPL; }
  HRESULT get_BoreUnits(LONG*) override { return E_NOTIMPL; }
  HRESULT get_EndType(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_IsInternalPoint(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT get_ConnectedPoint(IKeltoPoint**) override { return E_NOTIMPL; }
  HRESULT get_OwnerComponent(IKeltoComponent**) override { return E_NOTIMPL; }
};

class Walker : public ::testing::Test {
 protected:
  ComPtr<CKeltoFile> file = OpenFile(Example("drain-spool.json"));
  ComPtr<IKeltoComponent> elbow = FindComponent(file.Get(), "D401-E1");
  ComPtr<IKeltoPathWalker> walker = kelto::com::MakeObject<CKeltoPathWalker>();
};

TEST_F(Walker, StartRefusesWhatItCannotWalk) {
  const ComPtr<CKeltoFile> other = OpenFile(Example("drain-spool.json"));
  const ComPtr<IKeltoComponent> otherElbow = FindComponent(other.Get(), "D401-E1");
  const ComPtr<IKeltoComponent> pipe = FindComponent(file.Get(), "D401-P2");
  const ComPtr<IKeltoPoint> centre = PointOf(elbow.Get(), "Centre_1");
  const ComPtr<IKeltoPoint> foreign = kelto::com::MakeObject<ForeignPoint>();
  struct Case {
    IKeltoPoint* point;
    IKeltoLeg* leg;
    HRESULT hr;
    std::string message;
  };
  const std::vector<Case> cases = {
      {nullptr, LegOf(elbow.Get(), 0).Get(), E_POINTER, "Start needs a point and a leg."},
      {foreign.Get(), LegOf(elbow.Get(), 0).Get(), E_INVALIDARG,
       "Start takes a point and a leg of a file opened by the piping library."},
      {centre.Get(), LegOf(pipe.Get(), 0).Get(), E_INVALIDARG,
       "The leg does not end at the point."},
      {centre.Get(), LegOf(otherElbow.Get(), 0).Get(), E_INVALIDARG,
       "The point and the leg belong to different files."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(walker->Start(c.point, c.leg), c.hr) << c.message;
    EXPECT_EQ(TakeErrorText(), c.message);
    // A failed Start leaves the walker unstarted.
    ComPtr<IKeltoPoint> next;
    EXPECT_EQ(walker->Next(next.Put()), S_OK);
    EXPECT_EQ(next, nullptr);
  }
}

TEST_F(Walker, AReloadAfterStartStopsTheWalk) {
  kelto::test::TempDir dir;
  const auto copy = dir.path() / "spool.json";
  std::filesystem::copy_file(Example("drain-spool.json"), copy);
  file = OpenFile(copy.string());
  elbow = FindComponent(file.Get(), "D401-E1");
  const ComPtr<IKeltoPoint> centre = PointOf(elbow.Get(), "Centre_1");
  const ComPtr<IKeltoLeg> leg = LegOf(elbow.Get(), 0);
  ASSERT_EQ(walker->Start(centre.Get(), leg.Get()), S_OK);

  ASSERT_EQ(file->Load(_bstr_t(copy.string())), S_OK);
  ComPtr<IKeltoPoint> next;
  EXPECT_EQ(walker->Next(next.Put()), E_FAIL);
  EXPECT_EQ(TakeErrorText(), "The file was loaded again after Start: start the walker again.");
  // The old point and leg went with the reload; fresh ones walk again.
  EXPECT_EQ(walker->Start(centre.Get(), leg.Get()), E_INVALIDARG);
  TakeErrorText();
  ASSERT_EQ(walker->Start(PointOf(elbow.Get(), "Centre_1").Get(), LegOf(elbow.Get(), 0).Get()),
            S_OK);
  next = nullptr;
  EXPECT_EQ(walker->Next(next.Put()), S_OK);
  EXPECT_EQ(NameOf(next.Get()), "Run_2");
}

TEST(Catalogue, DescribesTypesAndListsKeyTypes) {
  const ComPtr<IKeltoSymbolCatalogue> catalogue = kelto::com::MakeObject<CKeltoSymbolCatalogue>();
  // By name, the four results through references.
  BSTR out[4] = {};
  std::vector<_variant_t> args = {_variant_t("Elbow-90")};
  for (BSTR& b : out) {
    args.emplace_back().vt = VT_BYREF | VT_BSTR;
    args.back().pbstrVal = &b;
  }
  IDispatch* d = catalogue.Get();
  Get(d, "DescribeType", args);
  std::vector<std::string> fields;
  for (BSTR& b : out) {
    fields.push_back(kelto::com::BstrToUtf8(b));
    SysFreeString(b);
  }
  EXPECT_EQ(fields, (std::vector<std::string>{"Fittings", "BEND", "EL90",
                                              "90 degree long-radius butt-weld elbow"}));
  // An unknown type gives empty strings, not null ones.
  _bstr_t t[4];
  ASSERT_EQ(catalogue->DescribeType(_bstr_t("No-Such-Type"), t[0].GetAddress(), t[1].GetAddress(),
                                    t[2].GetAddress(), t[3].GetAddress()),
            S_OK);
  for (const _bstr_t& field : t) EXPECT_NE(field.GetBSTR(), nullptr);

  // A family entry answers a key of that family, variant 2 its own list.
  EXPECT_EQ(Text(Get(d, "CountKeyTypes", {_variant_t("ELXX"), _variant_t(0)})), "3");
  EXPECT_EQ(Text(Get(d, "KeyTypeAt", {_variant_t(3)})), "TEED-BEND");
  EXPECT_EQ(Text(Get(d, "CountKeyTypes", {_variant_t("VAGA"), _variant_t(2)})), "1");
  EXPECT_EQ(Text(Get(d, "KeyTypeAt", {_variant_t(1)})), "ANGLE-VALVE");

  for (LONG bad : {0, 2}) {
    _bstr_t keyType;
    EXPECT_EQ(catalogue->KeyTypeAt(bad, keyType.GetAddress()), DISP_E_BADINDEX);
    EXPECT_EQ(TakeErrorText(), "Invalid key type index " + std::to_string(bad) +
                                   ": the last CountKeyTypes gave 1 (indices start at 1).");
  }
  LONG count = -1;
  EXPECT_EQ(catalogue->CountKeyTypes(_bstr_t("ZZZZ"), 0, &count), S_OK);
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace faces_test
