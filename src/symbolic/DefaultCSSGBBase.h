// CDefaultCSSGBBase: the stateless base of the built-in symbolic builders,
// with the drawing operations they share (and that the library-symbol
// builder uses too): flange boxes, the default leg drawing, the chain of legs
// through a component, the valve spindle, the support direction and the
// component's item code.
//
// Every operation is static: it needs nothing of the builder object, so code
// that does not derive from this class can call it as well.
#pragma once

#include <optional>
#include <vector>

#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "symbolic/ComponentSSGBuilder.h"
#include "symbolic/SymbolFrame.h"

struct CEndData;

class CDefaultCSSGBBase : public CComponentSSGBuilder {
 public:
  using LegPtr = kelto::com::ComPtr<IKeltoLeg>;
  using LegList = std::vector<LegPtr>;
  using IFGraphicsBuilder = CComponentSSGBuilder::IFGraphicsBuilder;

  // Two points are the same when every coordinate differs by less than this.
  static constexpr double kPointTolerance = 0.001;
  // Millimetres per inch, for bores given in inches (BoreUnits 1).
  static constexpr double kMillimetresPerInch = 25.4;
  // One degree in radians: the tolerance of "parallel" for spindles.
  static constexpr double kOneDegree = 0.017453292519943295;

  static bool SamePoint(const CPoint3& a, const CPoint3& b);
  // True when a and b are within angle (radians) of parallel or antiparallel.
  // False when either is zero.
  static bool NearlyParallel(const CVector3& a, const CVector3& b, double angle = kOneDegree);
  // 25.4 for BoreUnits 1 (inches), else 1.
  static double BoreFactor(long boreUnits);

  // A rectangle from a to b, size wide, in the plane of b − a and hint (when
  // hint is zero, across PlanarPerpendicular of b − a). Four lines.
  static void DrawBox(IFGraphicsBuilder& gb, const CPoint3& a, const CPoint3& b, double size,
                      const CVector3& hint);
  // The flange box of each flanged end (position to flange face, flange OD
  // wide, across hint): first e1's, then e2's.
  static void DrawFlangeBoxes(IFGraphicsBuilder& gb, const CEndData& e1, const CEndData& e2,
                              const CVector3& hint = CVector3());

  // The default drawing of one leg: nothing when its two end positions are
  // the same point; otherwise the flange box of a flanged From end, the
  // centre line between the two flange faces, the flange box of a flanged To
  // end. A leg naming a point the component lacks raises _com_error(E_POINTER).
  static void DrawLeg(const CComponentInfo& info, IFGraphicsBuilder& gb, IKeltoLeg* leg);
  static void DrawLegSet(const CComponentInfo& info, IFGraphicsBuilder& gb, const LegList& legs);

  // The shortest chain (fewest legs) from the point "Run_1" to the point
  // "Run_2", each leg followed From → To, found breadth-first with legs tried
  // in index order (so of equally short chains the one using the lowest leg
  // indices first wins). Empty when either point is missing or no chain
  // exists.
  static LegList RunChain(const CComponentInfo& info);
  // The component's legs not on RunChain, in index order: the branches of a
  // teed component; empty for a plain two-ended one. All legs when there is
  // no chain.
  static LegList OtherLegs(const CComponentInfo& info);

  // The valve spindle at centre c: a stem of length w along the component's
  // "SPINDLE-DIRECTION" d and a hand wheel 2·l long across its end, along
  // axis (or PlanarPerpendicular(d) when axis is zero or within 1° of d).
  // Nothing when the component has no spindle direction.
  static void DrawSpindle(const CComponentInfo& info, IFGraphicsBuilder& gb, const CPoint3& c,
                          const CVector3& axis, double w, double l);

  // The direction of the leg nearest to point among the legs of every
  // component the support is attached to (the first leg within 1e-08 ends
  // the search); zero when there is no such leg or it has no direction.
  static CVector3 SupportDirection(const CComponentInfo& info, const CPoint3& point);

  // The end information of the run "Run_1" → "Run_2" when the component has
  // both points, neither is internal and they are not the same point; false
  // (e1, e2 untouched) otherwise. The in-line builders draw only such runs.
  static bool RunEnds(const CComponentInfo& info, CEndData& e1, CEndData& e2);

  // The ItemCode of the component's Details; 0 when it has no Details.
  static long ItemCode(const CComponentInfo& info);

  // The item code of items drawn as a symbol between Run_1 and Run_2.
  static constexpr long kInlineItemCode = 5;

  // Where an in-line symbol is drawn: the unit frame from Run_1's flange
  // face (x reaching Run_2's face, y across PlanarPerpendicular of x), and
  // the half pipe ODs at the two ends, a at x = 0 and b at x = 1.
  struct RunSymbol {
    CSymbolFrame frame;
    double a;
    double b;
  };
  // Begins an in-line symbol: when RunEnds finds the run, draws the flange
  // boxes of its ends and gives the symbol's frame; nothing otherwise.
  static std::optional<RunSymbol> BeginRunSymbol(const CComponentInfo& info, IFGraphicsBuilder& gb);
  // The symbol's outline from (0, ±a) to (1, ±b): the Run_1 end, the top,
  // the Run_2 end and the bottom. Four lines.
  static void DrawRunOutline(IFGraphicsBuilder& gb, const RunSymbol& s);

 protected:
  CDefaultCSSGBBase() = default;
};
