#include "render/Material.h"

#include <GL/gl.h>

std::array<float, 4> ColourVector(std::int32_t colour) {
  const auto c = static_cast<std::uint32_t>(colour);
  return {static_cast<float>(c & 0xFF) / 255.0f, static_cast<float>((c >> 8) & 0xFF) / 255.0f,
          static_cast<float>((c >> 16) & 0xFF) / 255.0f, 1.0f};
}

void SetMaterialColour(std::int32_t colour, bool emissive) {
  const std::array<float, 4> rgba = ColourVector(colour);
  static constexpr GLfloat kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive ? rgba.data() : kBlack);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, emissive ? kBlack : rgba.data());
  // Unlit centre lines take the current colour.
  glColor4fv(rgba.data());
}
