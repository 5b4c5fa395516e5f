#include "solid/PipingAccess.h"

#include <algorithm>
#include <cmath>

#include "platform/com/Strings.h"

namespace kelto::solid {
namespace {

using kelto::com::IidOf;
using kelto::com::ThrowIfFailed;

template <class I>
void Check(HRESULT hr) {
  ThrowIfFailed(hr, IidOf<I>());
}

// A VARIANT that borrows the caller's BSTR: [in] arguments stay the
// caller's, so no copy is made for a lookup by name.
VARIANT BorrowedText(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

}  // namespace

VARIANT IndexVariant(long index) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = static_cast<LONG>(index);
  return v;
}

namespace {

ComPtr<IKeltoPoints> PointsCollection(IKeltoComponent* component) {
  ComPtr<IKeltoPoints> points;
  Check<IKeltoComponent>(Require(component)->get_Points(points.Put()));
  return points;
}

ComPtr<IKeltoPoint> PointNamed(IKeltoPoints* points, BSTR name) {
  ComPtr<IKeltoPoint> point;
  Check<IKeltoPoints>(Require(points)->get_Item(BorrowedText(name), point.Put()));
  return point;
}

}  // namespace

ComPtr<IKeltoPoint> FindPoint(IKeltoComponent* component, BSTR name) {
  return PointNamed(PointsCollection(component).Get(), name);
}

ComPtr<IKeltoPoint> FindPoint(IKeltoComponent* component, const char16_t* name) {
  const _bstr_t text(name);
  return FindPoint(component, text.GetBSTR());
}

CPoint3 PositionOf(IKeltoPoint* point) {
  CPoint3 p;
  Check<IKeltoPoint>(Require(point)->Position(&p.x, &p.y, &p.z));
  return p;
}

bool IsInternal(IKeltoPoint* point) {
  VARIANT_BOOL internal = VARIANT_FALSE;
  Check<IKeltoPoint>(Require(point)->get_IsInternalPoint(&internal));
  return internal != VARIANT_FALSE;
}

double BoreOf(IKeltoPoint* point) {
  double bore = 0.0;
  Check<IKeltoPoint>(Require(point)->get_Bore(&bore));
  return bore;
}

long BoreUnitsOf(IKeltoPoint* point) {
  LONG units = 0;
  Check<IKeltoPoint>(Require(point)->get_BoreUnits(&units));
  return units;
}

ComPtr<IKeltoComponent> OwnerOf(IKeltoPoint* point) {
  ComPtr<IKeltoComponent> owner;
  Check<IKeltoPoint>(Require(point)->get_OwnerComponent(owner.Put()));
  return owner;
}

ComPtr<IKeltoPoint> ConnectedPointOf(IKeltoPoint* point) {
  ComPtr<IKeltoPoint> other;
  Check<IKeltoPoint>(Require(point)->get_ConnectedPoint(other.Put()));
  return other;
}

bool HasFlangedEndType(IKeltoPoint* point) {
  BSTR raw = nullptr;
  Check<IKeltoPoint>(Require(point)->get_EndType(&raw));
  const _bstr_t type(raw, false);
  const std::u16string_view text = kelto::com::BstrView(type.GetBSTR());
  return text.size() >= 2 && text[0] == u'F' && text[1] == u'L';
}

ComPtr<IKeltoLegs> LegsOf(IKeltoComponent* component) {
  ComPtr<IKeltoLegs> legs;
  Check<IKeltoComponent>(Require(component)->get_Legs(legs.Put()));
  Require(legs);
  return legs;
}

long CountOf(IKeltoLegs* legs) {
  LONG count = 0;
  Check<IKeltoLegs>(Require(legs)->get_Count(&count));
  return count;
}

ComPtr<IKeltoLeg> LegAt(IKeltoLegs* legs, long index) {
  ComPtr<IKeltoLeg> leg;
  Check<IKeltoLegs>(Require(legs)->get_Item(IndexVariant(index), leg.Put()));
  Require(leg);
  return leg;
}

_bstr_t FromPointName(IKeltoLeg* leg) {
  BSTR name = nullptr;
  Check<IKeltoLeg>(Require(leg)->get_FromPoint(&name));
  return _bstr_t(name, false);
}

_bstr_t ToPointName(IKeltoLeg* leg) {
  BSTR name = nullptr;
  Check<IKeltoLeg>(Require(leg)->get_ToPoint(&name));
  return _bstr_t(name, false);
}

CVector3 DirectionOf(IKeltoLeg* leg) {
  VARIANT_BOOL has = VARIANT_FALSE;
  Check<IKeltoLeg>(Require(leg)->get_HasDirection(&has));
  if (has == VARIANT_FALSE) return {};
  CVector3 d;
  Check<IKeltoLeg>(leg->Direction(&d.x, &d.y, &d.z));
  // Scaled by the largest component first, so that neither a tiny nor a huge
  // vector under- or overflows on the way to unit length.
  const double largest = std::max({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
  if (!(largest > 0.0) || !std::isfinite(largest)) return {};
  return (d * (1.0 / largest)).Normalised();
}

double LengthOf(IKeltoLeg* leg) {
  double length = 0.0;
  Check<IKeltoLeg>(Require(leg)->get_Length(&length));
  return length;
}

LegPoints PointsOf(IKeltoComponent* component, IKeltoLeg* leg) {
  const _bstr_t from = FromPointName(leg);
  const _bstr_t to = ToPointName(leg);
  const ComPtr<IKeltoPoints> points = PointsCollection(component);
  return {PointNamed(points.Get(), from.GetBSTR()), PointNamed(points.Get(), to.GetBSTR())};
}

ComPtr<IKeltoItem> DetailsOf(IKeltoComponent* component) {
  ComPtr<IKeltoItem> details;
  Check<IKeltoComponent>(Require(component)->get_Details(details.Put()));
  return details;
}

ComPtr<IKeltoPipeline> PipelineOf(IKeltoComponent* component) {
  ComPtr<IKeltoPipeline> pipeline;
  Check<IKeltoComponent>(Require(component)->get_Pipeline(pipeline.Put()));
  return pipeline;
}

ComPtr<IKeltoFile> FileOf(IKeltoPipeline* pipeline) {
  ComPtr<IKeltoFile> file;
  Check<IKeltoPipeline>(Require(pipeline)->get_File(file.Put()));
  return file;
}

_bstr_t TypeNameOf(IKeltoItem* details) {
  BSTR name = nullptr;
  Check<IKeltoItem>(Require(details)->get_TypeName(&name));
  return _bstr_t(name, false);
}

_bstr_t GroupNameOf(IKeltoItem* details) {
  BSTR name = nullptr;
  Check<IKeltoItem>(Require(details)->get_GroupName(&name));
  return _bstr_t(name, false);
}

_bstr_t ShapeCodeOf(IKeltoItem* details) {
  BSTR code = nullptr;
  Check<IKeltoItem>(Require(details)->get_ShapeCode(&code));
  return _bstr_t(code, false);
}

std::string IdOf(IKeltoComponent* component) noexcept {
  try {
    if (!component) return {};
    BSTR id = nullptr;
    if (FAILED(component->get_Id(&id))) return {};
    const _bstr_t owned(id, false);
    return kelto::com::BstrToUtf8(owned.GetBSTR());
  } catch (...) {
    return {};
  }
}

std::string NameOf(IKeltoPipeline* pipeline) noexcept {
  try {
    if (!pipeline) return {};
    BSTR name = nullptr;
    if (FAILED(pipeline->get_Name(&name))) return {};
    const _bstr_t owned(name, false);
    return kelto::com::BstrToUtf8(owned.GetBSTR());
  } catch (...) {
    return {};
  }
}

ComPtr<IUnknown> IdentityOf(IUnknown* object) { return kelto::com::Identity(object); }

}  // namespace kelto::solid
