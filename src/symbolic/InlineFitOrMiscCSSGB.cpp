#include "symbolic/InlineFitOrMiscCSSGB.h"

#include "solid/ComponentInfo.h"

bool CInlineFitOrMiscCSSGB::Build(const CComponentInfo& info, IFGraphicsBuilder& gb) {
  if (ItemCode(info) != kInlineItemCode) return false;
  const auto symbol = BeginRunSymbol(info, gb);
  if (!symbol) return false;
  DrawRunOutline(gb, *symbol);
  return true;
}
