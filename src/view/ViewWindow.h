// CViewWindow: the window side of the view control — the surface the
// renderer draws into, the window that delivers messages, and the display
// (C3DDisplay) that turns them into camera and selection operations.
//
// Two ways to be active:
//  - windowed: a GLX child window inside the host's X11 window, on a display
//    connection of the control's own (CX11Window); the host pumps that
//    connection (Pump());
//  - windowless: an off-screen surface of the host's chosen size and a
//    window with no system window behind it; the host hands in message
//    records (Dispatch) and asks for the picture (Draw). Invalidations only
//    mark the view as needing paint; the host draws when it likes.
//
// The display exists from construction (its action tables are the
// control's, live before any window); it is attached while active.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "platform/window/MessageMap.h"
#include "platform/window/MessagePump.h"
#include "platform/window/Window.h"
#include "view/Display.h"

class CModelNode;
class CGLRenderer;

namespace kelto::gl {
class CGLSurface;
}

class CViewWindow : public kelto::window::CMessageMap {
 public:
  CViewWindow(CModelNode& root, CGLRenderer& renderer);
  CViewWindow(const CViewWindow&) = delete;
  CViewWindow& operator=(const CViewWindow&) = delete;
  virtual ~CViewWindow();

  C3DDisplay& Display() { return m_display; }

  // Makes the child window inside parent on the named display (empty:
  // $DISPLAY), initialises the renderer on it (keeping the view) and
  // attaches the display. Throws std::runtime_error naming the display when
  // no window could be made; nothing is active then.
  void ActivateWindowed(const std::string& displayName, unsigned long parent);
  void ActivateWindowless(int width, int height);
  // Detaches the display, shuts the renderer down (its lists go while the
  // context is current), destroys the surface and window. Nothing when not
  // active.
  void Deactivate();
  bool IsActive() const { return m_surface != nullptr; }
  bool IsWindowless() const { return m_windowless; }

  // The child window (0 unless windowed and alive) and the pump (null unless
  // windowed).
  unsigned long Handle() const;
  kelto::window::IFMessagePump* Pump() const;
  // Whether a windowed view's window still exists (the host may destroy
  // its parent behind the control's back).
  bool WindowAlive() const;

  // Maps or unmaps the child window (windowed only).
  void SetVisible(bool visible);
  // RedrawWindow on the active window; nothing when inactive.
  void Redraw(unsigned flags);
  // A message as the window would deliver it (windowless, and tests).
  void Dispatch(const kelto::window::CWindowMessage& message);
  // Renders the view off-screen and stretches it into (left, top, width,
  // height) of cr. Windowless only; false otherwise.
  bool Draw(cairo_t* cr, int left, int top, int width, int height);
  bool NeedsPaint() const;
  // The host moved or sized the control (windowed: follow the parent).
  void Resized(int width, int height);

  // CMessageMap: the control's own window procedure, last in the chain.
  bool ProcessWindowMessage(const kelto::window::CWindowMessage& message) override;

 private:
  class CWindowlessWindow;
  void Attach(kelto::window::IFWindow& window, kelto::gl::CGLSurface& surface);

  CModelNode& m_root;
  CGLRenderer& m_renderer;
  C3DDisplay m_display;
  bool m_windowless = false;
  std::unique_ptr<kelto::gl::CGLSurface> m_surface;
  // One of the two windows; declared after the surface so it goes first.
  struct Windowed;
  std::unique_ptr<Windowed> m_windowed;
  std::unique_ptr<CWindowlessWindow> m_windowlessWindow;
};
