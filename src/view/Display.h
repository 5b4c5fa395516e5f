// C3DDisplay: the message handler of the 3D view's window. It turns mouse
// messages into camera and selection operations on a renderer through four
// action tables (drag, click, double click, wheel), each binding an exact
// combination of MouseKeys bits to one of its handlers, and tells its owner
// what happened through four signals.
//
// Attach() subclasses the window, so the display sees each message before
// the window's own procedure; every message except EraseBackground goes on
// to that procedure afterwards. Until attached, messages are ignored.
//
// Motion. While a drag is in progress, and from a wheel step until the wheel
// has rested for kWheelIdleMs, the renderer's interaction controller (if it
// has one) draws the frames within its budget; the drag's end, a lost
// capture or the wheel's rest brings back the full picture with one more
// frame. The wheel's rest is a window timer (kMotionTimer): a window that
// keeps no timers (the windowless control's) gets full frames for the wheel,
// since nothing there would bring the full picture back. The steps of one
// burst share its depth queries: the centre is adjusted on the first step
// only, and the renderer keeps the zoom target while the pointer stays.
//
// Handler positions are client pixels with y counted upwards from the
// bottom of the client area (client height − message y).
#pragma once

#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>

#include "core/Signals.h"
#include "core/Wrapped.h"
#include "platform/window/MessageMap.h"
#include "platform/window/Window.h"

class CModelNode;
class IFRenderer;

class C3DDisplay : public kelto::window::CMessageMap {
 public:
  enum DragState { dsBegin = 0, dsContinue = 1, dsEnd = 2 };

  using DragHandler = void (C3DDisplay::*)(int x0, int y0, int x, int y, DragState state);
  using PickHandler = void (C3DDisplay::*)(int x, int y);
  using WheelHandler = void (C3DDisplay::*)(int delta, int x, int y);

  // Keyed by the MouseKeys bits; wrapped so a scripting table can expose them.
  using DragMap = CWrapped<std::map<unsigned, DragHandler>>;
  using PickMap = CWrapped<std::map<unsigned, PickHandler>>;
  using WheelMap = CWrapped<std::map<unsigned, WheelHandler>>;

  // Installs the default bindings.
  C3DDisplay();
  C3DDisplay(const C3DDisplay&) = delete;
  C3DDisplay& operator=(const C3DDisplay&) = delete;
  ~C3DDisplay();

  // Serves `window` with `renderer` (neither owned, both outliving the
  // attachment: detach before destroying either): subclasses the window and
  // announces that it takes dropped files. Attaching again detaches first.
  void Attach(kelto::window::IFWindow& window, IFRenderer& renderer);
  // Leaves the window's chain, releases a capture it holds, forgets a drag.
  void Detach();
  bool IsAttached() const { return window_ != nullptr; }

  // CMessageMap: false (not handled) for everything but EraseBackground.
  bool ProcessWindowMessage(const kelto::window::CWindowMessage& message) override;

  // The live tables; changes act on the next mouse message.
  DragMap& DragActions() { return drag_; }
  PickMap& ClickActions() { return click_; }
  PickMap& DoubleClickActions() { return double_click_; }
  WheelMap& WheelActions() { return wheel_; }

  bool Dragging() const { return dragging_; }
  // Whether frames are being drawn as motion frames.
  bool InMotion() const;

  // The id of the display's timer on its window, and how long the wheel
  // rests before the full picture comes back.
  static constexpr unsigned kMotionTimer = 0x4B33D001u;
  static constexpr unsigned kWheelIdleMs = 300;

  // Dropped file names, each once, in byte order.
  sigslot::signal1<std::set<std::string>> FilesDropped;
  // (unselected node, selected node); either may be null.
  sigslot::signal2<CModelNode*, CModelNode*> SelectionChanged;
  sigslot::signal0<> ViewChanged;
  // (x, y from the bottom, the picked nodes nearest first; possibly none).
  sigslot::signal3<int, int, std::list<CModelNode*>> PopupMenu;

  // --- Handlers the tables bind ---------------------------------------------
  void DragZoom(int x0, int y0, int x, int y, DragState state);
  void DragRotateUDLR(int x0, int y0, int x, int y, DragState state);
  void DragRotateUDCA(int x0, int y0, int x, int y, DragState state);
  void DragPan(int x0, int y0, int x, int y, DragState state);
  void PickCentre(int x, int y);
  void PickSelect(int x, int y);
  void PickToggleSelect(int x, int y);
  void PickPopupMenu(int x, int y);
  void WheelZoomInv(int delta, int x, int y);

 private:
  void OnButtonDown(const kelto::window::CWindowMessage& m);
  void OnMouseMove(const kelto::window::CWindowMessage& m);
  void OnButtonUp(const kelto::window::CWindowMessage& m);
  void OnDoubleClick(const kelto::window::CWindowMessage& m);
  void OnWheel(const kelto::window::CWindowMessage& m);
  void OnDropFiles(const kelto::window::CWindowMessage& m);
  void OnTimer(const kelto::window::CWindowMessage& m);
  void BeginMotion();
  // Ends motion frames; true when they were under way (a full frame is due).
  bool EndMotion();
  void CallDrag(int x, int y, DragState state);
  // The zoom and rotate drags: the view saved at dsBegin, each dsContinue
  // step applied to it afresh (so a drag back to its start gives back the
  // view exactly), ViewChanged when the step changed the view.
  void StepFromSavedView(DragState state, const std::function<bool()>& step);
  int FlipY(int y) const;
  kelto::window::CClientSize Size() const;
  // ViewChanged and a redraw, when `changed`.
  void Notify(bool changed);
  void Redraw();

  kelto::window::IFWindow* window_ = nullptr;
  IFRenderer* renderer_ = nullptr;
  DragMap drag_;
  PickMap click_;
  PickMap double_click_;
  WheelMap wheel_;
  int drag_x_ = 0;
  int drag_y_ = 0;
  unsigned drag_keys_ = 0;
  bool dragging_ = false;
  // A wheel burst is under way (motion frames until the rest timer), and
  // the step being handled is not its first.
  bool wheel_burst_ = false;
  bool wheel_continues_ = false;
};
