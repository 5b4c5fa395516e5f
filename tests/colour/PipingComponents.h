// Components for the colour-scheme tests, read from small piping files by the
// real piping library, and the failures a scheme has to survive: a component
// gone with a reload (its members fail) and a stand-in for the one thing no
// piping file gives, a component whose Details hand out a null or gone item.
#pragma once

#include <gtest/gtest.h>

#include "kelto/Piping.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "support/NoDispatch.h"

namespace colour_test {

using kelto::com::ComPtr;

// A component of the given (non-empty) group whose type has the same name.
ComPtr<IKeltoComponent> MakeComponent(const std::string& group, const std::string& id = "C1");

// A component, and its Details, whose file was loaded again without it:
// every member of both fails with E_FAIL and kGone.
struct Gone {
  ComPtr<IKeltoComponent> component;
  ComPtr<IKeltoItem> details;
};
Gone MakeGone();
inline constexpr const char* kGone =
    "The component is no longer part of the file: it went when the file was loaded again.";

// Answers Details with the item it was given; nothing else is read.
class DetailsStandIn
    : public kelto::com::Object<DetailsStandIn, kelto::test::NoDispatch<IKeltoComponent>> {
 public:
  explicit DetailsStandIn(ComPtr<IKeltoItem> details) : m_details(std::move(details)) {}
  HRESULT get_Details(IKeltoItem** item) override {
    *item = m_details.Get();
    if (*item) (*item)->AddRef();
    return S_OK;
  }
  HRESULT get_Id(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_Pipeline(IKeltoPipeline**) override { return E_NOTIMPL; }
  HRESULT get_Legs(IKeltoLegs**) override { return E_NOTIMPL; }
  HRESULT get_Points(IKeltoPoints**) override { return E_NOTIMPL; }
  HRESULT get_Attributes(IKeltoAttributes**) override { return E_NOTIMPL; }
  HRESULT get_AttachmentCount(LONG*) override { return E_NOTIMPL; }
  HRESULT get_Attachment(LONG, IKeltoComponent**) override { return E_NOTIMPL; }

 private:
  ComPtr<IKeltoItem> m_details;
};

// What a scheme's GetColour raises for a component it cannot colour.
struct Raised {
  HRESULT hr = S_OK;
  IID iid = GUID_NULL;
  std::string description;
};
template <class Scheme>
Raised RaisedBy(Scheme& scheme, IKeltoComponent* component) {
  try {
    scheme.GetColour(component);
  } catch (const _com_error& e) {
    return {e.Error(), e.Iid(), e.Description()};
  }
  ADD_FAILURE() << "GetColour raised nothing";
  return {};
}

}  // namespace colour_test
