#include "view/print/Sheet.h"

namespace {

constexpr double kFrameLineMm = 0.5;
constexpr double kThinLineMm = 0.25;
constexpr double kTextPt = 8;

void ShowText(cairo_t* cr, double x, double baseline, const std::string& text, bool bold) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, kTextPt);
  cairo_move_to(cr, x, baseline);
  cairo_show_text(cr, text.c_str());
}

}  // namespace

CSheet::CSheet(const CPaper& paper) : m_paper(paper) {
  const double margin = kMarginMm * kPointsPerMm;
  m_frame = {margin, margin, paper.WidthPt() - 2 * margin, paper.HeightPt() - 2 * margin};
  const double titleHeight = kTitleRows * kTitleRowMm * kPointsPerMm;
  const double titleWidth = kTitleWidthMm * kPointsPerMm;
  m_title = {m_frame.Right() - titleWidth, m_frame.Bottom() - titleHeight, titleWidth, titleHeight};
  // The model keeps clear of the title block's whole row, so that no line
  // runs under the block's texts.
  m_area = {m_frame.X, m_frame.Y, m_frame.Width, m_frame.Height - titleHeight};
}

void CSheet::Draw(cairo_t* cr, const CDrawingInfo& info) const {
  cairo_save(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_restore(cr);
  DrawFrame(cr, info);
}

void CSheet::DrawFrame(cairo_t* cr, const CDrawingInfo& info) const {
  cairo_save(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, kFrameLineMm * kPointsPerMm);
  cairo_rectangle(cr, m_frame.X, m_frame.Y, m_frame.Width, m_frame.Height);
  cairo_rectangle(cr, m_title.X, m_title.Y, m_title.Width, m_title.Height);
  cairo_stroke(cr);

  const double row = kTitleRowMm * kPointsPerMm;
  const double labelWidth = 18 * kPointsPerMm;
  cairo_set_line_width(cr, kThinLineMm * kPointsPerMm);
  for (int i = 1; i < kTitleRows; ++i) {
    cairo_move_to(cr, m_title.X, m_title.Y + i * row);
    cairo_line_to(cr, m_title.Right(), m_title.Y + i * row);
  }
  cairo_move_to(cr, m_title.X + labelWidth, m_title.Y);
  cairo_line_to(cr, m_title.X + labelWidth, m_title.Bottom());
  cairo_stroke(cr);

  const std::pair<const char*, std::string> rows[kTitleRows] = {
      {"File", info.File},   {"View", info.View},          {"Date", info.Date},
      {"Scale", info.Scale}, {"Sheet", m_paper.Describe()},
  };
  const double pad = 1.5 * kPointsPerMm;
  for (int i = 0; i < kTitleRows; ++i) {
    const double baseline = m_title.Y + (i + 1) * row - (row - kTextPt * 0.72) / 2;
    ShowText(cr, m_title.X + pad, baseline, rows[i].first, true);
    // Long file names are cut at the block's edge rather than run over it.
    cairo_save(cr);
    cairo_rectangle(cr, m_title.X + labelWidth, m_title.Y + i * row, m_title.Width - labelWidth,
                    row);
    cairo_clip(cr);
    ShowText(cr, m_title.X + labelWidth + pad, baseline, rows[i].second, false);
    cairo_restore(cr);
  }
  cairo_restore(cr);
}
