// CGLWindowSurface: double-buffered GLX rendering into a window of the host.
//
// The host hands over its window as a parent (its display connection, or the
// connection's name, and the window id): the surface opens a connection of
// its own to the same display, creates a child window covering the parent
// with the visual the pixel-format rules chose, and draws into that. A child
// window of our own lets the visual differ from the host's, and a connection
// of our own keeps the host's toolkit and GL from stepping on each other; X
// windows work across connections.
//
// Contract (in addition to CGLSurface's):
// - The child selects no input of its own, so pointer and key events reach
//   the parent as if the child were not there. A host that wants paint
//   notifications for the drawn area selects Expose on Window() through its
//   own connection. A window object that selects input on the child through
//   Connection() (the view's message window) calls KeepForeignEvents and
//   hands each event it reads to HandleEvent first.
// - The child follows the parent's size: MakeCurrent and SwapBuffers apply
//   resizes the server has already reported, and UpdateSize asks the server
//   outright (for the host's size message).
// - When the parent (and so the child) is destroyed behind the surface's
//   back, the surface notices, MakeCurrent returns false with no context
//   current, and nothing raises a fatal X error.
#pragma once

#include <memory>
#include <string>

#include "platform/gl/GLSurface.h"

struct _XDisplay;
union _XEvent;

namespace kelto::gl {

class CGLWindowSurface : public CGLSurface {
 public:
  // host_display is only asked for its name. font: compile the glyph lists.
  CGLWindowSurface(_XDisplay* host_display, unsigned long parent, bool font = true);
  // An empty display_name means $DISPLAY.
  CGLWindowSurface(const std::string& display_name, unsigned long parent, bool font = true);
  ~CGLWindowSurface() override;

  bool MakeCurrent() override;
  void SwapBuffers() override;

  // Reads the parent's size from the server and gives it to the child.
  void UpdateSize();

  // From now on the surface takes only its own structure events off its
  // connection and leaves every other event queued for whoever reads the
  // connection (by default it discards them).
  void KeepForeignEvents();
  // Handles one event read off Connection() by someone else: true when it
  // was the surface's own (the child destroyed, the parent resized).
  bool HandleEvent(const _XEvent& event);

  // The child window (0 when it could not be made) and the surface's own
  // display connection (null when it could not be opened).
  unsigned long Window() const;
  _XDisplay* Connection() const;
  int Width() const;
  int Height() const;
  // False once the child window is gone (its parent was destroyed).
  bool WindowAlive() const;

 private:
  struct Impl;
  void Create(const std::string& display_name, unsigned long parent);
  void Destroy();
  void PumpEvents();
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelto::gl
