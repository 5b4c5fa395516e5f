// CSkeldaSymbolCSSGB: draws a component with a symbol from a symbol library
// file, stretched over the component in 3D. Made by CSkeldaSymbolFilter for
// one match; it points into the loaded file, which outlives it.
//
// Build picks one of four drawings by the shape of the component:
//  - in-line (item code 5 or 15, or a run chain "Run_1" → "Run_2"): the
//    symbol's start lands on the first end, its end on the second, its full
//    width becomes the pipe (or, for a flange, the flange) outside diameter;
//  - in-line through centres (item code 9 or 10, or the chain "Run_1",
//    "Centre_1", "Centre_2", "Run_2"): the symbol's x extent spans the run,
//    its y extent the sideways offset of the centre span;
//  - point (item code 7, or a lone point "Centre_1"): the symbol at unit
//    length and width, scaled by 1.5 × the bore, set up by its placement;
//  - per leg (anything else): the symbol on every leg, from the end towards
//    the centre.
// Flanged ends of components other than flanges get the usual flange boxes,
// a symbol with a spindle position (pen code 6) gets its spindle symbol along
// the component's "SPINDLE-DIRECTION", and branch legs are drawn as centre
// lines.
//
// Degenerate input never produces NaN or an exception out of Build:
//  - a symbol whose start equals its end has no run direction; Build
//    returns false before drawing anything, so the built-in builders draw the
//    component; a spindle symbol like that is left out;
//  - a symbol with no width (all points on its axis) maps with a unit normal,
//    which changes nothing since no point lies off the axis;
//  - the centred drawing falls back to the in-line stretch between its two
//    run points when its frame cannot be made (symbol start and end sharing x
//    or y, or the centre span parallel to the run), and to the per-leg
//    drawing when the run has no length along it at all (a return bend whose
//    ends sit side by side) or its two ends coincide;
//  - a plot-to before any move-to starts the pen there instead of at the
//    world origin.
#pragma once

#include "kelto/Piping.h"
#include "symbolic/ComponentSSGBuilder.h"
#include "symbolic/SkeldaSymbol.h"
#include "symbolic/SymbolFrame.h"

struct CEndData;

class CSkeldaSymbolCSSGB : public CComponentSSGBuilder {
 public:
  // symbol must not be null; spindle may be. Neither is owned.
  CSkeldaSymbolCSSGB(const CSkeldaSymbol* symbol, const CSkeldaSymbol* spindle);

  bool Build(const CComponentInfo& info, IFGraphicsBuilder& gb) override;

  const CSkeldaSymbol* Symbol() const { return m_symbol; }
  const CSkeldaSymbol* SpindleSymbol() const { return m_spindle; }

  // Which way round the symbol goes between a (first) and b (second): with an
  // internal point involved, exactly when b is not internal (so the symbol
  // runs from the end to the centre); otherwise by orient — 0 as drawn, 1
  // when the component's "FLOW" attribute is 1, 2 when a's bore is the
  // smaller, 3 when b's end type contains "FL"; any other value as drawn.
  static bool Reversed(long orient, const CComponentInfo& info, IKeltoPoint* a, IKeltoPoint* b);

  // The frame that stretches symbol from p1 to p2 (exchanged when reversed)
  // with its full width becoming h, across PlanarPerpendicular(p2 − p1).
  // Throws CSkeldaSymbol::BadCoordSpace when the symbol's start equals its end.
  static CSymbolFrame FitFrame(const CSkeldaSymbol& symbol, CPoint3 p1, CPoint3 p2, double h,
                               bool reversed, IFGraphicsBuilder& gb);

  // The 2D basis of a symbol measured along its own axis: e1 = E − S and
  // e2 = n·w (n alone when w is 0). Throws BadCoordSpace when S = E.
  static void OwnBasis(const CSkeldaSymbol& symbol, CVector2& e1, CVector2& e2);

  // Draws the pen instructions through the frame (see the header comment for
  // a plot-to before any move-to).
  static void DrawInstructions(const CSkeldaSymbol& symbol, const CSymbolFrame& frame,
                               IFGraphicsBuilder& gb);

 private:
  bool DrawInline(const CComponentInfo& info, IFGraphicsBuilder& gb) const;
  bool DrawCentred(const CComponentInfo& info, IFGraphicsBuilder& gb) const;
  bool DrawPoint(const CComponentInfo& info, IFGraphicsBuilder& gb) const;
  bool DrawPerLeg(const CComponentInfo& info, IFGraphicsBuilder& gb) const;
  // The spindle symbol at the symbol's spindle point mapped through frame,
  // for the run between the flange faces of e1 and e2.
  void DrawSpindleSymbol(const CComponentInfo& info, IFGraphicsBuilder& gb,
                         const CSymbolFrame& frame, const CEndData& e1, const CEndData& e2) const;

  const CSkeldaSymbol* m_symbol;
  const CSkeldaSymbol* m_spindle;
};
