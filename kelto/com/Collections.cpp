#include "kelto/com/Collections.h"

#include <cstdint>
#include <string>

#include "kelto/com/KeltoAttribute.h"
#include "kelto/com/KeltoComponent.h"
#include "kelto/com/KeltoFile.h"
#include "kelto/com/KeltoLeg.h"
#include "kelto/com/KeltoPipeline.h"
#include "kelto/com/KeltoPoint.h"
#include "kelto/com/KeltoRouteEntry.h"
#include "platform/com/Strings.h"

namespace kelto::faces {

using kelto::com::ComPtr;
using kelto::com::HResultError;

CollectionIndex ReadIndex(const VARIANT& index, bool namesAllowed) {
  // The two kinds callers pass, read in place: no copy of the name.
  if (index.vt == VT_BSTR && namesAllowed) {
    CollectionIndex at;
    at.byName = true;
    at.name = kelto::com::BstrToUtf8(index.bstrVal);
    return at;
  }
  if (index.vt == VT_I4) {
    CollectionIndex at;
    at.position = index.lVal;
    return at;
  }
  _variant_t value;
  kelto::com::ThrowIfFailed(VariantCopyInd(&value, &index));
  CollectionIndex at;
  if (namesAllowed && value.vt == VT_BSTR) {
    at.byName = true;
    at.name = kelto::com::BstrToUtf8(value.bstrVal);
    return at;
  }
  _variant_t position;
  const HRESULT hr = VariantChangeType(&position, &value, 0, VT_I4);
  if (hr == DISP_E_OVERFLOW) throw HResultError(DISP_E_BADINDEX, "Invalid index: out of range.");
  if (FAILED(hr))
    throw HResultError(hr, namesAllowed ? "Invalid index: expected a 0-based number or a name."
                                        : "Invalid index: expected a 0-based number.");
  at.position = position.lVal;
  return at;
}

void CheckPosition(LONG position, std::size_t size) {
  if (position >= 0 && static_cast<std::size_t>(position) < size) return;
  throw HResultError(DISP_E_BADINDEX, "Invalid index " + std::to_string(position) +
                                          ": the collection holds " + std::to_string(size) +
                                          (size == 1 ? " item." : " items."));
}

// --- pipelines of the file ---

std::size_t CKeltoPipelines::Size() { return File().Data().Pipelines().size(); }

ComPtr<IKeltoPipeline> CKeltoPipelines::At(std::size_t position) {
  return File().PipelineFace(*File().Data().Pipelines()[position]);
}

// --- components of a pipeline ---

kelto::data::Pipeline& CKeltoComponents::Record() const {
  if (!pipeline_) ThrowGone("pipeline");
  return *pipeline_;
}

std::size_t CKeltoComponents::Size() { return Record().Components().size(); }

ComPtr<IKeltoComponent> CKeltoComponents::At(std::size_t position) {
  return File().ComponentFace(*Record().Components()[position]);
}

// --- routes of a pipeline ---

kelto::data::Pipeline& CKeltoRoutes::Record() const {
  if (!pipeline_) ThrowGone("pipeline");
  return *pipeline_;
}

std::size_t CKeltoRoutes::Size() { return Record().Routes().size(); }

ComPtr<IKeltoRoute> CKeltoRoutes::At(std::size_t position) {
  return File().RouteFace(Record().Routes()[position]);
}

// --- entries of a route ---

const kelto::data::Route& CKeltoRoute::Record() const {
  if (!route_) ThrowGone("route");
  return *route_;
}

std::size_t CKeltoRoute::Size() { return Record().size(); }

ComPtr<IKeltoRouteEntry> CKeltoRoute::At(std::size_t position) {
  return File().RouteEntryFace(Record()[position]);
}

// --- points of a component ---

kelto::data::Component& CKeltoPoints::Record() const {
  if (!component_) ThrowGone("component");
  return *component_;
}

std::size_t CKeltoPoints::Size() { return Record().Points().size(); }

ComPtr<IKeltoPoint> CKeltoPoints::At(std::size_t position) {
  return File().PointFace(Record().Points()[position]);
}

ComPtr<IKeltoPoint> CKeltoPoints::Named(const std::string& name) {
  const kelto::data::Point* point = Record().FindPoint(name);
  if (!point) return nullptr;
  return File().PointFace(*point);
}

// --- legs of a component ---

kelto::data::Component& CKeltoLegs::Record() const {
  if (!component_) ThrowGone("component");
  return *component_;
}

std::size_t CKeltoLegs::Size() { return Record().Legs().size(); }

ComPtr<IKeltoLeg> CKeltoLegs::At(std::size_t position) {
  return File().LegFace(Record().Legs()[position]);
}

// --- attributes of a component ---

kelto::data::Component& CKeltoAttributes::Record() const {
  if (!component_) ThrowGone("component");
  return *component_;
}

std::size_t CKeltoAttributes::Size() { return Record().Attributes().size(); }

ComPtr<IKeltoAttribute> CKeltoAttributes::At(std::size_t position) {
  return File().AttributeFace(Record().Attributes()[position]);
}

ComPtr<IKeltoAttribute> CKeltoAttributes::Named(const std::string& name) {
  const kelto::data::Attribute* attribute = Record().FindAttribute(name);
  if (!attribute) return nullptr;
  return File().AttributeFace(*attribute);
}

}  // namespace kelto::faces
