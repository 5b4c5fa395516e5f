#include "view/Display.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/ModelNode.h"
#include "render/InteractionController.h"
#include "render/Renderer.h"

using kelto::window::CClientSize;
using kelto::window::CWindowMessage;
using kelto::window::CWindowPoint;
using kelto::window::MessageKind;
namespace win = kelto::window;

namespace {

// A press must move farther than this (in x or in y) to become a drag.
constexpr int kDragThreshold = 4;

}  // namespace

C3DDisplay::C3DDisplay() {
  using namespace kelto::window;
  drag_ = {{kMkLButton, &C3DDisplay::DragRotateUDLR},
           {kMkLButton | kMkShift, &C3DDisplay::DragZoom},
           {kMkLButton | kMkControl, &C3DDisplay::DragRotateUDCA},
           {kMkRButton | kMkShift, &C3DDisplay::DragPan},
           {kMkRButton | kMkShift | kMkControl, &C3DDisplay::DragZoom},
           {kMkMButton, &C3DDisplay::DragPan},
           {kMkMButton | kMkControl, &C3DDisplay::DragZoom}};
  click_ = {{kMkRButton, &C3DDisplay::PickPopupMenu}};
  double_click_ = {{kMkLButton, &C3DDisplay::PickSelect},
                   {kMkLButton | kMkShift, &C3DDisplay::PickToggleSelect},
                   {kMkRButton | kMkShift, &C3DDisplay::PickCentre},
                   {kMkMButton, &C3DDisplay::PickCentre}};
  wheel_ = {{0u, &C3DDisplay::WheelZoomInv}};
}

C3DDisplay::~C3DDisplay() { Detach(); }

void C3DDisplay::Attach(win::IFWindow& window, IFRenderer& renderer) {
  Detach();
  window_ = &window;
  renderer_ = &renderer;
  window.Subclass(*this);
  window.DragAcceptFiles(true);
}

void C3DDisplay::Detach() {
  if (!window_) return;
  EndMotion();
  window_->KillTimer(kMotionTimer);
  if (window_->HasCapture()) window_->ReleaseCapture();
  window_->DragAcceptFiles(false);
  window_->Unsubclass(*this);
  window_ = nullptr;
  renderer_ = nullptr;
  dragging_ = false;
}

bool C3DDisplay::ProcessWindowMessage(const CWindowMessage& m) {
  if (!window_) return false;
  switch (m.Kind) {
    case MessageKind::ButtonDown:
      OnButtonDown(m);
      break;
    case MessageKind::ButtonUp:
      OnButtonUp(m);
      break;
    case MessageKind::ButtonDoubleClick:
      OnDoubleClick(m);
      break;
    case MessageKind::MouseMove:
      OnMouseMove(m);
      break;
    case MessageKind::MouseWheel:
      OnWheel(m);
      break;
    case MessageKind::CaptureLost:
      dragging_ = false;
      if (EndMotion()) window_->RedrawWindow(win::kRdwInvalidate);
      break;
    case MessageKind::Paint:
      renderer_->Render();
      break;
    case MessageKind::Size:
      renderer_->Resize(m.Width, m.Height);
      break;
    // Handled without erasing: the frame covers the whole window, and an
    // erase first would flicker.
    case MessageKind::EraseBackground:
      return true;
    case MessageKind::DropFiles:
      OnDropFiles(m);
      break;
    case MessageKind::Timer:
      if (m.TimerId != kMotionTimer) break;
      OnTimer(m);
      return true;  // the display's own timer
  }
  return false;
}

CClientSize C3DDisplay::Size() const { return window_ ? window_->ClientSize() : CClientSize{}; }

int C3DDisplay::FlipY(int y) const { return std::abs(Size().Height) - y; }

void C3DDisplay::OnButtonDown(const CWindowMessage& m) {
  if (dragging_) return;
  drag_x_ = m.X;
  drag_y_ = m.Y;
  drag_keys_ = m.Keys & 0xFFFF;
  window_->SetCapture();
}

void C3DDisplay::OnMouseMove(const CWindowMessage& m) {
  if (!dragging_ && (m.Keys & win::kMkButtons) != 0) {
    if (std::abs(m.X - drag_x_) > kDragThreshold || std::abs(m.Y - drag_y_) > kDragThreshold) {
      dragging_ = true;
      BeginMotion();
      CallDrag(drag_x_, drag_y_, dsBegin);
    }
  }
  if (dragging_) CallDrag(m.X, m.Y, dsContinue);
}

