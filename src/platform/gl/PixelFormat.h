// Pixel-format preference rules of the GL surfaces, as a pure function over a
// list of format descriptions, so that the choice is the same for GLX
// framebuffer configurations (window surface) and EGL configurations
// (off-screen surface) and can be tested without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelto::gl {

// What a surface asks of its format: four flags, then whether it wants the
// bitmap font. One byte each.
struct PixelFormatRequest {
  std::uint8_t DrawToWindow = 0;
  std::uint8_t DrawToBitmap = 0;
  std::uint8_t DoubleBuffer = 0;
  std::uint8_t GenericFormat = 0;
  std::uint8_t Font = 0;
};

inline constexpr PixelFormatRequest kWindowRequest{1, 0, 1, 0, 1};
inline constexpr PixelFormatRequest kBitmapRequest{0, 1, 0, 0, 1};

// One format as the platform describes it. How each platform fills this in is
// written down in docs/graphics-surfaces.md; in short:
//   ColorBits   GLX: depth of the config's X visual; EGL: red+green+blue bits
//   DrawToWindow  GLX: window bit and an X visual; EGL: window bit
//   DrawToBitmap  GLX: pixmap bit; EGL: pbuffer bit
//   GenericFormat the config's caveat is "slow" (a software fallback)
struct PixelFormatDesc {
  bool Rgba = false;
  int ColorBits = 0;
  int DepthBits = 0;
  bool SupportOpenGL = false;
  bool DrawToWindow = false;
  bool DrawToBitmap = false;
  bool DoubleBuffer = false;
  bool GenericFormat = false;
};

// 0 unless the format is RGBA with a depth buffer, supports OpenGL and has
// every flag the request sets; then 100 when its colour bits equal the
// device's, 90 when it has more, 50 when fewer.
int ScorePixelFormat(const PixelFormatDesc& format, const PixelFormatRequest& request,
                     int device_bits);

// The 1-based index of the first format with the highest score, stopping at
// the first 100; 0 when no format scores above 0.
int ChoosePixelFormat(std::span<const PixelFormatDesc> formats, const PixelFormatRequest& request,
                      int device_bits);

// The order in which a platform's configurations are offered to
// ChoosePixelFormat: the driver's own order, except that configurations with
// a depth buffer shallower than 24 bits go after all the others. Mesa lists
// 16-bit depth before 24-bit depth, and the rules above would otherwise
// settle on 16 bits, which is too coarse for plants hundreds of metres deep.
// Returns indices into formats.
std::vector<std::size_t> DeepDepthFirst(std::span<const PixelFormatDesc> formats);

}  // namespace kelto::gl
