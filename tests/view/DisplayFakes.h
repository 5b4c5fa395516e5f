// Stand-ins for the display's surroundings: a window that records what the
// display asks of it, and a renderer that records the camera and selection
// operations it is given (as text, in order) and answers with set results.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/Signals.h"
#include "platform/window/WindowBase.h"
#include "render/Renderer.h"
#include "render/ViewState.h"
#include "view/Display.h"

namespace kelto::test {

class FakeWindow : public kelto::window::CWindowBase {
 public:
  kelto::window::CClientSize Size{200, 100};
  kelto::window::CWindowPoint Origin{1000, 500};  // the client area's screen position
  bool Captured = false;
  bool AcceptsFiles = false;
  std::vector<unsigned> Redraws;

  kelto::window::CClientSize ClientSize() const override { return Size; }
  void SetCapture() override { Captured = true; }
  void ReleaseCapture() override { Captured = false; }
  bool HasCapture() const override { return Captured; }
  kelto::window::CWindowPoint ScreenToClient(kelto::window::CWindowPoint p) const override {
    return {p.X - Origin.X, p.Y - Origin.Y};
  }
  void RedrawWindow(unsigned flags) override { Redraws.push_back(flags); }
  void DragAcceptFiles(bool accept) override { AcceptsFiles = accept; }
};

class RecordingRenderer : public IFRenderer {
 public:
  std::vector<std::string> Ops;
  bool Changes = true;  // what every view operation reports
  CHitList Hits;        // what Pick finds
  std::vector<CModelNode*> Selected;

  void SaveView() override { Ops.push_back("SaveView"); }
  bool RestoreView() override { return Op("RestoreView"); }
  bool FitView(const CBoundBox&) override { return Op("FitView"); }
  bool Rotate(const CVector3& a, double angle) override {
    return Op("Rotate " + Num(a.x) + " " + Num(a.y) + " " + Num(a.z) + " " + Num(angle));
  }
  bool ZoomAt(double f, const CPoint2& p) override {
    return Op("ZoomAt " + Num(f) + " " + Num(p.x) + " " + Num(p.y));
  }
  bool Zoom(double f) override { return Op("Zoom " + Num(f)); }
  bool SetCentre(const CPoint3& c) override {
    return Op("SetCentre " + Num(c.x) + " " + Num(c.y) + " " + Num(c.z));
  }
  void BeginPan(const CPoint2& p) override { Ops.push_back("BeginPan " + Num(p.x) + " " + Num(p.y)); }
  bool PanTo(const CPoint2& p) override { return Op("PanTo " + Num(p.x) + " " + Num(p.y)); }
  bool AdjustCentreDepth() override { return Op("AdjustCentreDepth"); }
  bool SetViewDir(const CVector3&, const CVector3&) override { return Op("SetViewDir"); }
  void Select(CModelNode* n) override {
    Ops.push_back("Select");
    Selected.push_back(n);
  }
  void Unselect(CModelNode* n) override {
    Ops.push_back("Unselect");
    std::erase(Selected, n);
  }
  bool IsSelected(CModelNode* n) override {
    for (CModelNode* s : Selected)
      if (s == n) return true;
    return false;
  }
  void UnselectAll(std::vector<CModelNode*>& selected) override {
    Ops.push_back("UnselectAll");
    selected.swap(Selected);
    Selected.clear();
  }
  void Pick(const CPoint2& p, CHitList& hits) override {
    Ops.push_back("Pick " + Num(p.x) + " " + Num(p.y));
    hits = Hits;
  }
  void Resize(int w, int h) override { Ops.push_back("Resize " + Num(w) + " " + Num(h)); }
  void Render() override { Ops.push_back("Render"); }
  COptions& GetOptions() override { throw std::logic_error("no options"); }
  bool CopyViewFrom(const IFRenderer&) override { return Op("CopyViewFrom"); }
  const CViewState& GetView() const override { return view_; }
  const CViewState& GetSavedView() const override { return view_; }
  double GetDepth(const CPoint2&, bool) override { return 0.5; }

  static std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
  }

 private:
  bool Op(std::string text) {
    Ops.push_back(std::move(text));
    return Changes;
  }
  CViewState view_;
};

// Counts the display's signals and keeps their arguments.
class SignalLog : public sigslot::has_slots<> {
 public:
  explicit SignalLog(C3DDisplay& d) {
    d.ViewChanged.connect(this, &SignalLog::OnView);
    d.SelectionChanged.connect(this, &SignalLog::OnSelection);
    d.PopupMenu.connect(this, &SignalLog::OnPopup);
    d.FilesDropped.connect(this, &SignalLog::OnFiles);
  }
  int ViewChanges = 0;
  std::vector<std::pair<CModelNode*, CModelNode*>> Selections;
  std::vector<std::string> Popups;  // "x y count"
  std::vector<std::set<std::string>> Drops;

 private:
  void OnView() { ++ViewChanges; }
  void OnSelection(CModelNode* was, CModelNode* now) { Selections.emplace_back(was, now); }
  void OnPopup(int x, int y, std::list<CModelNode*> nodes) {
    Popups.push_back(std::to_string(x) + " " + std::to_string(y) + " " +
                     std::to_string(nodes.size()));
  }
  void OnFiles(std::set<std::string> files) { Drops.push_back(std::move(files)); }
};

}  // namespace kelto::test
