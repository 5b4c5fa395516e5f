#include "symbolic/InlineInstrCSSGB.h"

#include "solid/ComponentInfo.h"

bool CInlineInstrCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  if (ItemCode(info) != kInlineItemCode) return false;
  const auto symbol = BeginRunSymbol(info, gb);
  if (!symbol) return false;
  const CSymbolFrame& f = symbol->frame;
  const double a = symbol->a, b = symbol->b;
  // The outline with both diagonals: the usual mark of an in-line instrument.
  gb.Line(f.Map(0, a), f.Map(0, -a));
  gb.Line(f.Map(1, -b), f.Map(0, a));
  gb.Line(f.Map(1, b), f.Map(1, -b));
  gb.Line(f.Map(0, -a), f.Map(1, b));
  gb.Line(f.Map(1, b), f.Map(0, a));
  gb.Line(f.Map(1, -b), f.Map(0, -a));
  return true;
}
