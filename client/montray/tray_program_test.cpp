// montray's toolkit side, offscreen: the pictures, and the program against a stand-in service
// socket and a stand-in client channel.
#include "client/montray/tray_program.h"

#include <signal.h>

#include <QAction>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "client/montray/tray_artwork.h"
#include "protocol/tray_display.h"

namespace gw {

class TrayProgramTest : public QObject {
  Q_OBJECT

 private:
  struct Measure {
    double red = 0, green = 0, blue = 0;  // mean colour of the badge (opaque, not white)
    int white = 0;                        // pixels of the battery's drawing
  };

  static Measure measure(const QImage& image) {
    Measure m;
    int badge = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        QColor c = image.pixelColor(x, y);
        if (c.alpha() < 200) continue;
        if (c.red() > 235 && c.green() > 235 && c.blue() > 235) {
          ++m.white;
          continue;
        }
        m.red += c.red();
        m.green += c.green();
        m.blue += c.blue();
        ++badge;
      }
    }
    if (badge > 0) m.red /= badge, m.green /= badge, m.blue /= badge;
    return m;
  }

  // Accepts the tray's connection to the stand-in service.
  // The tray runs in this thread: its side only moves while events are processed.
  QLocalSocket* acceptTray(QLocalServer& server) {
    for (int i = 0; i < 500 && !server.hasPendingConnections(); ++i) QTest::qWait(10);
    return server.nextPendingConnection();
  }

  QString readLine(QLocalSocket* socket) {
    for (int i = 0; i < 500 && !socket->canReadLine(); ++i) QTest::qWait(10);
    return QString::fromLatin1(socket->readLine());
  }

  TrayProgramOptions options(const QTemporaryDir& dir) {
    TrayProgramOptions o;
    o.service_socket = dir.filePath("notify");
    o.client_program = dir.filePath("monview");
    o.client_channel = dir.filePath("channel");
    return o;
  }

 private slots:
  void picturesAreTellableApartAtTraySizes() {
    const int ids[] = {kIconNormal, kIconPowerFailure, kIconBatteryLow, kIconCommunicationLost};
    for (int size : {16, 22, 32}) {
      Measure m[4];
      for (int i = 0; i < 4; ++i) {
        QImage picture = paintTrayPicture(ids[i], size);
        QCOMPARE(picture.size(), QSize(size, size));
        QVERIFY2(picture.pixelColor(0, 0).alpha() < 100, "the corners stay transparent");
        m[i] = measure(picture);
        QVERIFY2(m[i].white >= size, qPrintable(QString("battery drawn at %1 px").arg(size)));
      }
      for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
          double d = std::hypot(m[i].red - m[j].red, m[i].green - m[j].green, m[i].blue - m[j].blue);
          QVERIFY2(d > 60, qPrintable(QString("icons %1 and %2 at %3 px: colours %4 apart")
                                          .arg(ids[i]).arg(ids[j]).arg(size).arg(d)));
        }
      }
      // Without colour, the battery's fill still tells normal, on battery and low apart.
      QVERIFY(m[0].white > m[1].white);
      QVERIFY(m[1].white > m[2].white);
    }
  }

  void menuOffersManagementAsTheDefaultAndExit() {
    QTemporaryDir dir;
    TrayProgram tray(options(dir));
    QList<QAction*> actions = tray.menu().actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QString("UPS Management"));
    QCOMPARE(actions[1]->text(), QString("Exit"));
    QCOMPARE(tray.menu().defaultAction(), actions[0]);
  }

  void followsTheServiceShowsItsLossAndReconnects() {
    QTemporaryDir dir;
    QLocalServer service;
    QVERIFY(service.listen(dir.filePath("notify")));
    TrayProgram tray(options(dir));
    tray.start();
    QCOMPARE(tray.systemTrayIcon().toolTip(), QString("UPS Service."));

    QLocalSocket* peer = acceptTray(service);
    QVERIFY(peer != nullptr);
    peer->write("ICON 120 UPS Service.\nEVENT 4\n");
    QTRY_COMPARE(tray.systemTrayIcon().toolTip(), QString("UPS Power failure."));
    QCOMPARE(tray.systemTrayIcon().icon().pixmap(32).toImage(),
             paintTrayPicture(kIconPowerFailure, 32));
    peer->write("EVENT 9\nEVENT 6\n");
    QTRY_COMPARE(tray.systemTrayIcon().toolTip(), QString("UPS Battery low."));

    peer->disconnectFromServer();
    QTRY_COMPARE(tray.systemTrayIcon().toolTip(), QString("UPS Service is not running."));
    QCOMPARE(tray.window().display().icon(), kIconCommunicationLost);

    QLocalSocket* again = acceptTray(service);
    QVERIFY2(again != nullptr, "the tray comes back by itself");
    again->write("ICON 117 UPS Power failure.\n");
    QTRY_COMPARE(tray.systemTrayIcon().toolTip(), QString("UPS Power failure."));
    QVERIFY(tray.window().connected());
  }

  void exitSendsTheStopRequestToTheService() {
    QTemporaryDir dir;
    QLocalServer service;
    QVERIFY(service.listen(dir.filePath("notify")));
    TrayProgram tray(options(dir));
    tray.start();
    QLocalSocket* peer = acceptTray(service);
    QVERIFY(peer != nullptr);
    peer->write("ICON 120 UPS Service.\n");
    QTRY_VERIFY(tray.window().connected());
    tray.menu().actions()[1]->trigger();
    QCOMPARE(readLine(peer), QString("EXIT\n"));
  }

  void managementStartsTheClientThenRaisesTheOneItStarted() {
    QTemporaryDir dir;
    QFile script(dir.filePath("monview"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\necho started >> '%1'\nexec sleep 30\n")
                     .arg(dir.filePath("started"))
                     .toLatin1());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    TrayProgram tray(options(dir));

    QAction* management = tray.menu().actions()[0];
    management->trigger();  // no client answers on the channel: one is started
    QTRY_VERIFY(tray.window().client() != nullptr);
    const int64_t pid = tray.window().client()->id();
    QTRY_VERIFY(QFile::exists(dir.filePath("started")));

    QLocalServer channel;
    QVERIFY(channel.listen(dir.filePath("channel")));
    management->trigger();
    QLocalSocket* asked = acceptTray(channel);
    QVERIFY(asked != nullptr);
    QCOMPARE(readLine(asked), QString("RAISE\n"));
    asked->write("OK\n");
    QTRY_COMPARE(QFile(dir.filePath("started")).size(), qint64(8));  // started once only
    QCOMPARE(tray.window().client()->id(), pid);
    ::kill(static_cast<pid_t>(-pid), SIGKILL);  // its own process group
  }
};

}  // namespace gw

QTEST_MAIN(gw::TrayProgramTest)
#include "tray_program_test.moc"
