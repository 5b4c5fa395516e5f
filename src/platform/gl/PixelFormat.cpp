#include "platform/gl/PixelFormat.h"

#include <algorithm>
#include <numeric>

namespace kelto::gl {

int ScorePixelFormat(const PixelFormatDesc& f, const PixelFormatRequest& r, int device_bits) {
  if (!f.Rgba || f.DepthBits <= 0) return 0;
  if (!f.SupportOpenGL) return 0;
  if ((r.DrawToWindow && !f.DrawToWindow) || (r.DrawToBitmap && !f.DrawToBitmap) ||
      (r.DoubleBuffer && !f.DoubleBuffer) || (r.GenericFormat && !f.GenericFormat))
    return 0;
  if (f.ColorBits == device_bits) return 100;
  return f.ColorBits > device_bits ? 90 : 50;
}

int ChoosePixelFormat(std::span<const PixelFormatDesc> formats, const PixelFormatRequest& request,
                      int device_bits) {
  int best_index = 0;
  int best_score = 0;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const int score = ScorePixelFormat(formats[i], request, device_bits);
    if (score > best_score) {
      best_score = score;
      best_index = static_cast<int>(i) + 1;
      if (score == 100) break;
    }
  }
  return best_index;
}

std::vector<std::size_t> DeepDepthFirst(std::span<const PixelFormatDesc> formats) {
  std::vector<std::size_t> order(formats.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_partition(order.begin(), order.end(),
                        [&](std::size_t i) { return formats[i].DepthBits >= 24; });
  return order;
}

}  // namespace kelto::gl
