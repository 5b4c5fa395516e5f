// CSkeldaSymbol: one symbol of a symbol library file — a 2D pen drawing with
// the header values that say how it is placed on a component.
//
// The drawing is a list of pen instructions: code 1 moves the pen, code 2
// draws a line to the point, code 6 marks where a spindle symbol attaches.
// Any other non-zero code is kept but draws nothing, so a file may carry
// instructions this reader does not know without losing them.
//
// The derived geometry (start, end, axis, length, width...) is computed on
// demand from the instructions, so re-opening a symbol and appending to it
// never leaves stale values behind.
#pragma once

#include <string>
#include <vector>

#include "core/Point2.h"
#include "core/Vector2.h"

class CSkeldaSymbol {
 public:
  // Thrown when the 2D coordinate space a symbol is measured in (or mapped
  // from) is degenerate: its two axes are parallel or one of them is zero,
  // so they do not span the plane.
  struct BadCoordSpace {};

  enum PenCode : long { kMoveTo = 1, kPlotTo = 2, kSpindlePosition = 6 };

  struct Instruction {
    long code = 0;
    CPoint2 point;
    bool operator==(const Instruction&) const = default;
  };

  // Smallest and largest x and y of the instruction points; all zero when
  // there are none.
  struct Box {
    CPoint2 min;
    CPoint2 max;
  };

  // Extents of the points along two directions (see Measure).
  struct Extent {
    double min1 = 0.0, max1 = 0.0;
    double min2 = 0.0, max2 = 0.0;
  };

  // Header values, as read from the file (trailing blanks removed).
  std::string NewSKEY;
  std::string OldSKEY;
  // Key of the symbol drawn as this symbol's spindle; empty for none.
  std::string Spindle;
  // Kept for completeness; symbols are always stretched to the component.
  double ScaleF = 0.0;
  // Which way round the symbol goes on a run (0 as drawn, 1 flow, 2 bore,
  // 3 flanged second end).
  long Orient = 0;
  // Kept, not drawn.
  long FlowAr = 0;
  long Dim = 0;
  // Passed to the symbol catalogue when the symbol is tried for a type.
  long variant = 0;
  // How a single-point symbol is set up in space (1, 2 or 3).
  long placement = 0;

  std::vector<Instruction> instructions;

  // The first instruction's point; (0,0) without instructions.
  CPoint2 Start() const;
  // The last instruction's point; for a closed figure (last point equal to
  // the first) the point at the largest x on the last point's height, so that
  // a closed outline still has a run direction. (0,0) without instructions.
  CPoint2 End() const;
  Box BoundingBox() const;
  // u = unit(E − S); zero when S = E.
  CVector2 Axis() const;
  // n = u turned a quarter turn anticlockwise.
  CVector2 Normal() const;
  // Extent of the points along the axis and along the normal; 0 when S = E.
  double Length() const;
  double Width() const;
  // True when a code-6 instruction says where a spindle attaches.
  bool HasSpindlePosition() const;
  // The first code-6 point; E when there is none.
  CPoint2 SpindlePoint() const;

  // Coordinates of every instruction point in the space with origin o and
  // axes e1, e2 (p = o + a·e1 + b·e2), reduced to their smallest and largest
  // a and b. Throws BadCoordSpace when e1 and e2 do not span the plane.
  // Without instructions everything is 0.
  Extent Measure(CPoint2 o, CVector2 e1, CVector2 e2) const;
};
