// montray's toolkit side: the icon in the tray host with its menu, the connection to the
// service's notification socket, and the management client. It carries out what TrayWindow
// decides and feeds it what happens.
#pragma once

#include <QLocalSocket>
#include <QMenu>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>
#include <string>

#include "client/tray/tray_shell.h"
#include "client/tray/tray_window.h"
#include "protocol/tray_wire.h"

namespace gw {

struct TrayProgramOptions {
  QString service_socket;  // the service's notification socket
  QString client_program;  // the management client, started by "UPS Management"
  QString client_channel;  // the running client's single-instance channel
  // Prints a line for every change of what the tray shows and does, for tests that cannot see
  // inside the tray host: "icon <id> <tip>", "tray <x> <y> <width> <height>", "connected",
  // "lost", "client <pid>".
  bool state_lines = false;
};

class TrayProgram final : public QObject, private TrayShell {
  Q_OBJECT
 public:
  // Tray host checks and the wait for the client's answer.
  static constexpr int kTrayHostCheckMs = 500;
  static constexpr int kClientAnswerMs = 1000;

  explicit TrayProgram(TrayProgramOptions options, QObject* parent = nullptr);
  ~TrayProgram() override;

  // Shows the icon and connects; call once the event loop is about to run.
  void start() { window_.start(); }

  const TrayWindow& window() const { return window_; }
  QSystemTrayIcon& systemTrayIcon() { return icon_; }
  QMenu& menu() { return menu_; }

 private:
  // TrayShell.
  void showIcon(int icon, const std::string& tip) override;
  void connectService() override;
  void disconnectService() override;
  void scheduleReconnect(int delay_ms) override;
  void sendLine(const std::string& line) override;
  void quit() override;
  void report(const std::string& message) override;
  void raiseClient(bool report) override;
  [[nodiscard]] ResultCode startClient(std::unique_ptr<ChildProcess>* child) override;

  void readService();
  void serviceGone();
  void checkTrayHost();
  void stateLine(const QString& line);

  TrayProgramOptions options_;
  TrayWindow window_;
  QSystemTrayIcon icon_;
  QMenu menu_;
  std::unique_ptr<QLocalSocket> service_;
  TrayLineBuffer service_lines_;
  QTimer reconnect_;
  QTimer tray_host_check_;
  bool tray_host_seen_ = false;
  QRect reported_geometry_;
};

}  // namespace gw
