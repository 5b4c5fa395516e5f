// CSheet: the layout of one printed sheet and what every drawing on it
// carries: a frame inside the paper's margin and a title block in its
// bottom-right corner (file, view, date, scale, sheet). The model is drawn
// in the drawing area, the frame's inside above the title block's row.
//
// All lengths are points (1/72 inch), cairo's unit on PDF and SVG pages, with
// y downwards from the top of the paper.
#pragma once

#include <cairo.h>

#include <string>

#include "view/print/Paper.h"

struct CRect {
  double X = 0, Y = 0, Width = 0, Height = 0;
  double Right() const { return X + Width; }
  double Bottom() const { return Y + Height; }
};

// What the title block says.
struct CDrawingInfo {
  std::string File;   // the model's file(s)
  std::string View;   // "North-top-left", "Custom"
  std::string Date;   // as it should read, "2026-12-07"
  std::string Scale;  // filled in by the drawing when empty
};

class CSheet {
 public:
  static constexpr double kMarginMm = 10;
  static constexpr double kTitleWidthMm = 110;
  static constexpr double kTitleRowMm = 6;
  static constexpr int kTitleRows = 5;

  explicit CSheet(const CPaper& paper);

  const CPaper& Paper() const { return m_paper; }
  const CRect& Frame() const { return m_frame; }
  const CRect& TitleBlock() const { return m_title; }
  // Where the model goes: the frame's inside less the title block's height.
  const CRect& DrawingArea() const { return m_area; }

  // White paper, then DrawFrame.
  void Draw(cairo_t* cr, const CDrawingInfo& info) const;
  // The frame and the title block with its texts, over what is there.
  void DrawFrame(cairo_t* cr, const CDrawingInfo& info) const;

 private:
  CPaper m_paper;
  CRect m_frame, m_title, m_area;
};
