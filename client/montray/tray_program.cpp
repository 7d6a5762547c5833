// Wiring TrayWindow to QSystemTrayIcon, QLocalSocket and the client process.
#include "client/montray/tray_program.h"

#include <QAction>
#include <QCoreApplication>
#include <cstdio>

#include "client/instance/instance_channel.h"
#include "client/montray/tray_artwork.h"

namespace gw {

TrayProgram::TrayProgram(TrayProgramOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      window_(*this) {
  QAction* management = menu_.addAction("UPS Management");
  QAction* exit = menu_.addAction("Exit");
  menu_.setDefaultAction(management);
  connect(management, &QAction::triggered, this, [this] { window_.onManagementChosen(); });
  connect(exit, &QAction::triggered, this, [this] { window_.onExitChosen(); });
  icon_.setContextMenu(&menu_);
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) window_.onManagementChosen();
  });

  reconnect_.setSingleShot(true);
  connect(&reconnect_, &QTimer::timeout, this, [this] { window_.onReconnectDue(); });
  tray_host_seen_ = QSystemTrayIcon::isSystemTrayAvailable();
  connect(&tray_host_check_, &QTimer::timeout, this, &TrayProgram::checkTrayHost);
  tray_host_check_.start(kTrayHostCheckMs);
}

TrayProgram::~TrayProgram() {
  if (service_) service_->disconnect(this);
}

void TrayProgram::showIcon(int icon, const std::string& tip) {
  // Hiding first makes the tray host take the icon afresh, as after its own restart.
  icon_.hide();
  icon_.setIcon(trayIcon(icon));
  icon_.setToolTip(QString::fromStdString(tip));
  icon_.show();
  stateLine(QString("icon %1 %2").arg(icon).arg(QString::fromStdString(tip)));
}

void TrayProgram::connectService() {
  disconnectService();
  service_ = std::make_unique<QLocalSocket>();
  service_lines_ = TrayLineBuffer();
  QLocalSocket* socket = service_.get();
  connect(socket, &QLocalSocket::connected, this, [this] {
    stateLine("connected");
    window_.onServiceConnected();
  });
  connect(socket, &QLocalSocket::readyRead, this, &TrayProgram::readService);
  connect(socket, &QLocalSocket::disconnected, this, &TrayProgram::serviceGone);
  connect(socket, &QLocalSocket::errorOccurred, this, &TrayProgram::serviceGone);
  // Queued, so that a refusal known at once still reaches the window after this call.
  QMetaObject::invokeMethod(
      socket, [socket, path = options_.service_socket] { socket->connectToServer(path); },
      Qt::QueuedConnection);
}

void TrayProgram::disconnectService() {
  if (!service_) return;
  service_->disconnect(this);
  service_->abort();
  service_.release()->deleteLater();  // this may be inside one of its own signals
}

void TrayProgram::serviceGone() {
  if (!service_) return;
  disconnectService();
  stateLine("lost");
  window_.onServiceLost();
}

void TrayProgram::readService() {
  if (!service_) return;
  QByteArray bytes = service_->readAll();
  if (!service_lines_.append(std::string_view(bytes.constData(), bytes.size()))) {
    serviceGone();
    return;
  }
  std::string line;
  while (service_ && service_lines_.takeLine(&line)) window_.onServiceLine(line);
}

void TrayProgram::scheduleReconnect(int delay_ms) { reconnect_.start(delay_ms); }

void TrayProgram::sendLine(const std::string& line) {
  if (!service_) return;
  service_->write(line.data(), static_cast<qint64>(line.size()));
  service_->waitForBytesWritten(kClientAnswerMs);
}

void TrayProgram::quit() {
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

void TrayProgram::report(const std::string& message) {
  std::fprintf(stderr, "montray: %s\n", message.c_str());
}

void TrayProgram::raiseClient(bool report) {
  std::function<void(bool)> done;
  if (report) done = [this](bool raised) { window_.onRaiseAnswered(raised); };
  InstanceChannel::askLater(options_.client_channel, "RAISE", kClientAnswerMs, this,
                            std::move(done));
}

ResultCode TrayProgram::startClient(std::unique_ptr<ChildProcess>* child) {
  SpawnOptions spawn;
  spawn.program = options_.client_program.toStdString();
  // The client is a program of its own: a signal meant for the tray must not end it too.
  spawn.new_process_group = true;
  std::unique_ptr<ChildProcess> started;
  ResultCode rc = spawnProcess(spawn, &started);
  if (rc != RC_OK) return rc;
  stateLine(QString("client %1").arg(started->id()));
  *child = std::move(started);
  return RC_OK;
}

void TrayProgram::checkTrayHost() {
  bool available = QSystemTrayIcon::isSystemTrayAvailable();
  if (available && !tray_host_seen_) window_.onTrayHostRestarted();
  tray_host_seen_ = available;
  QRect geometry = available && icon_.isVisible() ? icon_.geometry() : QRect();
  if (geometry != reported_geometry_) {
    reported_geometry_ = geometry;
    stateLine(QString("tray %1 %2 %3 %4")
                  .arg(geometry.x())
                  .arg(geometry.y())
                  .arg(geometry.width())
                  .arg(geometry.height()));
  }
}

void TrayProgram::stateLine(const QString& line) {
  if (!options_.state_lines) return;
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace gw
