#include "view/print/LineDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "core/ModelNode.h"
#include "core/Primitive.h"
#include "render/CameraMath.h"

namespace {

constexpr double kLineMm = 0.25;
constexpr int kCircleSides = 64;
constexpr int kArcSteps = 24;

struct Clip {
  double x, y, z, w;
};

Clip ToClip(const CMatrix44& m, const CPoint3& p) {
  const double v[4] = {p.x, p.y, p.z, 1};
  double r[4];
  for (int i = 0; i < 4; ++i)
    r[i] = m.m[i][0] * v[0] + m.m[i][1] * v[1] + m.m[i][2] * v[2] + m.m[i][3] * v[3];
  return {r[0], r[1], r[2], r[3]};
}

// A unit vector perpendicular to d (zero for a zero d).
CVector3 Perpendicular(const CVector3& d) {
  const CVector3 axis = std::abs(d.x) < 0.9 * d.Length() ? CVector3(1, 0, 0) : CVector3(0, 1, 0);
  return d.Cross(axis).Normalised();
}

void SetColour(cairo_t* cr, std::int32_t colour) {
  const double r = (colour & 0xFF) / 255.0, g = (colour >> 8 & 0xFF) / 255.0,
               b = (colour >> 16 & 0xFF) / 255.0;
  // Light colours vanish on white paper.
  if (0.299 * r + 0.587 * g + 0.114 * b > 0.7)
    cairo_set_source_rgb(cr, 0, 0, 0);
  else
    cairo_set_source_rgb(cr, r, g, b);
}

// Three significant digits, whole numbers written out ("2000", not "2e+03").
std::string Number(double v) {
  char text[64];
  if (std::abs(v) >= 1 && std::abs(v) < 1e15 && v == std::round(v))
    std::snprintf(text, sizeof text, "%.0f", v);
  else
    std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

}  // namespace

CLineDrawing::CLineDrawing(const CModelNode& root, const CViewState& view, const CRect& area)
    : m_root(root), m_view(view), m_area(area) {
  CModelExtent extent;
  extent.Centre = root.GetBoundBox().GetCentre();
  extent.Radius = root.GetBoundBox().GetRadius();
  extent.MinContainedRadius = root.GetMinContainedRadius();
  // Whole points are plenty for the shape of the frustum.
  const CViewport viewport{0, 0, std::max(1, int(std::lround(area.Width))),
                           std::max(1, int(std::lround(area.Height)))};
  const CCameraMatrices camera = CameraMatrices(view, viewport, extent);
  m_clip = camera.Projection * camera.ModelView;
  // The centre lies on the axis at the eye distance, where one unit across
  // the screen spans Projection[0][0] / Distance of the half-width.
  m_pointsPerUnit = camera.Projection.m[0][0] * (area.Width / 2) / std::max(view.Distance, 1e-12);
}

bool CLineDrawing::Project(const CPoint3& point, double& x, double& y) const {
  const Clip c = ToClip(m_clip, point);
  if (c.w <= 0) return false;
  x = m_area.X + (c.x / c.w + 1) / 2 * m_area.Width;
  y = m_area.Y + (1 - c.y / c.w) / 2 * m_area.Height;
  return true;
}

void CLineDrawing::Segment(cairo_t* cr, const CPoint3& a, const CPoint3& b) const {
  const Clip p = ToClip(m_clip, a), q = ToClip(m_clip, b);
  // Liang–Barsky against the frustum's sides and near plane in clip space:
  // each plane keeps the points where its distance d = w ± coordinate ≥ 0.
  const double dp[5] = {p.w + p.x, p.w - p.x, p.w + p.y, p.w - p.y, p.w + p.z};
  const double dq[5] = {q.w + q.x, q.w - q.x, q.w + q.y, q.w - q.y, q.w + q.z};
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 5; ++i) {
    if (dp[i] < 0 && dq[i] < 0) return;
    if (dp[i] < 0) t0 = std::max(t0, dp[i] / (dp[i] - dq[i]));
    if (dq[i] < 0) t1 = std::min(t1, dp[i] / (dp[i] - dq[i]));
  }
  if (t0 > t1) return;
  const auto page = [&](double t) {
    const double x = p.x + (q.x - p.x) * t, y = p.y + (q.y - p.y) * t, w = p.w + (q.w - p.w) * t;
    return std::pair{m_area.X + (x / w + 1) / 2 * m_area.Width,
                     m_area.Y + (1 - y / w) / 2 * m_area.Height};
  };
  const auto [x0, y0] = page(t0);
  const auto [x1, y1] = page(t1);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
}

void CLineDrawing::Polyline(cairo_t* cr, const std::function<CPoint3(double)>& at,
                            int steps) const {
  CPoint3 previous = at(0);
  for (int i = 1; i <= steps; ++i) {
    const CPoint3 next = at(double(i) / steps);
    Segment(cr, previous, next);
    previous = next;
  }
}

