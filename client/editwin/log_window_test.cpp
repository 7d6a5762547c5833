// The log window against a stand-in service: event texts, status columns, growth while
// another page is shown, reopening, Clear and the record timing.
#include <QTest>

#include "client/editwin/log_window.h"
#include "testing/editor_window_rig.h"

namespace gw {

class LogWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<EditorWindowRig> rig_;

  static QStringList rows(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }

 private slots:
  void init() {
    rig_ = std::make_unique<EditorWindowRig>();
    rig_->editing.script.setLog(0, {"2002/07/15 13:05:09 004", "2002/07/15 13:06:00 012",
                                    "2002/07/15 13:07:00 001"});
    rig_->editing.script.setLog(2, {"2002/07/15 13:05:09 23012 22950 10000 2500 6012 3800",
                                    "2002/07/15 13:15:09 23012 22950 9900 2500 6099 3850"});
    QVERIFY(rig_->start());
  }
  void cleanup() { rig_.reset(); }

  void eventsShowThePolicysTextsAndLeaveOutUnknownCodes() {
    auto* w = rig_->open<LogWindow>(kWindowIdLog, kSlotLog);
    QVERIFY(w);
    QCOMPARE(w->shownPage(), int(LOG_EVENT));
    QCOMPARE(rows(w->list(LOG_EVENT)),
             (QStringList{"2002/07/15 13:05:09\tUPS power failure.",
                          "2002/07/15 13:07:00\tUPS service terminated."}));
  }

  void statusRowsKeepOneDecimalOfTheFrequency() {
    auto* w = rig_->open<LogWindow>(kWindowIdLog, kSlotLog);
    QVERIFY(w);
    EditorWindowRig::click(w, "data_record");
    QCOMPARE(w->shownPage(), int(LOG_STATUS));
    QCOMPARE(rows(w->list(LOG_STATUS)),
             (QStringList{"2002/07/15\t13:05:09\t230\t229\t100\t25\t60.1\t38\t",
                          "2002/07/15\t13:15:09\t230\t229\t99\t25\t60.9\t38\t"}));
    // The record timing shows the service's settings: every 600 s, not on events.
    QVERIFY(w->findChild<QCheckBox*>("periodic")->isChecked());
    QCOMPARE(w->findChild<AcceleratingSpinBox*>("minutes")->text(), QString("10"));
    QCOMPARE(w->findChild<AcceleratingSpinBox*>("seconds")->text(), QString("0"));
    EditorWindowRig::click(w, "periodic");
    QVERIFY(!w->findChild<QWidget*>("minutes")->isEnabled());
    EditorWindowRig::click(w, "periodic");
    EditorWindowRig::type(w, "seconds", "30");
    EditorWindowRig::click(w, "on_event");
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotLog));
    QCOMPARE(rig_->editing.changes(), (std::vector<std::string>{"POL service.record rate=630",
                                                                "POL service.rec by trigger=1"}));
  }

  void aLogThatGrewWhileHiddenIsRefreshedWhenChosen() {
    auto* w = rig_->open<LogWindow>(kWindowIdLog, kSlotLog);
    QVERIFY(w);
    EditorWindowRig::click(w, "data_record");
    const size_t before = rig_->requestCount();
    rig_->editing.script.appendRecords(0, {"2002/07/15 14:00:00 005"});
    QVERIFY(rig_->waitFor("LOG NXT 0 3", 5000, before));  // the worker fetched it
    QVERIFY(rig_->waitFor("LOG NXT 0 4", 5000, before));  // and polled again since
    QTest::qWait(100);
    QCOMPARE(w->list(LOG_EVENT)->count(), 2);
    EditorWindowRig::click(w, "event");
    QCOMPARE(w->list(LOG_EVENT)->count(), 3);
    QCOMPARE(w->list(LOG_EVENT)->item(2)->text(), QString("2002/07/15 14:00:00\tUPS power restore."));

    // While shown, the next record comes at once.
    rig_->editing.script.appendRecords(0, {"2002/07/15 14:10:00 004"});
    QTRY_COMPARE(w->list(LOG_EVENT)->count(), 4);
  }

  void reopeningListsEveryRecordOnceMore() {
    auto* w = rig_->open<LogWindow>(kWindowIdLog, kSlotLog);
    QVERIFY(w);
    EditorWindowRig::click(w, "saved");
    QCOMPARE(rows(w->list(LOG_SAVED)), (QStringList{"word.exe report.doc", "calc.exe -"}));
    EditorWindowRig::click(w, "cancel");
    QTRY_VERIFY(!rig_->isOpen(kSlotLog));
    w = rig_->open<LogWindow>(kWindowIdLog, kSlotLog);
    QVERIFY(w);
    QCOMPARE(w->shownPage(), int(LOG_SAVED));  // the page chosen last
    QCOMPARE(w->list(LOG_SAVED)->count(), 2);
    EditorWindowRig::click(w, "event");
    QCOMPARE(w->list(LOG_EVENT)->count(), 2);

    EditorWindowRig::click(w, "clear");
    QCOMPARE(w->list(LOG_EVENT)->count(), 0);
    QTRY_COMPARE(rig_->editing.changes(), std::vector<std::string>{"LOG CLR 0"});
  }
};

}  // namespace gw

QTEST_MAIN(gw::LogWindowTest)
#include "log_window_test.moc"
