// Key and pointer events through XTest, with the focus set first.
#include "closer/x11/x11_input.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdint>
#include <vector>

namespace gw {
namespace {

constexpr int kFocusTries = 5;
constexpr int64_t kFocusSettleMs = 30;

// The keysym of a Unicode code point: Latin-1 keysyms are the code points themselves, the rest
// are 0x01000000 plus the code point; the control characters that have keys get theirs.
unsigned long keysymFor(uint32_t cp) {
  if (cp == '\n' || cp == '\r') return XK_Return;
  if (cp == '\t') return XK_Tab;
  if ((cp >= 0x20 && cp < 0x7F) || (cp >= 0xA0 && cp <= 0xFF)) return cp;
  return 0x01000000UL + cp;
}

// Decodes UTF-8; a malformed byte stands for itself, as Latin-1.
std::vector<uint32_t> codePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    uint32_t cp = extra ? (b & (0x3F >> extra)) : b;
    bool ok = i + static_cast<size_t>(extra) < text.size();  // its continuation bytes are there
    for (int k = 1; ok && k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      ok = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      cp = b;
      extra = 0;
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

X11Input::X11Input(Display* dpy, Clock& clock) : dpy_(dpy), clock_(clock) {
  int event = 0, error = 0, major = 0, minor = 0;
  available_ = XTestQueryExtension(dpy, &event, &error, &major, &minor);
}

void X11Input::focus(Window target) {
  // A window manager may still be moving the focus to a dialog it has just mapped; the focus
  // counts as ours once it has stayed put for a moment.
  for (int i = 0; i < kFocusTries; ++i) {
    XSetInputFocus(dpy_, target, RevertToParent, CurrentTime);
    XSync(dpy_, False);
    clock_.sleepMs(kFocusSettleMs);
    Window now = None;
    int revert = 0;
    XGetInputFocus(dpy_, &now, &revert);
    if (now == target) return;
  }
}

void X11Input::tapCode(unsigned int keycode, bool shift) {
  const unsigned int shift_code = XKeysymToKeycode(dpy_, XK_Shift_L);
  if (shift && shift_code) XTestFakeKeyEvent(dpy_, shift_code, True, CurrentTime);
  XTestFakeKeyEvent(dpy_, keycode, True, CurrentTime);
  XTestFakeKeyEvent(dpy_, keycode, False, CurrentTime);
  if (shift && shift_code) XTestFakeKeyEvent(dpy_, shift_code, False, CurrentTime);
  XSync(dpy_, False);
}

unsigned int X11Input::spareKeycode() {
  int min = 0, max = 0, per = 0;
  XDisplayKeycodes(dpy_, &min, &max);
  KeySym* map = XGetKeyboardMapping(dpy_, static_cast<KeyCode>(min), max - min + 1, &per);
  if (!map) return 0;
  unsigned int found = 0;
  for (int code = max; code >= min && !found; --code) {
    bool empty = true;
    for (int k = 0; k < per && empty; ++k) empty = map[(code - min) * per + k] == NoSymbol;
    if (empty) found = static_cast<unsigned int>(code);
  }
  XFree(map);
  return found;
}

void X11Input::tap(unsigned long keysym) {
  const KeyCode code = XKeysymToKeycode(dpy_, keysym);
  if (code != 0) {
    if (XkbKeycodeToKeysym(dpy_, code, 0, 0) == keysym) return tapCode(code, false);
    if (XkbKeycodeToKeysym(dpy_, code, 0, 1) == keysym) return tapCode(code, true);
  }
  const unsigned int spare = spareKeycode();
  if (spare == 0) return;  // the character is lost; the program's dialog decides what follows
  KeySym both[2] = {keysym, keysym};
  XChangeKeyboardMapping(dpy_, static_cast<int>(spare), 2, both, 1);
  XSync(dpy_, False);
  clock_.sleepMs(kRemapSettleMs);
  tapCode(spare, false);
  clock_.sleepMs(kRemapSettleMs);
  KeySym none[2] = {NoSymbol, NoSymbol};
  XChangeKeyboardMapping(dpy_, static_cast<int>(spare), 2, none, 1);
  XSync(dpy_, False);
}

void X11Input::type(Window target, const std::string& text) {
  if (!available_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  focus(target);
  for (uint32_t cp : codePoints(text)) tap(keysymFor(cp));
}

void X11Input::pressKey(Window target, unsigned long keysym) {
  if (!available_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  focus(target);
  tap(keysym);
}

void X11Input::click(Window button) {
  if (!available_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  XWindowAttributes a;
  if (XGetWindowAttributes(dpy_, button, &a) == 0) return;
  int x = 0, y = 0;
  Window child = None;
  if (!XTranslateCoordinates(dpy_, button, a.root, a.width / 2, a.height / 2, &x, &y, &child)) {
    return;
  }
  XTestFakeMotionEvent(dpy_, XScreenNumberOfScreen(a.screen), x, y, CurrentTime);
  XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
  XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
  XSync(dpy_, False);
}

}  // namespace gw
