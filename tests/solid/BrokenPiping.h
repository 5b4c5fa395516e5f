// The piping failures a real piping file cannot produce, for the tests of how
// the builder survives them: a file whose Pipelines answers nothing and a
// component whose every member but Id and Details fails. Everything else the tests read comes from
// real files (SolidTestSupport.h).
#pragma once

#include <string>
#include <vector>

#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "support/NoDispatch.h"

namespace solid_test {

using kelto::com::ComPtr;
using kelto::test::NoDispatch;

template <class I>
HRESULT HandOut(I* object, I** out) {
  *out = object;
  if (object) object->AddRef();
  return S_OK;
}

// A 0-based list of the items it was given.
template <class ICollection, class IItem>
class StandInList
    : public kelto::com::Object<StandInList<ICollection, IItem>, NoDispatch<ICollection>> {
 public:
  explicit StandInList(std::vector<ComPtr<IItem>> items) : m_items(std::move(items)) {}
  HRESULT get_Count(LONG* v) override {
    *v = static_cast<LONG>(m_items.size());
    return S_OK;
  }
  HRESULT get_Item(VARIANT index, IItem** v) override {
    *v = nullptr;
    _variant_t i;
    if (FAILED(VariantChangeType(&i, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    if (i.lVal < 0 || static_cast<size_t>(i.lVal) >= m_items.size()) return DISP_E_BADINDEX;
    return HandOut(m_items[i.lVal].Get(), v);
  }
  HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  std::vector<ComPtr<IItem>> m_items;
};

// Answers its Id and the Details it was given; everything else fails.
class BrokenComponent : public kelto::com::Object<BrokenComponent, NoDispatch<IKeltoComponent>> {
 public:
  BrokenComponent(std::string id, ComPtr<IKeltoItem> details)
      : m_id(std::move(id)), m_details(std::move(details)) {}
  HRESULT get_Id(BSTR* v) override {
    *v = kelto::com::AllocBstr(std::string_view(m_id));
    return S_OK;
  }
  HRESULT get_Details(IKeltoItem** v) override { return HandOut(m_details.Get(), v); }
  HRESULT get_Pipeline(IKeltoPipeline**) override { return E_FAIL; }
  HRESULT get_Legs(IKeltoLegs**) override { return E_FAIL; }
  HRESULT get_Points(IKeltoPoints**) override { return E_FAIL; }
  HRESULT get_Attributes(IKeltoAttributes**) override { return E_FAIL; }
  HRESULT get_AttachmentCount(LONG*) override { return E_FAIL; }
  HRESULT get_Attachment(LONG, IKeltoComponent**) override { return E_FAIL; }

 private:
  std::string m_id;
  ComPtr<IKeltoItem> m_details;
};

class StandInPipeline : public kelto::com::Object<StandInPipeline, NoDispatch<IKeltoPipeline>> {
 public:
  StandInPipeline(std::string name, std::vector<ComPtr<IKeltoComponent>> components)
      : m_name(std::move(name)), m_components(std::move(components)) {}
  HRESULT get_Name(BSTR* v) override {
    *v = kelto::com::AllocBstr(std::string_view(m_name));
    return S_OK;
  }
  HRESULT get_Components(IKeltoComponents** v) override {
    *v = kelto::com::MakeObject<StandInList<IKeltoComponents, IKeltoComponent>>(m_components)
             .Detach();
    return S_OK;
  }
  HRESULT get_File(IKeltoFile**) override { return E_NOTIMPL; }
  HRESULT Routes(LONG, LONG, IKeltoRoutes**) override { return E_NOTIMPL; }

 private:
  std::string m_name;
  std::vector<ComPtr<IKeltoComponent>> m_components;
};

// Lists the pipelines it is given, or (nullPipelines) answers S_OK with none.
class StandInFile : public kelto::com::Object<StandInFile, NoDispatch<IKeltoFile>> {
 public:
  std::vector<ComPtr<IKeltoPipeline>> pipelines;
  bool nullPipelines = false;

  HRESULT get_Pipelines(IKeltoPipelines** v) override {
    *v = nullptr;
    if (nullPipelines) return S_OK;
    *v = kelto::com::MakeObject<StandInList<IKeltoPipelines, IKeltoPipeline>>(pipelines).Detach();
    return S_OK;
  }
  HRESULT Load(BSTR) override { return E_NOTIMPL; }
  HRESULT get_Path(BSTR* v) override {
    *v = kelto::com::AllocBstr(std::string_view("stand-in.json"));
    return S_OK;
  }
};

}  // namespace solid_test