void C3DDisplay::OnButtonUp(const CWindowMessage& m) {
  const bool buttons_left = (m.Keys & win::kMkButtons) != 0;
  if (!dragging_) {
    const unsigned keys = (m.Keys & 0xFFFF) | win::ButtonBit(m.Button);
    drag_keys_ = keys;
    if (auto it = click_.find(keys); it != click_.end()) (this->*(it->second))(m.X, FlipY(m.Y));
  } else if (!buttons_left) {
    // The full picture is due; a handler that redraws at dsEnd draws it.
    if (EndMotion()) window_->RedrawWindow(win::kRdwInvalidate);
    CallDrag(m.X, m.Y, dsEnd);
    dragging_ = false;
  }
  // The handler may have detached the display.
  if (window_ && !buttons_left) window_->ReleaseCapture();
}

void C3DDisplay::OnDoubleClick(const CWindowMessage& m) {
  if (auto it = double_click_.find(m.Keys & 0xFFFF); it != double_click_.end())
    (this->*(it->second))(m.X, FlipY(m.Y));
}

void C3DDisplay::OnWheel(const CWindowMessage& m) {
  const CWindowPoint p = window_->ScreenToClient({m.X, m.Y});
  const auto it = wheel_.find(m.Keys & 0xFFFF);
  if (it == wheel_.end()) return;
  // Without a timer nothing would bring the full picture back.
  const bool timed = window_->SetTimer(kMotionTimer, kWheelIdleMs);
  const bool continues = timed && wheel_burst_ && InMotion();
  if (timed) BeginMotion();
  wheel_burst_ = timed && InMotion();
  wheel_continues_ = continues;
  (this->*(it->second))(m.WheelDelta, p.X, FlipY(p.Y));
  wheel_continues_ = false;
  // The rest is counted from the end of the step's frame.
  if (timed && window_) window_->SetTimer(kMotionTimer, kWheelIdleMs);
}

void C3DDisplay::OnTimer(const CWindowMessage& /*m*/) {
  window_->KillTimer(kMotionTimer);
  if (!dragging_ && EndMotion()) Redraw();
}

bool C3DDisplay::InMotion() const {
  CInteractionController* interaction = renderer_ ? renderer_->GetInteraction() : nullptr;
  return interaction && interaction->Active();
}

void C3DDisplay::BeginMotion() {
  if (CInteractionController* interaction = renderer_ ? renderer_->GetInteraction() : nullptr)
    interaction->Begin();
}

bool C3DDisplay::EndMotion() {
  wheel_burst_ = false;
  CInteractionController* interaction = renderer_ ? renderer_->GetInteraction() : nullptr;
  if (!interaction || !interaction->Active()) return false;
  interaction->End();
  return true;
}

void C3DDisplay::OnDropFiles(const CWindowMessage& m) {
  std::set<std::string> files(m.Files.begin(), m.Files.end());
  FilesDropped(files);
}

void C3DDisplay::CallDrag(int x, int y, DragState state) {
  if (auto it = drag_.find(drag_keys_); it != drag_.end())
    (this->*(it->second))(drag_x_, FlipY(drag_y_), x, FlipY(y), state);
}

void C3DDisplay::Redraw() {
  if (window_) window_->RedrawWindow(win::kRdwInvalidate | win::kRdwErase | win::kRdwUpdateNow);
}

void C3DDisplay::Notify(bool changed) {
  if (!changed) return;
  ViewChanged();
  Redraw();
}

// --- Handlers ------------------------------------------------------------------------

// Every drag step starts again from the view saved at dsBegin, so moving
// back to the start of a drag gives back the view exactly.

void C3DDisplay::StepFromSavedView(DragState state, const std::function<bool()>& step) {
  if (!renderer_) return;
  if (state == dsBegin) {
    renderer_->SaveView();
    return;
  }
  if (state != dsContinue) return;
  bool changed = renderer_->RestoreView();
  changed |= step();
  Notify(changed);
}

