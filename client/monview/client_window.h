// What the main window needs of every client window it keeps in a slot, and what a window may
// ask of the main window. Windows are top-level widgets; the main window owns them.
#pragma once

#include <QWidget>
#include <cstdint>

namespace gw {

class ClientSession;
class PanelArtwork;
class Clock;

// Commands the main window gives a window when the program closes.
inline constexpr int kCommandOk = 1;
inline constexpr int kCommandPower = 1002;
inline constexpr int kCommandCancel = 1054;

class ClientWindow {
 public:
  ClientWindow() = default;
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;
  virtual ~ClientWindow() = default;

  virtual QWidget* widget() = 0;
  // A request or subscription this window made through the main window has completed:
  // the tag in the high 16 bits, the result code in the low 16.
  virtual void requestDone(uint32_t message) { (void)message; }
  // Data became available (true) or not; `what` is 0 or 1 for the settings window.
  virtual void dataState(bool available, int what) {
    (void)available;
    (void)what;
  }
  // The program is closing: act as if the button with this command was pressed. The window
  // then reports itself closed through WindowHost::windowClosed.
  virtual void closeCommand(int command) = 0;
};

// The main window as the client windows see it.
class WindowHost {
 public:
  WindowHost() = default;
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;
  virtual ~WindowHost() = default;

  // Opens the window of that identifier, or brings it to the top.
  virtual void openWindow(int window_id) = 0;
  // The window's last act. The main window forgets it and deletes it later.
  virtual void windowClosed(int slot) = 0;
  // The status window's message logic saw the communication come up or go down.
  virtual void communicationChanged(bool up) = 0;
  virtual void minimizeAll() = 0;
  // Submits a request or subscription of the session for the window in `slot`; its
  // completion comes back through that window's requestDone. Returns the tag.
  virtual uint32_t submitFor(int slot, int kind) = 0;
  virtual ClientSession& session() = 0;
  virtual PanelArtwork& artwork() = 0;
  virtual Clock& clock() = 0;
};

}  // namespace gw
