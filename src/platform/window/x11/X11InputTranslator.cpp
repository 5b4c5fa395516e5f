#include "platform/window/x11/X11InputTranslator.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>

namespace kelto::window {

namespace {

// X button numbers.
constexpr unsigned kWheelUp = 4;
constexpr unsigned kWheelDown = 5;
constexpr unsigned kExtra1 = 8;
constexpr unsigned kExtra2 = 9;

bool ButtonOf(unsigned x_button, MouseButton& button) {
  switch (x_button) {
    case Button1:
      button = MouseButton::Left;
      return true;
    case Button2:
      button = MouseButton::Middle;
      return true;
    case Button3:
      button = MouseButton::Right;
      return true;
    case kExtra1:
      button = MouseButton::X1;
      return true;
    case kExtra2:
      button = MouseButton::X2;
      return true;
    default:
      return false;
  }
}

}  // namespace

unsigned CX11InputTranslator::KeysOf(unsigned x_state) const {
  unsigned keys = extra_buttons_;
  if (x_state & Button1Mask) keys |= kMkLButton;
  if (x_state & Button2Mask) keys |= kMkMButton;
  if (x_state & Button3Mask) keys |= kMkRButton;
  if (x_state & ShiftMask) keys |= kMkShift;
  if (x_state & ControlMask) keys |= kMkControl;
  return keys;
}

void CX11InputTranslator::Reset() {
  extra_buttons_ = 0;
  have_click_ = false;
}

void CX11InputTranslator::Translate(const XEvent& e, std::vector<CWindowMessage>& out) {
  switch (e.type) {
    case ButtonPress:
      Press(e.xbutton.button, e.xbutton.x, e.xbutton.y, e.xbutton.state, e.xbutton.time,
            e.xbutton.x_root, e.xbutton.y_root, out);
      break;
    case ButtonRelease:
      Release(e.xbutton.button, e.xbutton.x, e.xbutton.y, e.xbutton.state, out);
      break;
    case MotionNotify:
      out.push_back(CWindowMessage::Move(e.xmotion.x, e.xmotion.y, KeysOf(e.xmotion.state)));
      break;
    case Expose:
      if (e.xexpose.count == 0) out.push_back(CWindowMessage::Of(MessageKind::Paint));
      break;
    case ConfigureNotify:
      if (e.xconfigure.width != width_ || e.xconfigure.height != height_) {
        width_ = e.xconfigure.width;
        height_ = e.xconfigure.height;
        out.push_back(CWindowMessage::Size(width_, height_));
      }
      break;
    default:
      break;
  }
}

void CX11InputTranslator::Press(unsigned x_button, int x, int y, unsigned x_state,
                                unsigned long time, int root_x, int root_y,
                                std::vector<CWindowMessage>& out) {
  if (x_button == kWheelUp || x_button == kWheelDown) {
    out.push_back(
        CWindowMessage::Wheel(x_button == kWheelUp ? 120 : -120, root_x, root_y, KeysOf(x_state)));
    return;
  }
  MouseButton button;
  if (!ButtonOf(x_button, button)) return;
  if (button == MouseButton::X1 || button == MouseButton::X2) extra_buttons_ |= ButtonBit(button);
  const unsigned keys = KeysOf(x_state) | ButtonBit(button);
  // Server times are 32-bit milliseconds that wrap after 49 days; the
  // difference is taken in 32 bits so it stays right across the wrap.
  const bool is_double = have_click_ && click_button_ == x_button &&
                         static_cast<std::uint32_t>(time - click_time_) <= kDoubleClickTime &&
                         std::abs(x - click_x_) <= kDoubleClickDistance &&
                         std::abs(y - click_y_) <= kDoubleClickDistance;
  if (is_double) {
    // A third press starts counting again, as a first press.
    have_click_ = false;
    out.push_back(CWindowMessage::DoubleClick(button, x, y, keys));
    return;
  }
  have_click_ = true;
  click_button_ = x_button;
  click_time_ = time;
  click_x_ = x;
  click_y_ = y;
  out.push_back(CWindowMessage::ButtonDown(button, x, y, keys));
}

void CX11InputTranslator::Release(unsigned x_button, int x, int y, unsigned x_state,
                                  std::vector<CWindowMessage>& out) {
  MouseButton button;
  if (!ButtonOf(x_button, button)) return;  // wheel and horizontal wheel releases
  if (button == MouseButton::X1 || button == MouseButton::X2) extra_buttons_ &= ~ButtonBit(button);
  out.push_back(CWindowMessage::ButtonUp(button, x, y, KeysOf(x_state) & ~ButtonBit(button)));
}

}  // namespace kelto::window
