// The tray's state machine: what the icon shows as the service reports events, how the tray
// follows the service going away and coming back, and the menu's two commands.
//
// Single-threaded: every call comes from the program's event loop. The shell's answers
// (connection outcome, lines, the client's answer, timer expiry) come back through the on*()
// calls; none of them is ever made from inside a call into the shell.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "client/tray/tray_shell.h"
#include "platform/process.h"
#include "protocol/tray_display.h"

namespace gw {

// The tip while the service cannot be reached.
inline constexpr std::string_view kServiceNotRunningTip = "UPS Service is not running.";

class TrayWindow {
 public:
  // Reconnection waits start here, double after every attempt that did not reach the service,
  // and stay at the cap.
  static constexpr int kFirstReconnectDelayMs = 250;
  static constexpr int kMaxReconnectDelayMs = 5000;

  // The shell must outlive the window.
  explicit TrayWindow(TrayShell& shell) : shell_(shell) {}
  TrayWindow(const TrayWindow&) = delete;
  TrayWindow& operator=(const TrayWindow&) = delete;

  // Adds the icon (normal, "UPS Service.") and connects to the service.
  void start();

  // The service connection.
  void onServiceConnected();
  void onServiceLine(std::string_view line);
  void onServiceLost();
  void onReconnectDue();

  // The tray host came back (it was restarted): the icon is added again as it was.
  void onTrayHostRestarted();

  // Menu "UPS Management" (the default item; a left click on the icon does the same).
  void onManagementChosen();
  void onRaiseAnswered(bool raised);
  // Menu "Exit": asks the service to stop, then ends the tray.
  void onExitChosen();

  const TrayDisplay& display() const { return display_; }
  bool connected() const { return connected_; }
  // The client this tray started and still remembers; null when none.
  const ChildProcess* client() const { return client_.get(); }
  int nextReconnectDelayMs() const { return reconnect_delay_ms_; }

 private:
  void show(TrayDisplay display);
  void startClient();

  TrayShell& shell_;
  TrayDisplay display_;
  bool connected_ = false;
  bool greeted_ = false;  // the service sent its state on this connection
  bool raise_asked_ = false;
  int reconnect_delay_ms_ = kFirstReconnectDelayMs;
  std::unique_ptr<ChildProcess> client_;
};

}  // namespace gw
