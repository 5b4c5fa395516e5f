// CX11InputTranslator: the one place where X events of a window become
// window messages (WindowMessage.h). It holds the little state X leaves to
// its clients:
//
// - Buttons 1/2/3 are left/middle/right, 8/9 the extra buttons X1/X2; 4/5
//   are the wheel, one notch (+120 / −120) per press, their releases are
//   dropped; 6/7 (horizontal wheel) are ignored.
// - X reports the key state as it was before the event: a press gets its own
//   button added, a release its own button removed. X has no mask for
//   buttons 8/9, so the translator tracks them from their presses and
//   releases.
// - X has no double click: a press of the same button within
//   kDoubleClickTime milliseconds (server time) and kDoubleClickDistance
//   pixels (in x and in y) of the previous press that was not itself a
//   double click becomes a ButtonDoubleClick instead of a ButtonDown; its
//   release is an ordinary ButtonUp.
// - The last Expose of a series (count 0) is a Paint; a ConfigureNotify that
//   changes the size is a Size.
//
// Wheel messages carry the root-window position (screen coordinates).
#pragma once

#include <vector>

#include "platform/window/WindowMessage.h"

union _XEvent;

namespace kelto::window {

class CX11InputTranslator {
 public:
  static constexpr unsigned long kDoubleClickTime = 500;
  static constexpr int kDoubleClickDistance = 4;

  // Appends the messages for one event (none for events it does not know).
  void Translate(const _XEvent& event, std::vector<CWindowMessage>& out);

  // The key word for an X state field plus the tracked extra buttons.
  unsigned KeysOf(unsigned x_state) const;

  // Forgets the extra buttons and the last press (the window lost the
  // pointer grab, so their releases may never come).
  void Reset();

 private:
  void Press(unsigned button, int x, int y, unsigned x_state, unsigned long time, int root_x,
             int root_y, std::vector<CWindowMessage>& out);
  void Release(unsigned button, int x, int y, unsigned x_state, std::vector<CWindowMessage>& out);

  unsigned extra_buttons_ = 0;  // kMkXButton1 / kMkXButton2 held
  // The last press that could start a double click.
  bool have_click_ = false;
  unsigned click_button_ = 0;
  unsigned long click_time_ = 0;
  int click_x_ = 0;
  int click_y_ = 0;
  int width_ = -1;
  int height_ = -1;
};

}  // namespace kelto::window
