// The settings and schedule windows against a real monsvc (no UPS: media type 0) on loopback:
// what the operator changed there is what monctl reads back from the service.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>

#include "client/editwin/editor_windows.h"
#include "client/editwin/schedule_window.h"
#include "client/editwin/settings_window.h"
#include "client/monview/main_window.h"
#include "client/monview/panel_artwork.h"
#include "common/time_text.h"
#include "platform/clock.h"
#include "testing/editor_window_rig.h"
#include "testing/free_port.h"
#include "testing/service_process.h"
#include "testing/temp_dir.h"

namespace gw {

class MonviewEditorsTest : public QObject {
  Q_OBJECT
 private:
  TempDir service_dir_;
  TempDir client_dir_;
  uint16_t port_ = 0;
  std::unique_ptr<ChildProcess> service_;
  std::unique_ptr<PanelArtwork> artwork_;
  RunMemory memory_;
  std::unique_ptr<MainWindow> main_;

  QString monctl(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GRIDWATCH_PORT", QString::number(port_));
    p.setProcessEnvironment(env);
    p.start(QString(std::getenv("GW_BIN_DIR")) + "/monctl", args);
    if (!p.waitForFinished(30000)) return "<monctl did not finish>";
    return QString::fromLocal8Bit(p.readAllStandardOutput());
  }

 private slots:
  void initTestCase() {
    QVERIFY(service_dir_.copyProgram("monsvc"));
    QVERIFY(service_dir_.copyProgram("porter"));
    service_dir_.write("policy", "service.media type=0\n");
    port_ = freeLoopbackPort();
    QVERIFY(port_ != 0);
    SpawnOptions o = serviceOptions(service_dir_, port_);
    o.new_process_group = true;  // ending it also ends its porter
    QCOMPARE(spawnProcess(o, &service_), RC_OK);
    QVERIFY(waitForClientPort(*service_, port_, 20000));

    artwork_ = std::make_unique<PanelArtwork>();
    MainWindow::Options options;
    options.port = port_;
    options.session.cache_parent = client_dir_.path();
    QCOMPARE(MainWindow::create(options, *artwork_, systemClock(), &main_), RC_OK);
    installEditorWindows(*main_, memory_);
    main_->start();
  }
  void cleanupTestCase() {
    main_.reset();
    if (service_) service_->terminate();
  }

  void aSettingMadeInTheWindowIsReadBackByMonctl() {
    QCOMPARE(monctl({"get", "service.buzzer on"}), QString("service.buzzer on=1\n"));
    main_->openWindow(kWindowIdSettings);
    auto* w = dynamic_cast<SettingsWindow*>(main_->window(kSlotSettings));
    QVERIFY(w);
    QTRY_VERIFY_WITH_TIMEOUT(w->setupEnabled(), 20000);
    EditorWindowRig::click(w, "buzzer");
    EditorWindowRig::type(w, "shutdown_delay", "75");
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY_WITH_TIMEOUT(!main_->window(kSlotSettings), 20000);
    QCOMPARE(monctl({"get", "service.buzzer on", "powerfail.shutdown.happen.delay"}),
             QString("service.buzzer on=0\npowerfail.shutdown.happen.delay=75\n"));
  }

  void aScheduleItemAddedInTheWindowIsListedByMonctl() {
    QCOMPARE(monctl({"schedule"}), QString("no scheduled items\n"));
    main_->openWindow(kWindowIdSchedule);
    auto* w = dynamic_cast<ScheduleWindow*>(main_->window(kSlotSchedule));
    QVERIFY(w);
    QTRY_VERIFY_WITH_TIMEOUT(w->editor().loaded(), 20000);
    QWidget* dated = w->findChild<QWidget*>("dated_page");
    const QString next_year = QString::number(toLocalTime(systemClock().nowMs()).year + 1);
    EditorWindowRig::click(dated, "turn_on");
    for (const char* prefix : {"off_", "on_"}) {
      EditorWindowRig::type(dated, (QString(prefix) + "year").toLatin1(), next_year);
      EditorWindowRig::type(dated, (QString(prefix) + "month").toLatin1(), "3");
    }
    EditorWindowRig::type(dated, "off_day", "4");
    EditorWindowRig::type(dated, "off_am_pm", "PM");
    EditorWindowRig::type(dated, "off_hour", "10");
    EditorWindowRig::type(dated, "off_minute", "30");
    EditorWindowRig::type(dated, "on_day", "5");
    EditorWindowRig::type(dated, "on_am_pm", "AM");
    EditorWindowRig::type(dated, "on_hour", "6");
    EditorWindowRig::type(dated, "on_minute", "0");
    EditorWindowRig::click(w, "add");
    QCOMPARE(w->list(kDatedPage)->count(), 1);
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!main_->window(kSlotSchedule));
    QString listed;
    QTRY_VERIFY_WITH_TIMEOUT((listed = monctl({"schedule"})) != "no scheduled items\n", 20000);
    QVERIFY2(listed.contains(QRegularExpression(
                 "\nonce +" + next_year + "/03/04 \\w+ 22:30:00 +shut down, UPS output back on " +
                 next_year + "/03/05 \\w+ 06:00:00\n")),
             qPrintable(listed));
  }
};

}  // namespace gw

QTEST_MAIN(gw::MonviewEditorsTest)
#include "monview_editors_test.moc"
