// CLineDrawing: a line-art model as a vector drawing. Every primitive is
// drawn as lines projected with the view's camera (the same perspective as
// on the screen, framed for the drawing area's shape): lines as they are,
// circles as polygons of 64 sides, cones and snouts by their end circles
// and four generators, bends by their centre arcs. Line art has no faces, so
// nothing is hidden. Lines are clipped to the view's frustum (so nothing
// behind the eye is drawn, and nothing outside the area reaches the file).
//
// A scale bar and a north arrow go into the area's bottom-left corner. The
// view is a perspective, so the scale holds at the depth of the view's centre
// (the centre of rotation); the bar says so.
//
// Colours are the primitives' own, except that colours too light for white
// paper (white, yellow, ...) are drawn black.
#pragma once

#include <cairo.h>

#include <functional>
#include <string>

#include "core/Matrix44.h"
#include "render/ViewState.h"
#include "view/print/Sheet.h"

class CModelNode;
class CPrimitive;

class CLineDrawing {
 public:
  CLineDrawing(const CModelNode& root, const CViewState& view, const CRect& area);

  // The model's lines, then the scale bar and the north arrow.
  void Draw(cairo_t* cr) const;

  // Paper points per model unit at the depth of the view's centre.
  double PointsPerUnit() const { return m_pointsPerUnit; }
  // "1 : 50 at the view centre", taking model units as millimetres.
  std::string ScaleText() const;
  // The page position of a model point (y downwards); false when it lies
  // behind the eye.
  bool Project(const CPoint3& point, double& x, double& y) const;
  // The length the scale bar stands for, in model units: 1, 2 or 5 times a
  // power of ten, near a fifth of the area's width.
  double ScaleBarLength() const;

 private:
  void DrawNode(cairo_t* cr, const CModelNode& node) const;
  void DrawPrimitive(cairo_t* cr, const CPrimitive& primitive) const;
  void Segment(cairo_t* cr, const CPoint3& a, const CPoint3& b) const;
  void Polyline(cairo_t* cr, const std::function<CPoint3(double)>& at, int steps) const;
  void DrawScaleBar(cairo_t* cr) const;
  void DrawNorthArrow(cairo_t* cr) const;

  const CModelNode& m_root;
  CViewState m_view;
  CRect m_area;
  CMatrix44 m_clip;  // projection · model-view
  double m_pointsPerUnit = 0;
};

// A whole sheet of a line-art model: the sheet, the drawing, the title block
// (its scale filled in when info leaves it empty).
void DrawLineArtSheet(cairo_t* cr, const CModelNode& root, const CViewState& view,
                      const CPaper& paper, CDrawingInfo info);

// A picture on a sheet (a solid model's bitmap): `picture` draws into the
// rectangle it is given, the drawing area.
void DrawPictureSheet(cairo_t* cr, const CPaper& paper, const CDrawingInfo& info,
                      const std::function<void(cairo_t*, const CRect&)>& picture);
