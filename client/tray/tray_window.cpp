// The tray's state machine.
#include "client/tray/tray_window.h"

#include <algorithm>

#include "protocol/tray_wire.h"

namespace gw {

void TrayWindow::start() {
  shell_.showIcon(display_.icon(), display_.tip());
  shell_.connectService();
}

void TrayWindow::show(TrayDisplay display) {
  if (display == display_) return;
  display_ = std::move(display);
  shell_.showIcon(display_.icon(), display_.tip());
}

void TrayWindow::onServiceConnected() {
  connected_ = true;
  greeted_ = false;
}

void TrayWindow::onServiceLine(std::string_view text) {
  TrayLine line;
  if (!connected_) return;
  if (!parseTrayLine(text, &line) || (!greeted_ && line.kind != TrayLineKind::kIcon)) {
    // Not our service, or a broken one: showing what it says could mislead.
    shell_.disconnectService();
    onServiceLost();
    return;
  }
  switch (line.kind) {
    case TrayLineKind::kIcon:
      greeted_ = true;
      reconnect_delay_ms_ = kFirstReconnectDelayMs;
      show(TrayDisplay(line.number, line.tip));
      break;
    case TrayLineKind::kEvent: {
      TrayDisplay next = display_;
      if (next.applyEvent(line.number)) show(std::move(next));
      if (line.number < kRaiseClientBelowCode) shell_.raiseClient(false);
      break;
    }
    case TrayLineKind::kError:
      shell_.report("the service refused a request: ERR " + std::to_string(line.number));
      break;
    case TrayLineKind::kExit:
      break;  // a request, never sent by the service
  }
}

void TrayWindow::onServiceLost() {
  connected_ = false;
  greeted_ = false;
  // A stale icon would claim the UPS is fine while nothing watches it for this user.
  show(TrayDisplay(kIconCommunicationLost, std::string(kServiceNotRunningTip)));
  shell_.scheduleReconnect(reconnect_delay_ms_);
  reconnect_delay_ms_ = std::min(reconnect_delay_ms_ * 2, kMaxReconnectDelayMs);
}

void TrayWindow::onReconnectDue() {
  if (!connected_) shell_.connectService();
}

void TrayWindow::onTrayHostRestarted() { shell_.showIcon(display_.icon(), display_.tip()); }

void TrayWindow::onManagementChosen() {
  if (client_) {
    int exit_code = 0;
    ResultCode rc = client_->wait(0, &exit_code);
    if (rc == RC_TIMEOUT) {
      shell_.raiseClient(false);
      return;
    }
    if (rc != RC_OK) return;
    client_.reset();
  }
  // A second click while the first is being answered must not start a second client.
  if (raise_asked_) return;
  raise_asked_ = true;
  shell_.raiseClient(true);
}

void TrayWindow::onRaiseAnswered(bool raised) {
  if (!raise_asked_) return;
  raise_asked_ = false;
  if (!raised) startClient();
}

void TrayWindow::startClient() {
  std::unique_ptr<ChildProcess> child;
  if (shell_.startClient(&child) != RC_OK) {
    shell_.report("cannot start the management client");
    return;
  }
  client_ = std::move(child);
}

void TrayWindow::onExitChosen() {
  if (connected_) shell_.sendLine(formatExitLine());
  shell_.quit();
}

}  // namespace gw
