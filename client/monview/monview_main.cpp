// monview: the graphical client. One copy per user: a later copy raises the first and ends.
//
// Test hooks (off unless set): GW_MONVIEW_STATE names a text file rewritten after every gauge
// tick with the message line and the gauge texts; GW_MONVIEW_GRAB names a PNG file of the
// status window written at the same moments, with the other open windows beside it
// ("status.png" gives "status-settings.png", ...).
#include <QApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>

#include "client/editwin/editor_windows.h"
#include "client/monview/gauge_panel.h"
#include "client/instance/instance_channel.h"
#include "client/monview/main_window.h"
#include "client/monview/panel_artwork.h"
#include "client/monview/state_readout.h"
#include "client/monview/status_window.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/stop_signal.h"
#include "protocol/client_port.h"

namespace {

constexpr int kAskFirstCopyMs = 500;

QString environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? QString::fromLocal8Bit(value) : QString();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("monview");
  app.setQuitOnLastWindowClosed(false);

  const QString channel_path = gw::InstanceChannel::defaultPath();
  if (gw::InstanceChannel::ask(channel_path, "RAISE", kAskFirstCopyMs)) return 0;
  gw::InstanceChannel channel;
  if (!channel.listen(channel_path) &&
      gw::InstanceChannel::ask(channel_path, "RAISE", kAskFirstCopyMs)) {
    return 0;  // another copy started at the same moment and won
  }

  std::unique_ptr<gw::StopSignal> stop;
  if (gw::installStopSignal(&stop) != RC_OK) return 1;

  gw::PanelArtwork artwork;
  gw::RunMemory memory;  // what the editing windows remember between openings
  gw::MainWindow::Options options;
  options.port = gw::clientPortFromText(std::getenv(gw::kClientPortVariable));
  options.session.cache_parent = QString::fromStdString(gw::executableDirectory()).toStdString();
  std::unique_ptr<gw::MainWindow> main_window;
  if (gw::MainWindow::create(options, artwork, gw::systemClock(), &main_window) != RC_OK) return 1;
  gw::installEditorWindows(*main_window, memory);

  gw::StateReadout readout(*main_window, environment("GW_MONVIEW_STATE"),
                           environment("GW_MONVIEW_GRAB"));
  QObject::connect(&channel, &gw::InstanceChannel::raiseRequested, main_window.get(), [&] {
    readout.countRaise();
    main_window->restoreAndRaise();
  });
  QObject::connect(&channel, &gw::InstanceChannel::openRequested, main_window.get(),
                   [&](int id) { main_window->openWindow(id); });
  QSocketNotifier stop_notifier(static_cast<qintptr>(stop->readHandle()), QSocketNotifier::Read);
  QObject::connect(&stop_notifier, &QSocketNotifier::activated, main_window.get(), [&] {
    if (stop->consume()) main_window->closeProgram();
  });
  QObject::connect(main_window.get(), &gw::MainWindow::finished, &app, &QApplication::quit);

  main_window->start();
  if (gw::StatusWindow* status = main_window->statusWindow()) {
    QObject::connect(&status->gaugePanel(), &gw::GaugePanel::ticked, &readout,
                     &gw::StateReadout::write);
  }
  app.exec();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  main_window.reset();  // the windows, then the session: its worker is joined, its files go
  return 0;
}
