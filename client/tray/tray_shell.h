// What the tray's logic drives: the icon in the tray host, the connection to the service's
// notification socket, and the management client. montray implements it with the toolkit;
// tests record the calls.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/process.h"

namespace gw {

class TrayShell {
 public:
  TrayShell() = default;
  TrayShell(const TrayShell&) = delete;
  TrayShell& operator=(const TrayShell&) = delete;
  virtual ~TrayShell() = default;

  // Adds the icon to the tray host with this picture and tip, or changes the one shown.
  virtual void showIcon(int icon, const std::string& tip) = 0;

  // Starts one attempt to connect; the outcome comes back as TrayWindow::onServiceConnected or
  // onServiceLost. Lines then come back as onServiceLine.
  virtual void connectService() = 0;
  // Closes the connection; onServiceLost is not called for it.
  virtual void disconnectService() = 0;
  // Calls TrayWindow::onReconnectDue once, after delay_ms.
  virtual void scheduleReconnect(int delay_ms) = 0;
  // Sends a line on the open connection and makes sure it leaves before quit() closes it.
  virtual void sendLine(const std::string& line) = 0;
  // Ends the program; the service is not touched.
  virtual void quit() = 0;
  // A line for the user's session log (standard error).
  virtual void report(const std::string& message) = 0;

  // Asks a running management client to restore its windows and come to the front, without
  // waiting. With `report`, the answer comes back as TrayWindow::onRaiseAnswered: true when a
  // client took the request.
  virtual void raiseClient(bool report) = 0;
  // Starts the management client from montray's own directory. *child is written on RC_OK.
  [[nodiscard]] virtual ResultCode startClient(std::unique_ptr<ChildProcess>* child) = 0;
};

}  // namespace gw
