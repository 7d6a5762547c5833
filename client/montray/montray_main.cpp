// montray: the per-user tray icon of the UPS service. It shows the service's state in the
// desktop's tray, raises or starts the management client, and can stop the service.
//
//   montray [--socket PATH] [--state-lines]
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>

#include "client/instance/instance_channel.h"
#include "client/montray/tray_program.h"
#include "platform/paths.h"
#include "protocol/tray_wire.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: montray [--socket PATH] [--state-lines]\n"
               "  --socket PATH   the service's notification socket (default: \"notify\" beside\n"
               "                  montray, in the service's data directory)\n"
               "  --state-lines   print what the tray shows and does, one line per change\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const QString dir = QString::fromStdString(gw::executableDirectory());
  gw::TrayProgramOptions options;
  options.service_socket = QDir(dir).filePath(QString::fromUtf8(gw::kNotifySocketName.data(),
                                                                gw::kNotifySocketName.size()));
  options.client_program = QDir(dir).filePath("monview");
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--socket") == 0 && i + 1 < argc) {
      options.service_socket = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--state-lines") == 0) {
      options.state_lines = true;
    } else {
      return usage();
    }
  }

  QApplication app(argc, argv);
  app.setApplicationName("montray");
  // The tray has no window; closing its menu must not end it.
  app.setQuitOnLastWindowClosed(false);
  options.client_channel = gw::InstanceChannel::defaultPath();
  gw::TrayProgram tray(std::move(options));
  tray.start();
  return app.exec();
}