void CLineDrawing::DrawPrimitive(cairo_t* cr, const CPrimitive& primitive) const {
  const auto ring = [&](const CPoint3& centre, double diameter, const CVector3& normal) {
    const CVector3 u = Perpendicular(normal) * (diameter / 2);
    const CVector3 v = normal.Normalised().Cross(u);
    Polyline(
        cr,
        [&](double t) {
          const double a = 2 * std::numbers::pi * t;
          return centre + u * std::cos(a) + v * std::sin(a);
        },
        kCircleSides);
    return std::pair{u, v};
  };
  // End circles and four generators of a straight sweep.
  const auto sweep = [&](const CPoint3& s, double ds, const CPoint3& e, double de,
                         const CVector3& normal) {
    const auto [u, v] = ring(s, ds, normal);
    ring(e, de, normal);
    const double k = de / std::max(ds, 1e-12);
    for (const CVector3& w : {u, -1.0 * u, v, -1.0 * v})
      Segment(cr, s + w, ds > 0 ? e + w * k : e);
  };
  if (const auto* l = primitive.GetLine()) {
    SetColour(cr, l->Colour);
    Segment(cr, l->Start, l->End);
  } else if (const auto* c = primitive.GetCircle()) {
    SetColour(cr, c->Colour);
    ring(c->Centre, c->Diameter, c->Direction);
  } else if (const auto* k = primitive.GetCone()) {
    SetColour(cr, k->Colour);
    sweep(k->Start, k->StartDiameter, k->End, k->EndDiameter, k->End - k->Start);
  } else if (const auto* s = primitive.GetSnout()) {
    SetColour(cr, s->Colour);
    sweep(s->Start, s->StartDiameter, s->End, s->EndDiameter, s->Direction);
  } else if (const auto* b = primitive.GetCurvedCone()) {
    SetColour(cr, b->Colour);
    // The arc from Start to End whose tangents meet at Centre: a rational
    // quadratic curve with that control point, weighted by the cosine of half
    // the angle it turns through, is exactly circular.
    const CVector3 t1 = (b->Centre - b->Start).Normalised(), t2 = (b->End - b->Centre).Normalised();
    const double w = std::sqrt(std::max(0.0, (1 + t1.Dot(t2)) / 2));
    Polyline(
        cr,
        [&](double t) {
          const double a = (1 - t) * (1 - t), m = 2 * w * t * (1 - t), c = t * t;
          const double sum = a + m + c;
          return CPoint3((a * b->Start.x + m * b->Centre.x + c * b->End.x) / sum,
                         (a * b->Start.y + m * b->Centre.y + c * b->End.y) / sum,
                         (a * b->Start.z + m * b->Centre.z + c * b->End.z) / sum);
        },
        kArcSteps);
  } else {
    return;
  }
  cairo_stroke(cr);
}

void CLineDrawing::DrawNode(cairo_t* cr, const CModelNode& node) const {
  for (const CPrimitive& p : node.GetGeometry()) DrawPrimitive(cr, p);
  // Farthest first, so that where lines cross the nearer one is on top; ties
  // keep file order, so the same file always prints the same sheet.
  struct Child {
    double depth;
    CPoint3 min;
    const CModelNode* node;
  };
  std::vector<Child> children;
  children.reserve(node.GetChildren().size());
  for (const CModelNode* child : node.GetOrderedChildren()) {
    const CBoundBox& box = child->GetBoundBox();
    const double depth = box.IsEmpty() ? 0.0 : ToClip(m_clip, box.GetCentre()).w;
    children.push_back({depth, box.IsEmpty() ? CPoint3() : box.GetMin(), child});
  }
  std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
    if (a.depth != b.depth) return a.depth > b.depth;
    if (a.min.x != b.min.x) return a.min.x < b.min.x;
    if (a.min.y != b.min.y) return a.min.y < b.min.y;
    return a.min.z < b.min.z;
  });
  for (const Child& child : children) DrawNode(cr, *child.node);
}

void CLineDrawing::Draw(cairo_t* cr) const {
  cairo_save(cr);
  cairo_rectangle(cr, m_area.X, m_area.Y, m_area.Width, m_area.Height);
  cairo_clip(cr);
  cairo_set_line_width(cr, kLineMm * kPointsPerMm);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  DrawNode(cr, m_root);
  cairo_restore(cr);
  DrawScaleBar(cr);
  DrawNorthArrow(cr);
}

double CLineDrawing::ScaleBarLength() const {
  if (!(m_pointsPerUnit > 0)) return 0;
  const double wanted = m_area.Width / 5 / m_pointsPerUnit;
  const double power = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double step : {5.0, 2.0, 1.0})
    if (step * power <= wanted) return step * power;
  return power;
}

std::string CLineDrawing::ScaleText() const {
  if (!(m_pointsPerUnit > 0)) return "";
  return "1 : " + Number(kPointsPerMm / m_pointsPerUnit) + " at the view centre";
}

