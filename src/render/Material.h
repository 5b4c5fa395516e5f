// Materials of the fixed-function renderer. Colours are 0x00BBGGRR integers
// (red in the low byte), as primitives, colour schemes and options carry
// them.
//
// Lines and circles are drawn emissive (unlit: they glow in their colour
// whatever the light); cones, bends and snouts are lit (the colour is their
// ambient and diffuse reflectance under OpenGL's default light 0).
#pragma once

#include <array>
#include <cstdint>

// The selection highlight: pure red.
inline constexpr std::int32_t kSelectionColour = 0x0000FF;

// (r, g, b, 1) with each channel byte / 255.
std::array<float, 4> ColourVector(std::int32_t colour);

// Emissive: emission = the colour, ambient and diffuse black. Otherwise
// emission black, ambient and diffuse the colour. Both faces. The current
// colour becomes the colour too, for what is drawn unlit in it.
void SetMaterialColour(std::int32_t colour, bool emissive);