void C3DDisplay::DragZoom(int /*x0*/, int y0, int /*x*/, int y, DragState state) {
  StepFromSavedView(state, [&] {
    const double height = Size().Height;
    const double d = y - y0;
    if (height <= 0) return false;  // nothing to measure the drag against
    // A drag up by the whole height zooms in ten times, down by it out ten times.
    return renderer_->Zoom(d > 0 ? 9.0 * d / height + 1.0 : 1.0 / (9.0 * -d / height + 1.0));
  });
}

void C3DDisplay::DragRotateUDLR(int x0, int y0, int x, int y, DragState state) {
  StepFromSavedView(state, [&] {
    const CClientSize size = Size();
    const double dx = x - x0, dy = y - y0;
    const double diagonal = std::hypot(double(size.Width), double(size.Height));
    if (diagonal <= 0) return false;
    return renderer_->Rotate(CVector3(-dy, dx, 0.0), 180.0 * std::hypot(dx, dy) / diagonal);
  });
}

void C3DDisplay::DragRotateUDCA(int x0, int y0, int x, int y, DragState state) {
  StepFromSavedView(state, [&] {
    const double height = Size().Height;
    const double dx = x - x0, dy = y - y0;
    if (height <= 0) return false;
    // Horizontal motion turns the view about the line of sight.
    return renderer_->Rotate(CVector3(-dy, 0.0, -dx), 180.0 * std::hypot(dx, dy) / height);
  });
}

void C3DDisplay::DragPan(int x0, int y0, int x, int y, DragState state) {
  if (!renderer_) return;
  switch (state) {
    case dsBegin:
      renderer_->SaveView();
      renderer_->BeginPan(CPoint2(x0, y0));
      return;
    case dsContinue: {
      bool changed = renderer_->RestoreView();
      changed |= renderer_->PanTo(CPoint2(x, y));
      Notify(changed);
      return;
    }
    case dsEnd:
      Notify(renderer_->AdjustCentreDepth());
      return;
  }
}

void C3DDisplay::PickCentre(int x, int y) {
  if (!renderer_) return;
  CHitList hits;
  renderer_->Pick(CPoint2(x, y), hits);
  if (hits.empty() || !hits.front().Node) return;
  Notify(renderer_->SetCentre(hits.front().Node->GetBoundBox().GetCentre()));
}

void C3DDisplay::PickSelect(int x, int y) {
  if (!renderer_) return;
  CHitList hits;
  renderer_->Pick(CPoint2(x, y), hits);
  std::vector<CModelNode*> previous;
  renderer_->UnselectAll(previous);
  for (CModelNode* node : previous) SelectionChanged(node, nullptr);
  if (!hits.empty() && hits.front().Node) {
    renderer_->Select(hits.front().Node);
    SelectionChanged(nullptr, hits.front().Node);
  }
  Redraw();
}

void C3DDisplay::PickToggleSelect(int x, int y) {
  if (!renderer_) return;
  CHitList hits;
  renderer_->Pick(CPoint2(x, y), hits);
  if (hits.empty() || !hits.front().Node) return;
  CModelNode* node = hits.front().Node;
  if (renderer_->IsSelected(node)) {
    renderer_->Unselect(node);
    SelectionChanged(node, nullptr);
  } else {
    renderer_->Select(node);
    SelectionChanged(nullptr, node);
  }
  Redraw();
}

void C3DDisplay::PickPopupMenu(int x, int y) {
  if (!renderer_) return;
  CHitList hits;
  renderer_->Pick(CPoint2(x, y), hits);
  std::list<CModelNode*> nodes;
  for (const CHitRecord& hit : hits)
    if (hit.Node) nodes.push_back(hit.Node);
  PopupMenu(x, y, nodes);
}

void C3DDisplay::WheelZoomInv(int delta, int x, int y) {
  if (!renderer_) return;
  const CClientSize size = Size();
  if (x < 0 || x > size.Width || y < 0 || y > size.Height) return;
  const double factor =
      delta > 0 ? std::pow(1.2, delta / 120.0) : std::pow(0.8333333333333334, delta / -120.0);
  // The centre is brought to the model's depth once a burst: the steps
  // after the first only move it across the view, and each adjustment is
  // a depth query.
  const bool c1 = !wheel_continues_ && renderer_->AdjustCentreDepth();
  const bool c2 = renderer_->ZoomAt(factor, CPoint2(x, y));
  Notify(c1 || c2);
}