void CLineDrawing::DrawScaleBar(cairo_t* cr) const {
  const double length = ScaleBarLength();
  if (!(length > 0)) return;
  const double mm = kPointsPerMm;
  const double x = m_area.X + 8 * mm, y = m_area.Bottom() - 8 * mm;
  const double width = length * m_pointsPerUnit, height = 2 * mm;
  cairo_save(cr);
  cairo_set_line_width(cr, 0.2 * mm);
  for (int i = 0; i < 4; ++i) {
    cairo_rectangle(cr, x + i * width / 4, y, width / 4, height);
    cairo_set_source_rgb(cr, i % 2 ? 1 : 0, i % 2 ? 1 : 0, i % 2 ? 1 : 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
  }
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 7);
  cairo_move_to(cr, x, y - 1.5 * mm);
  cairo_show_text(cr, "0");
  const std::string end = Number(length);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, end.c_str(), &extents);
  cairo_move_to(cr, x + width - extents.x_advance / 2, y - 1.5 * mm);
  cairo_show_text(cr, end.c_str());
  cairo_move_to(cr, x, y + height + 4 * mm);
  cairo_show_text(cr, "model units, at the depth of the view centre");
  cairo_restore(cr);
}

void CLineDrawing::DrawNorthArrow(cairo_t* cr) const {
  const double mm = kPointsPerMm;
  // World north in eye coordinates; on the page (y down) its direction at
  // the view centre is (x, −y).
  const CVector3 north = ModelViewMatrix(m_view).Transform(CVector3(0, 1, 0));
  const double cx = m_area.X + 16 * mm, cy = m_area.Bottom() - 32 * mm, r = 7 * mm;
  cairo_save(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 0.25 * mm);
  cairo_new_path(cr);  // the text before left a current point the arc would join
  cairo_arc(cr, cx, cy, r, 0, 2 * std::numbers::pi);
  cairo_stroke(cr);
  const double across = std::hypot(north.x, north.y);
  double labelX = cx, labelY = cy - r - 1.5 * mm;
  if (across < 1e-3) {
    // Looking along north: a dot when it points at the viewer, a cross when
    // away.
    if (north.z > 0) {
      cairo_new_path(cr);
      cairo_arc(cr, cx, cy, 0.8 * mm, 0, 2 * std::numbers::pi);
      cairo_fill(cr);
    } else {
      cairo_move_to(cr, cx - 3 * mm, cy - 3 * mm);
      cairo_line_to(cr, cx + 3 * mm, cy + 3 * mm);
      cairo_move_to(cr, cx + 3 * mm, cy - 3 * mm);
      cairo_line_to(cr, cx - 3 * mm, cy + 3 * mm);
      cairo_stroke(cr);
    }
  } else {
    const double dx = north.x / across, dy = -north.y / across;
    // Foreshortened as north tilts out of the page.
    const double len = r * std::max(0.3, across / north.Length());
    const double tipX = cx + dx * len, tipY = cy + dy * len;
    cairo_move_to(cr, tipX, tipY);
    cairo_line_to(cr, cx - dx * len * 0.6 - dy * 2 * mm, cy - dy * len * 0.6 + dx * 2 * mm);
    cairo_line_to(cr, cx - dx * len * 0.3, cy - dy * len * 0.3);
    cairo_line_to(cr, cx - dx * len * 0.6 + dy * 2 * mm, cy - dy * len * 0.6 - dx * 2 * mm);
    cairo_close_path(cr);
    cairo_fill(cr);
    labelX = cx + dx * (r + 3 * mm);
    labelY = cy + dy * (r + 3 * mm) + 1.2 * mm;
  }
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 8);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, "N", &extents);
  cairo_move_to(cr, labelX - extents.x_advance / 2, labelY);
  cairo_show_text(cr, "N");
  cairo_restore(cr);
}

void DrawLineArtSheet(cairo_t* cr, const CModelNode& root, const CViewState& view,
                      const CPaper& paper, CDrawingInfo info) {
  const CSheet sheet(paper);
  const CLineDrawing drawing(root, view, sheet.DrawingArea());
  if (info.Scale.empty()) info.Scale = drawing.ScaleText();
  sheet.Draw(cr, info);
  drawing.Draw(cr);
}

void DrawPictureSheet(cairo_t* cr, const CPaper& paper, const CDrawingInfo& info,
                      const std::function<void(cairo_t*, const CRect&)>& picture) {
  const CSheet sheet(paper);
  cairo_save(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  const CRect& area = sheet.DrawingArea();
  cairo_rectangle(cr, area.X, area.Y, area.Width, area.Height);
  cairo_clip(cr);
  picture(cr, area);
  cairo_restore(cr);
  // The frame's lines go over the picture's edges.
  sheet.DrawFrame(cr, info);
}
