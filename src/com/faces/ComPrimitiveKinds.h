// The typed primitive objects: the scripting classes Line, Cone, CurvedCone,
// Snout and Circle, each the face of one CPrimitive (CDPOwner).
//
// An object reads and writes the record of its own kind through the
// converting accessors of CPrimitive: a primitive of another kind becomes one
// of this kind (points at the origin, diameters and colour 0), and an object
// the host creates gets a fresh primitive of its kind on first use. Type is
// always the class's own kind, whatever the primitive held before.
#pragma once

#include <type_traits>
#include <utility>

#include "com/ModuleLock.h"
#include "core/ComWrapper.h"
#include "core/Primitive.h"
#include "kelto3d/ModelTree.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"

struct LineClass {
  static constexpr CLSID clsid = kelto3d::kClsidLine;
};
struct ConeClass {
  static constexpr CLSID clsid = kelto3d::kClsidCone;
};
struct CurvedConeClass {
  static constexpr CLSID clsid = kelto3d::kClsidCurvedCone;
};
struct SnoutClass {
  static constexpr CLSID clsid = kelto3d::kClsidSnout;
};
struct CircleClass {
  static constexpr CLSID clsid = kelto3d::kClsidCircle;
};

// What the five classes share: IPrimitive's members and the field access the
// kind interfaces are written with.
template <class TComClass, class TInterface, class TCoClass, PrimitiveType Kind>
class CComPrimitiveOf
    : public kelto3d::ComObject<TComClass, kelto::com::Dual<TInterface>,
                                kelto::com::SupportErrorInfo<TInterface, kelto3d::IPrimitive>>,
      public CComWrapper<CPrimitive, TComClass, TCoClass, TInterface, CPrimitive*,
                         CDPOwner<CPrimitive>> {
 public:
  HRESULT get_Type(PrimitiveType* pVal) override {
    return Guarded([&] {
      CheckResult(pVal);
      *pVal = Kind;
    });
  }
  HRESULT get_Colour(LONG* pVal) override {
    return Guarded([&] {
      CheckResult(pVal);
      *pVal = Record().Colour;
    });
  }
  HRESULT put_Colour(LONG newVal) override {
    return Guarded([&] { Record().Colour = newVal; });
  }

 protected:
  // The record of this class's kind in the wrapped primitive.
  decltype(auto) Record() {
    CPrimitive& primitive = *this->GetObject();
    if constexpr (Kind == ptLine)
      return primitive.AsLine();
    else if constexpr (Kind == ptCone)
      return primitive.AsCone();
    else if constexpr (Kind == ptCurvedCone)
      return primitive.AsCurvedCone();
    else if constexpr (Kind == ptSnout)
      return primitive.AsSnout();
    else
      return primitive.AsCircle();
  }

  template <class R, class T>
  HRESULT GetPoint(kelto3d::XYZValue* pVal, T R::*field) {
    return Guarded([&] {
      CheckResult(pVal);
      const T& p = Field(field);
      *pVal = kelto3d::XYZValue{p.x, p.y, p.z};
    });
  }
  template <class R, class T>
  HRESULT GetPoint(double* X, double* Y, double* Z, T R::*field) {
    return Guarded([&] {
      CheckResult(X);
      CheckResult(Y);
      CheckResult(Z);
      const T& p = Field(field);
      *X = p.x;
      *Y = p.y;
      *Z = p.z;
    });
  }
  template <class R, class T>
  HRESULT PutPoint(const kelto3d::XYZValue& value, T R::*field) {
    return Guarded([&] { Field(field) = T(value.X, value.Y, value.Z); });
  }
  template <class R>
  HRESULT GetNumber(double* pVal, double R::*field) {
    return Guarded([&] {
      CheckResult(pVal);
      *pVal = Field(field);
    });
  }
  template <class R>
  HRESULT PutNumber(double value, double R::*field) {
    return Guarded([&] { Field(field) = value; });
  }

 private:
  template <class F>
  HRESULT Guarded(F&& body) {
    return kelto::com::Guard(TCoClass::clsid, kelto::com::IidOf<TInterface>(),
                             std::forward<F>(body));
  }
  static void CheckResult(const void* p) {
    if (!p) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
  }
  template <class R, class T>
  T& Field(T R::*field) {
    auto& record = Record();
    static_assert(std::is_same_v<std::remove_reference_t<decltype(record)>, R>,
                  "a member of another kind's record");
    return record.*field;
  }
};

