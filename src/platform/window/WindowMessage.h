// Window messages as the view's message handlers receive them: one record
// per mouse, paint, size or drop notification, with the meaning a Windows
// window procedure gives its messages, whatever the window system underneath.
//
// Positions are client pixels with y counted downwards from the top, as the
// window system reports them; the wheel alone carries a screen position (the
// handler converts it). The key-state word holds the MouseKeys bits of the
// buttons and modifiers held at the time of the message: for a button press
// the pressed button is already included, for a release the released button
// is no longer included.
#pragma once

#include <string>
#include <vector>

namespace kelto::window {

// Bits of the key-state word (equal to the scripting MouseKeys values).
enum MouseKeyBits : unsigned {
  kMkLButton = 0x01,
  kMkRButton = 0x02,
  kMkShift = 0x04,
  kMkControl = 0x08,
  kMkMButton = 0x10,
  kMkXButton1 = 0x20,
  kMkXButton2 = 0x40,
};
// Every button bit: "some button is held".
inline constexpr unsigned kMkButtons =
    kMkLButton | kMkRButton | kMkMButton | kMkXButton1 | kMkXButton2;

enum class MouseButton { Left, Right, Middle, X1, X2 };

// The key-state bit of a button.
constexpr unsigned ButtonBit(MouseButton b) {
  switch (b) {
    case MouseButton::Left:
      return kMkLButton;
    case MouseButton::Right:
      return kMkRButton;
    case MouseButton::Middle:
      return kMkMButton;
    case MouseButton::X1:
      return kMkXButton1;
    case MouseButton::X2:
      return kMkXButton2;
  }
  return 0;
}

enum class MessageKind {
  ButtonDown,         // Button, X, Y, Keys
  ButtonUp,           // Button, X, Y, Keys
  ButtonDoubleClick,  // the second press of a double click, instead of its ButtonDown
  MouseMove,          // X, Y, Keys
  MouseWheel,         // WheelDelta, X, Y in screen coordinates, Keys
  CaptureLost,        // the mouse capture was taken away
  Paint,              // the window wants drawing
  Size,               // Width, Height: the new client size
  EraseBackground,    // sent before a Paint that asked for erasing
  DropFiles,          // Files: names dropped on the window
  Timer,              // TimerId: a timer set on the window (IFWindow::SetTimer) is due
};

struct CWindowMessage {
  MessageKind Kind = MessageKind::MouseMove;
  MouseButton Button = MouseButton::Left;
  int X = 0;
  int Y = 0;
  unsigned Keys = 0;
  // Signed, in multiples of 120 per notch; positive is away from the user.
  int WheelDelta = 0;
  int Width = 0;
  int Height = 0;
  std::vector<std::string> Files;
  unsigned TimerId = 0;

  static CWindowMessage ButtonDown(MouseButton b, int x, int y, unsigned keys) {
    return {MessageKind::ButtonDown, b, x, y, keys};
  }
  static CWindowMessage ButtonUp(MouseButton b, int x, int y, unsigned keys) {
    return {MessageKind::ButtonUp, b, x, y, keys};
  }
  static CWindowMessage DoubleClick(MouseButton b, int x, int y, unsigned keys) {
    return {MessageKind::ButtonDoubleClick, b, x, y, keys};
  }
  static CWindowMessage Move(int x, int y, unsigned keys) {
    return {MessageKind::MouseMove, MouseButton::Left, x, y, keys};
  }
  static CWindowMessage Wheel(int delta, int screen_x, int screen_y, unsigned keys) {
    return {MessageKind::MouseWheel, MouseButton::Left, screen_x, screen_y, keys, delta};
  }
  static CWindowMessage Of(MessageKind kind) { return {kind}; }
  static CWindowMessage Size(int width, int height) {
    CWindowMessage m{MessageKind::Size};
    m.Width = width;
    m.Height = height;
    return m;
  }
  static CWindowMessage Timer(unsigned id) {
    CWindowMessage m{MessageKind::Timer};
    m.TimerId = id;
    return m;
  }
  static CWindowMessage Drop(std::vector<std::string> files) {
    CWindowMessage m{MessageKind::DropFiles};
    m.Files = std::move(files);
    return m;
  }
};

}  // namespace kelto::window
