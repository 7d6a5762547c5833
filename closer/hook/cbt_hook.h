// The watcher library's one entry point, called by the closer once per window it closes.
#pragma once

extern "C" {

// Watches the X client that owns `window` on a connection and thread of its own. It sets the
// event "NorvaneSystemsIncActiveEvent<window in hex>" whenever a pop-up of the window (a window
// whose WM_TRANSIENT_FOR chain leads to it) comes on screen or becomes the active window, and
// "NorvaneSystemsIncDestoryEvent<hex>" when the window is destroyed. Both events must exist
// already. The watch ends when the window is destroyed, when the closer removes the events, or
// when the display goes away. Returns 0 when the watch started, -1 when it could not (no
// display, no such window, no events); the closer does not rely on the result. Installs an X
// error handler that ignores protocol errors, as any window may vanish while it is looked at.
__attribute__((visibility("default"))) int CBTHook_Start(unsigned long window);
}
