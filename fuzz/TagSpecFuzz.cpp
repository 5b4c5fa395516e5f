// libFuzzer harness for CTagEngine::SetSpec: the input is the XML text of a
// rule set. Each run loads it into a fresh engine (every fault must become a
// message, nothing may throw) and then computes the tags of a null object and
// of a tiny automation object, so the loaded aspects, lookups and expected
// values (exact and regular-expression) are evaluated as well as parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "tags/TagEngine.h"

namespace fuzz {

// The members a rule set is most likely to name (those of the example in
// docs/tag-engine.md); anything else fails like a member the object lacks.
struct IFuzzPoint : IDispatch {
  virtual HRESULT get_Bore(double* pVal) = 0;
  virtual HRESULT get_BoreUnits(LONG* pVal) = 0;
  virtual HRESULT get_Name(BSTR* pVal) = 0;
  virtual HRESULT get_Value(VARIANT* pVal) = 0;
  virtual HRESULT get_OwnerComponent(IFuzzPoint** pVal) = 0;
  virtual HRESULT get_Details(IFuzzPoint** pVal) = 0;
  virtual HRESULT get_Attributes(BSTR name, IFuzzPoint** pVal) = 0;
};

}  // namespace fuzz

KELTO_INTERFACE_IID(fuzz::IFuzzPoint, IDispatch, "6F1D2C40-93A8-4E0B-8C6E-5B1F0E7A9D31");
// clang-format off
KELTO_DISPATCH_MAP(fuzz::IFuzzPoint,
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_Bore>("Bore", 1),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_BoreUnits>("BoreUnits", 2),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_Name>("Name", 3),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_Value>("Value", 4),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_OwnerComponent>("OwnerComponent", 5),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_Details>("Details", 6),
    kelto::com::PropGet<&fuzz::IFuzzPoint::get_Attributes>("Attributes", 7));
// clang-format on

namespace fuzz {

inline constexpr CLSID kClsidFuzzPoint =
    kelto::com::MakeGuid("6F1D2C40-93A8-4E0B-8C6E-5B1F0E7A9D32");

// Every object-valued member returns the object itself, so dotted paths of
// any length resolve without building (or leaking) a graph.
class FuzzPoint : public kelto::com::Object<FuzzPoint, kelto::com::Dual<IFuzzPoint>> {
 public:
  HRESULT get_Bore(double* pVal) override {
    *pVal = 150.0;
    return S_OK;
  }
  HRESULT get_BoreUnits(LONG* pVal) override {
    *pVal = 2;
    return S_OK;
  }
  HRESULT get_Name(BSTR* pVal) override {
    *pVal = kelto::com::AllocBstr(std::string_view("Gate-Valve-300"));
    return S_OK;
  }
  HRESULT get_Value(VARIANT* pVal) override {
    VariantInit(pVal);
    pVal->vt = VT_BSTR;
    pVal->bstrVal = kelto::com::AllocBstr(std::string_view("UP"));
    return S_OK;
  }
  HRESULT get_OwnerComponent(IFuzzPoint** pVal) override { return Self(pVal); }
  HRESULT get_Details(IFuzzPoint** pVal) override { return Self(pVal); }
  HRESULT get_Attributes(BSTR name, IFuzzPoint** pVal) override {
    *pVal = nullptr;
    if (kelto::com::BstrToUtf8(name) != "SPINDLE-DIRECTION") {
      return kelto::com::Guard(kClsidFuzzPoint, kelto::com::IidOf<IFuzzPoint>(),
                               [] { throw std::invalid_argument("No such attribute."); });
    }
    return Self(pVal);
  }

 private:
  HRESULT Self(IFuzzPoint** pVal) {
    *pVal = this;
    AddRef();
    return S_OK;
  }
};

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  static const kelto::com::ComPtr<fuzz::FuzzPoint> point =
      kelto::com::MakeObject<fuzz::FuzzPoint>();

  CTagEngine engine;
  // A small bound keeps hostile rule sets cheap per run; reaching it must be
  // reported like any evaluation error.
  engine.SetWorkLimit(200'000);
  std::vector<std::string> messages;
  engine.SetSpec(xml, messages);
  for (const std::string& message : messages) {
    if (message.empty()) std::abort();  // a fault reported without a text
  }
  (void)engine.GetTags(nullptr);
  (void)engine.GetTags(static_cast<fuzz::IFuzzPoint*>(point.Get()));
  // Loading the same text again adds to the rules and must be as safe.
  engine.SetSpec(xml, messages);
  (void)engine.GetTags(static_cast<fuzz::IFuzzPoint*>(point.Get()));
  return 0;
}
