// CPrimitive: one of the five simple solids and lines a node draws, as a
// tagged record. The kind is 0 until a record is chosen.
//
// The kind accessors convert: asking a line for its cone record destroys the
// line and makes a fresh cone (points and vectors at the origin, diameters
// and colour 0). The scripting typed objects rely on this.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>

#include "core/BoundBox.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "core/WrappedClass.h"
#include "kelto3d/PrimitiveType.h"  // the kind values

class CPrimitive final : public CWrappedClass {
 public:
  struct Line {
    CPoint3 Start;
    CPoint3 End;
    std::int32_t Colour = 0;
  };
  // Straight sweep whose diameter varies linearly from start to end.
  struct Cone {
    CPoint3 Start;
    double StartDiameter = 0.0;
    CPoint3 End;
    double EndDiameter = 0.0;
    std::int32_t Colour = 0;
  };
  // The cone's section swept along the arc from Start to End whose tangents
  // meet at Centre (the bend's intersection point).
  struct CurvedCone {
    CPoint3 Start;
    double StartDiameter = 0.0;
    CPoint3 End;
    double EndDiameter = 0.0;
    CPoint3 Centre;
    std::int32_t Colour = 0;
  };
  // Straight sweep whose section planes stay perpendicular to Direction.
  struct Snout {
    CPoint3 Start;
    double StartDiameter = 0.0;
    CPoint3 End;
    double EndDiameter = 0.0;
    CVector3 Direction;
    std::int32_t Colour = 0;
  };
  // A disc around Centre in the plane perpendicular to Direction.
  struct Circle {
    CPoint3 Centre;
    double Diameter = 0.0;
    CVector3 Direction;
    std::int32_t Colour = 0;
  };

  CPrimitive() = default;
  CPrimitive(const Line& r) : m_data(r) {}
  CPrimitive(const Cone& r) : m_data(r) {}
  CPrimitive(const CurvedCone& r) : m_data(r) {}
  CPrimitive(const Snout& r) : m_data(r) {}
  CPrimitive(const Circle& r) : m_data(r) {}
  CPrimitive(const CPrimitive&) = default;
  CPrimitive(CPrimitive&&) noexcept = default;
  CPrimitive& operator=(const CPrimitive&) = default;
  CPrimitive& operator=(CPrimitive&&) noexcept = default;
  // Not virtual: nothing derives from a primitive, and a plant holds
  // hundreds of thousands of them.
  ~CPrimitive() = default;

  // 0 (no kind yet) or a PrimitiveType value.
  std::int32_t GetType() const { return static_cast<std::int32_t>(m_data.index()); }

  // Converting accessors (see the file comment).
  Line& AsLine() { return As<Line>(); }
  Cone& AsCone() { return As<Cone>(); }
  CurvedCone& AsCurvedCone() { return As<CurvedCone>(); }
  Snout& AsSnout() { return As<Snout>(); }
  Circle& AsCircle() { return As<Circle>(); }

  // Read-only access without conversion; null when the kind differs.
  const Line* GetLine() const { return std::get_if<Line>(&m_data); }
  const Cone* GetCone() const { return std::get_if<Cone>(&m_data); }
  const CurvedCone* GetCurvedCone() const { return std::get_if<CurvedCone>(&m_data); }
  const Snout* GetSnout() const { return std::get_if<Snout>(&m_data); }
  const Circle* GetCircle() const { return std::get_if<Circle>(&m_data); }

  // Box of the primitive; the sweeps are widened by their full larger
  // diameter in every axis. Kind 0 gives an empty box.
  CBoundBox GetBoundBox() const;
  // One-line description without line end (empty for kind 0).
  std::string Dump() const;
  void DumpTo(std::ostream& os) const;

 private:
  template <class R>
  R& As() {
    if (!std::holds_alternative<R>(m_data)) m_data.template emplace<R>();
    return std::get<R>(m_data);
  }

  // The alternative's index is the kind.
  std::variant<std::monostate, Line, Cone, CurvedCone, Snout, Circle> m_data;
};
