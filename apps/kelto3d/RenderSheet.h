// The picture kelto3d render writes, by its arguments: the bitmap's size and
// the view's framing, and the writing itself, as a picture filling the page
// (PNG, PDF, SVG) or as a printable sheet (--paper: line-art models as vector
// lines, solid models as their picture, both with a title block).
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "RenderArgs.h"
#include "platform/com/Types.h"
#include "render/ViewState.h"

class CModelNode;

namespace kelto::cli {

struct RenderLayout {
  // The viewport the view is framed in: the picture's size, or the shape of
  // a sheet's drawing area.
  PictureSize framing;
  // The bitmap drawn (and stretched into the picture or the drawing area).
  PictureSize bitmap;
  // A line-art sheet draws vectors from the view alone, so it needs no
  // picture to be rendered.
  bool vectors = false;

  // How many bitmap pixels stand for one pixel of the picture (1 for a
  // sheet, whose picture has no pixels of its own).
  double AxesFactor() const;
};

RenderLayout LayoutFor(const RenderArgs& args);

// Draws the view's picture into a rectangle of the device context hdc (the
// view control's DrawToDC); throws std::runtime_error on failure.
using DrawPictureFn = std::function<void(UINT hdc, int left, int top, int width, int height)>;

// Writes OUT through the runtime's device contexts: the picture drawn into
// the file's own context (PNG, PDF, SVG), or a sheet around it; a line-art
// sheet is drawn as vectors from root and view and needs no picture. On
// failure writes a message naming the file to err, and the file is left as
// it was.
bool WriteRendering(const DrawPictureFn& draw, const CModelNode& root, const CViewState& view,
                    const RenderArgs& args, std::ostream& err);

}  // namespace kelto::cli
