// The settings window driven like an operator against a stand-in service: what reaches the
// service, and when the window closes.
#include <QComboBox>
#include <QMessageBox>
#include <QTest>

#include "client/editwin/settings_window.h"
#include "testing/editor_window_rig.h"

namespace gw {

class SettingsWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<EditorWindowRig> rig_;

  SettingsWindow* openLoaded() {
    SettingsWindow* w = rig_->open<SettingsWindow>(kWindowIdSettings, kSlotSettings);
    if (!w) return nullptr;
    if (!QTest::qWaitFor([&] { return w->setupEnabled(); }, 5000)) return nullptr;
    return w;
  }
  // The message shown, which the operator then closes.
  static QString takeMessage(QWidget* w) {
    QMessageBox* box = w->findChild<QMessageBox*>();
    if (!box) return QString();
    QString text = box->text();
    delete box;
    return text;
  }

 private slots:
  void init() {
    rig_ = std::make_unique<EditorWindowRig>();
    QVERIFY(rig_->start());
  }
  void cleanup() { rig_.reset(); }

  void onlyTheBuzzerSendsOnePolAndClosesOnItsSuccess() {
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    QVERIFY(w->findChild<QCheckBox*>("buzzer")->isChecked());
    rig_->editing.delay("POL service.buzzer on=", 300);
    EditorWindowRig::click(w, "buzzer");
    EditorWindowRig::click(w, "ok");
    QVERIFY(w->waiting());
    QVERIFY(QApplication::overrideCursor());  // waiting for the service
    QVERIFY(rig_->isOpen(kSlotSettings));
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(rig_->editing.changes(), std::vector<std::string>{"POL service.buzzer on=0"});
  }

  void warningOffWithRepeatsStillCheckedStoresZero() {
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    QVERIFY(w->findChild<QCheckBox*>("warning_repeats")->isChecked());
    EditorWindowRig::click(w, "warning_on");
    QVERIFY(!w->findChild<QWidget*>("warning_repeats")->isEnabled());
    QVERIFY(!w->findChild<QWidget*>("warning_interval")->isEnabled());
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));
    QCOMPARE(rig_->editing.changes(),
             std::vector<std::string>{"PTC powerfail.sound.happen.max count=0"});
  }

  void serialAndUsbMediaStoreTheIndexThenTheType() {
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    QComboBox* media = w->findChild<QComboBox*>("media");
    QCOMPARE(media->currentText(), QString("Auto (COM1)"));  // the UPS was found on COM1
    media->setFocus();
    QTest::keyClicks(media, "COM3");
    QCOMPARE(media->currentText(), QString("COM3"));
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));

    w = openLoaded();
    QVERIFY(w);
    media = w->findChild<QComboBox*>("media");
    // Serial now, shown by the port the UPS was found on.
    QCOMPARE(media->currentText(), QString("COM1"));
    media->setFocus();
    QTest::keyClicks(media, "USB");
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));
    QCOMPARE(rig_->editing.changes(),
             (std::vector<std::string>{"POL service.media index=3", "POL service.media type=2",
                                       "POL service.media index=0", "POL service.media type=3"}));
  }

  void anIntervalSpunTo200IsRefused() {
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    auto* interval = w->findChild<AcceleratingSpinBox*>("warning_interval");
    QCOMPARE(interval->text(), QString("20"));
    interval->setFocus();
    QTest::keyClick(interval, Qt::Key_Down);
    QTest::keyPress(interval, Qt::Key_Up);
    rig_->clock.advance(2000);
    for (int i = 0; i < 18; ++i) {
      QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
      QApplication::sendEvent(interval, &repeat);
    }
    QTest::keyRelease(interval, Qt::Key_Up);
    QCOMPARE(interval->text(), QString("200"));
    EditorWindowRig::click(w, "ok");
    QCOMPARE(takeMessage(w), QString("Please enter an integer between 0 and 180."));
    QVERIFY(rig_->isOpen(kSlotSettings));

    EditorWindowRig::type(w, "shutdown_delay", "3 0");
    EditorWindowRig::click(w, "ok");
    QCOMPARE(takeMessage(w), QString("Please enter an integer."));
    QTest::qWait(300);
    QVERIFY(rig_->editing.changes().empty());
  }

  void aOneSecondSelfTestPollsAgainAfterTwoSeconds() {
    std::atomic<int> testing{1};
    rig_->editing.script.set("DEV STATUS_TEST", [&](const std::string&) {
      return FakeClientService::text(std::to_string(testing.load()));
    });
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    PanelButton* run = w->findChild<PanelButton*>("self_test");
    QTRY_VERIFY(run->isEnabled());
    QCOMPARE(run->text(), QString("Run"));
    EditorWindowRig::type(w, "self_test_length", "1");
    QElapsedTimer since;
    since.start();
    EditorWindowRig::click(w, "self_test");
    QCOMPARE(run->text(), QString("Cancel"));
    QCOMPARE(w->selfTestTimerMs(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(w->selfTestTimerMs(), 1000, 4000);  // still testing: every second
    QVERIFY(since.elapsed() >= 1900);
    testing = 0;
    QTRY_COMPARE_WITH_TIMEOUT(run->text(), QString("Run"), 4000);
    QCOMPARE(w->selfTestTimerMs(), 0);
    QCOMPARE(rig_->editing.changes(), std::vector<std::string>{"DEV CMD_SELFTEST 1"});
    QCOMPARE(rig_->memory.self_test_length, 1);
  }

  void okBeforeTheTablesLoadedClosesWithoutSending() {
    rig_.reset();
    rig_ = std::make_unique<EditorWindowRig>();
    rig_->editing.delay("PTC start.record.happen.max count", 1500);
    QVERIFY(rig_->begin());
    auto* w = rig_->open<SettingsWindow>(kWindowIdSettings, kSlotSettings);
    QVERIFY(w);
    QVERIFY(!w->setupEnabled());
    EditorWindowRig::click(w, "ok");
    QVERIFY(!w->editor().everLoaded());
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));
    QVERIFY(rig_->loggedIn());
    QVERIFY(rig_->editing.changes().empty());
  }

  void aRefusedChangeDisablesTheSetupGroup() {
    rig_->editing.refuse("PTC powerfail.shutdown.happen.delay=", 30);
    SettingsWindow* w = openLoaded();
    QVERIFY(w);
    EditorWindowRig::click(w, "buzzer");
    EditorWindowRig::type(w, "shutdown_delay", "45");
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!w->setupEnabled());
    QVERIFY(rig_->isOpen(kSlotSettings));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(rig_->editing.changes(),
             (std::vector<std::string>{"POL service.buzzer on=0",
                                       "PTC powerfail.shutdown.happen.delay=45"}));
    EditorWindowRig::click(w, "cancel");
    QTRY_VERIFY(!rig_->isOpen(kSlotSettings));
  }
};

}  // namespace gw

QTEST_MAIN(gw::SettingsWindowTest)
#include "settings_window_test.moc"
