#include "render/InteractionDetail.h"

#include <algorithm>
#include <limits>

CDetailThresholds InteractionDetail(int level, const CDetailThresholds& still) {
  if (level <= 0) return still;
  level = std::min(level, kInteractionLevels - 1);
  // With reduced detail switched off the still picture has no thresholds to
  // double; motion starts from the renderer's defaults instead.
  const double centre = std::max(still.CentreLinePixels, 1.0);
  const double reduced = still.ReducedPixels > 0.0 ? std::max(still.ReducedPixels, centre) : 6.0;
  const double scale = static_cast<double>(1 << level);
  CDetailThresholds detail;
  detail.CentreLinePixels = centre * scale;
  detail.ReducedPixels = reduced * scale;
  // Lists a couple of pixels across are specks at any detail; from level 2
  // on they go, then ever larger ones.
  detail.OmitPixels = std::max(still.OmitPixels, level >= 2 ? scale / 2.0 : 0.0);
  // The last level: nothing but centre lines.
  if (level == kInteractionLevels - 1)
    detail.CentreLinePixels = std::numeric_limits<double>::infinity();
  return detail;
}
