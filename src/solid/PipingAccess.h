// Thin, throwing access to the piping-data objects for the solid builder.
//
// Every call on a piping object goes through here so that the failure rules
// hold in one place: a failing call raises _com_error with the interface's
// IID, and a null where an object is required raises _com_error(E_POINTER).
// Functions that may legitimately find nothing (a point a component lacks, an
// attribute it does not carry) say so in their names and return null.
#pragma once

#include <string>

#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

namespace kelto::solid {

using kelto::com::ComPtr;

// Throws _com_error(E_POINTER) carrying iid when p is null; returns p.
template <class T>
T* Require(T* p) {
  if (!p) throw _com_error(E_POINTER, nullptr, kelto::com::IidOf<T>());
  return p;
}
template <class T>
T* Require(const ComPtr<T>& p) {
  return Require(p.Get());
}

// The argument that asks a collection's Item for the entry at index
// (0-based): a VT_I4, so it is never taken for a name.
VARIANT IndexVariant(long index);

// The component's point of that name, or null when it has none.
ComPtr<IKeltoPoint> FindPoint(IKeltoComponent* component, const char16_t* name);
ComPtr<IKeltoPoint> FindPoint(IKeltoComponent* component, BSTR name);

CPoint3 PositionOf(IKeltoPoint* point);
bool IsInternal(IKeltoPoint* point);
double BoreOf(IKeltoPoint* point);
long BoreUnitsOf(IKeltoPoint* point);
ComPtr<IKeltoComponent> OwnerOf(IKeltoPoint* point);
ComPtr<IKeltoPoint> ConnectedPointOf(IKeltoPoint* point);
// True when the point's EndType begins with "FL".
bool HasFlangedEndType(IKeltoPoint* point);

// The component's legs (never null).
ComPtr<IKeltoLegs> LegsOf(IKeltoComponent* component);
long CountOf(IKeltoLegs* legs);
// Leg index (0-based); never null.
ComPtr<IKeltoLeg> LegAt(IKeltoLegs* legs, long index);
// The leg's FromPoint / ToPoint names (owned BSTRs).
_bstr_t FromPointName(IKeltoLeg* leg);
_bstr_t ToPointName(IKeltoLeg* leg);
// The leg's unit direction when HasDirection is true, else the zero vector.
// A piping file keeps a given direction as written ([5, 0, 1000] is legal),
// and every consumer (vertical-leg tests, circle normals) means the unit one.
CVector3 DirectionOf(IKeltoLeg* leg);
double LengthOf(IKeltoLeg* leg);

// The leg's two points on the component; either is null when the component
// lacks the point of that name.
struct LegPoints {
  ComPtr<IKeltoPoint> from;
  ComPtr<IKeltoPoint> to;
};
LegPoints PointsOf(IKeltoComponent* component, IKeltoLeg* leg);

ComPtr<IKeltoItem> DetailsOf(IKeltoComponent* component);
ComPtr<IKeltoPipeline> PipelineOf(IKeltoComponent* component);
ComPtr<IKeltoFile> FileOf(IKeltoPipeline* pipeline);
_bstr_t TypeNameOf(IKeltoItem* details);
_bstr_t GroupNameOf(IKeltoItem* details);
_bstr_t ShapeCodeOf(IKeltoItem* details);
// The component's Id, or empty text when it has none; never throws (used in
// reports, which must not fail because of what they describe).
std::string IdOf(IKeltoComponent* component) noexcept;
// The pipeline's Name, or empty text; never throws.
std::string NameOf(IKeltoPipeline* pipeline) noexcept;

// The object's identity (its IUnknown as QueryInterface gives it), the key
// of its model node; null for null.
ComPtr<IUnknown> IdentityOf(IUnknown* object);

}  // namespace kelto::solid