// The four members of a point property (get, put, GetX, SetX) and the two of
// a number property, for a field of the kind record.
#define KELTO_PRIMITIVE_POINT(Name, Record)                                                      \
  HRESULT get_##Name(kelto3d::XYZValue* pVal) override { return GetPoint(pVal, &Record::Name); } \
  HRESULT put_##Name(kelto3d::XYZValue newVal) override {                                        \
    return PutPoint(newVal, &Record::Name);                                                      \
  }                                                                                              \
  HRESULT Get##Name(double* X, double* Y, double* Z) override {                                  \
    return GetPoint(X, Y, Z, &Record::Name);                                                     \
  }                                                                                              \
  HRESULT Set##Name(double X, double Y, double Z) override {                                     \
    return PutPoint(kelto3d::XYZValue{X, Y, Z}, &Record::Name);                                  \
  }
#define KELTO_PRIMITIVE_NUMBER(Name, Record)                                           \
  HRESULT get_##Name(double* pVal) override { return GetNumber(pVal, &Record::Name); } \
  HRESULT put_##Name(double newVal) override { return PutNumber(newVal, &Record::Name); }

class CComLine final : public CComPrimitiveOf<CComLine, kelto3d::ILine, LineClass, ptLine> {
 public:
  KELTO_PRIMITIVE_POINT(Start, CPrimitive::Line)
  KELTO_PRIMITIVE_POINT(End, CPrimitive::Line)
};

class CComCone final : public CComPrimitiveOf<CComCone, kelto3d::ICone, ConeClass, ptCone> {
 public:
  KELTO_PRIMITIVE_POINT(Start, CPrimitive::Cone)
  KELTO_PRIMITIVE_POINT(End, CPrimitive::Cone)
  KELTO_PRIMITIVE_NUMBER(StartDiameter, CPrimitive::Cone)
  KELTO_PRIMITIVE_NUMBER(EndDiameter, CPrimitive::Cone)
};

class CComCurvedCone final
    : public CComPrimitiveOf<CComCurvedCone, kelto3d::ICurvedCone, CurvedConeClass, ptCurvedCone> {
 public:
  KELTO_PRIMITIVE_POINT(Start, CPrimitive::CurvedCone)
  KELTO_PRIMITIVE_POINT(End, CPrimitive::CurvedCone)
  KELTO_PRIMITIVE_NUMBER(StartDiameter, CPrimitive::CurvedCone)
  KELTO_PRIMITIVE_NUMBER(EndDiameter, CPrimitive::CurvedCone)
  KELTO_PRIMITIVE_POINT(Centre, CPrimitive::CurvedCone)
};

class CComSnout final : public CComPrimitiveOf<CComSnout, kelto3d::ISnout, SnoutClass, ptSnout> {
 public:
  KELTO_PRIMITIVE_POINT(Start, CPrimitive::Snout)
  KELTO_PRIMITIVE_POINT(End, CPrimitive::Snout)
  KELTO_PRIMITIVE_NUMBER(StartDiameter, CPrimitive::Snout)
  KELTO_PRIMITIVE_NUMBER(EndDiameter, CPrimitive::Snout)
  KELTO_PRIMITIVE_POINT(Direction, CPrimitive::Snout)
};

class CComCircle final
    : public CComPrimitiveOf<CComCircle, kelto3d::ICircle, CircleClass, ptCircle> {
 public:
  KELTO_PRIMITIVE_POINT(Centre, CPrimitive::Circle)
  KELTO_PRIMITIVE_POINT(Direction, CPrimitive::Circle)
  KELTO_PRIMITIVE_NUMBER(Diameter, CPrimitive::Circle)
};

#undef KELTO_PRIMITIVE_POINT
#undef KELTO_PRIMITIVE_NUMBER

// The object of the primitive's own kind (an existing one, or a new one
// linked to it); null for a primitive that has no kind yet.
kelto::com::ComPtr<kelto3d::IPrimitive> PrimitiveFace(CPrimitive& primitive);
