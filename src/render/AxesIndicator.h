// The axes indicator: a small square in one corner of the viewport showing
// the world axes as the current view turns them — east red ("E"), north
// green ("N"), up blue ("U").
//
// Drawn after the model, in its own viewport and scissor box of `size`
// pixels (at the top or bottom, left or right of the current viewport),
// with an orthographic projection and the depth buffer cleared inside the
// box only. Labels are drawn only when size > 10 (at 10 pixels and below
// they would cover the lines) and only when `labels` is given and has a
// font. Every GL value it changes is put back: viewport, scissor, lighting
// and line state, and both matrices; the matrix mode ends at GL_MODELVIEW.
#pragma once

#include "render/ViewState.h"

namespace kelto::gl {
class CGLSurface;
}

void DrawAxesIndicator(const CGLMatrix& rotation, int size, bool top, bool right,
                       kelto::gl::CGLSurface* labels);
