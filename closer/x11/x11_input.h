// Typing and clicking into other programs' windows with XTest, as a user at the keyboard would.
#pragma once

#include <X11/Xlib.h>

#include <mutex>
#include <string>

#include "platform/clock.h"

namespace gw {

// The keyboard focus and the pointer are one per display, so each call below holds the input
// for its whole sequence: a name typed for one window never mixes with another's. Each call
// blocks for the round trips of its keys, and for a few milliseconds per character that needs a
// temporarily mapped key.
class X11Input {
 public:
  // How long the server is given to tell its clients about a changed keyboard mapping before a
  // key of the new mapping is pressed.
  static constexpr int64_t kRemapSettleMs = 30;

  X11Input(Display* dpy, Clock& clock);
  X11Input(const X11Input&) = delete;
  X11Input& operator=(const X11Input&) = delete;

  // False when the server has no XTest: nothing can be typed or clicked then.
  bool available() const { return available_; }

  // Gives `target` the focus and types the UTF-8 text into it. A character with no key in the
  // keyboard map is typed through a spare key code mapped for the moment.
  void type(Window target, const std::string& text);
  // Gives `target` the focus and presses and releases the key.
  void pressKey(Window target, unsigned long keysym);
  // Moves the pointer to the middle of `button` and clicks the first button.
  void click(Window button);

 private:
  void focus(Window target);
  void tap(unsigned long keysym);
  void tapCode(unsigned int keycode, bool shift);
  // A key code with no symbols, or 0 when the map has none to spare.
  unsigned int spareKeycode();

  Display* dpy_;
  Clock& clock_;
  bool available_ = false;
  std::mutex mutex_;
};

}  // namespace gw
