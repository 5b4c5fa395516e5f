// Stand-ins for the display's surroundings: a window that records what the
// display asks of it, a renderer that records the operations it is given (as
// text, in order) and answers with set results, and a log of the signals.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/window/WindowBase.h"
#include "render/Renderer.h"
#include "view/Display.h"

namespace kelto::test {

using namespace kelto::window;

// Client area 200 × 100 at (1000, 500) on the screen.
class FakeWindow : public CWindowBase {
 public:
  bool Captured = false, AcceptsFiles = false;
  std::vector<unsigned> Redraws;
  CClientSize Size{200, 100};
  CClientSize ClientSize() const override { return Size; }
  void SetCapture() override { Captured = true; }
  void ReleaseCapture() override { Captured = false; }
  bool HasCapture() const override { return Captured; }
  CWindowPoint ScreenToClient(CWindowPoint p) const override { return {p.X - 1000, p.Y - 500}; }
  void RedrawWindow(unsigned flags) override { Redraws.push_back(flags); }
  void DragAcceptFiles(bool accept) override { AcceptsFiles = accept; }
};

inline std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

class RecordingRenderer : public IFRenderer {
 public:
  std::vector<std::string> Ops;
  bool Changes = true;  // what every view operation reports
  CHitList Hits;        // what Pick finds
  std::vector<CModelNode*> Selected;

  void SaveView() override { Ops.push_back("SaveView"); }
  bool RestoreView() override { return Op("RestoreView"); }
  bool FitView(const CBoundBox&) override { return Op("FitView"); }
  bool Rotate(const CVector3& a, double deg) override {
    return Op("Rotate " + Num(a.x) + " " + Num(a.y) + " " + Num(a.z) + " " + Num(deg));
  }
  bool ZoomAt(double f, const CPoint2& p) override { return Op("ZoomAt " + Num(f) + At(p)); }
  bool Zoom(double f) override { return Op("Zoom " + Num(f)); }
  bool SetCentre(const CPoint3&) override { return Op("SetCentre"); }
  void BeginPan(const CPoint2& p) override { Op("BeginPan" + At(p)); }
  bool PanTo(const CPoint2& p) override { return Op("PanTo" + At(p)); }
  bool AdjustCentreDepth() override { return Op("AdjustCentreDepth"); }
  bool SetViewDir(const CVector3&, const CVector3&) override { return Op("SetViewDir"); }
  void Select(CModelNode* n) override { Op("Select"), Selected.push_back(n); }
  void Unselect(CModelNode* n) override { Op("Unselect"), std::erase(Selected, n); }
  bool IsSelected(CModelNode* n) override {
    return std::count(Selected.begin(), Selected.end(), n);
  }
  void UnselectAll(std::vector<CModelNode*>& was) override {
    Op("UnselectAll");
    was = std::exchange(Selected, {});
  }
  void Pick(const CPoint2& p, CHitList& hits) override { Op("Pick" + At(p)), hits = Hits; }
  void Resize(int w, int h) override { Op("Resize " + Num(w) + " " + Num(h)); }
  void Render() override { Op("Render"); }
  COptions& GetOptions() override { throw std::logic_error("no options"); }
  bool CopyViewFrom(const IFRenderer&) override { return Op("CopyViewFrom"); }
  const CViewState& GetView() const override { return view_; }
  const CViewState& GetSavedView() const override { return view_; }
  double GetDepth(const CPoint2&, bool) override { return 0.5; }

 private:
  static std::string At(const CPoint2& p) { return " " + Num(p.x) + " " + Num(p.y); }
  bool Op(std::string text) {
    Ops.push_back(std::move(text));
    return Changes;
  }
  CViewState view_;
};

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
  void OnPopup(int x, int y, std::list<CModelNode*> n) {
    Popups.push_back(Num(x) + " " + Num(y) + " " + Num(double(n.size())));
  }
  void OnFiles(std::set<std::string> files) { Drops.push_back(std::move(files)); }
};

}  // namespace kelto::test
