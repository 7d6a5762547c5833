// The schedule window against a stand-in service whose clock reads Tuesday 2002/11/05
// 17:04:09: rows added through the fields, and the item lines OK stores.
#include <QComboBox>
#include <QTest>
#include <cstdlib>
#include <ctime>

#include "client/editwin/schedule_window.h"
#include "testing/editor_window_rig.h"

namespace gw {

class ScheduleWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<EditorWindowRig> rig_;

  static QWidget* page(QWidget* w, int p) {
    return w->findChild<QWidget*>(p == kDatedPage ? "dated_page" : "weekly_page");
  }
  // Fills one time's fields of a page: "off_" or "on_".
  static void setTime(QWidget* page, const QString& prefix, const QString& am_pm, int hour,
                      int minute) {
    EditorWindowRig::type(page, (prefix + "am_pm").toLatin1(), am_pm);
    EditorWindowRig::type(page, (prefix + "hour").toLatin1(), QString::number(hour));
    EditorWindowRig::type(page, (prefix + "minute").toLatin1(), QString::number(minute));
  }
  static void setDate(QWidget* page, const QString& prefix, int year, int month, int day) {
    EditorWindowRig::type(page, (prefix + "year").toLatin1(), QString::number(year));
    EditorWindowRig::type(page, (prefix + "month").toLatin1(), QString::number(month));
    EditorWindowRig::type(page, (prefix + "day").toLatin1(), QString::number(day));
  }
  static void setWeekday(QWidget* page, const QString& prefix, const QString& name) {
    auto* box = page->findChild<QComboBox*>(prefix + "weekday");
    box->setFocus();
    QTest::keyClicks(box, name);
  }
  static QStringList rows(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  QString text(QWidget* w, const char* name) {
    auto* spin = w->findChild<QAbstractSpinBox*>(name);
    return spin ? spin->text() : QString();
  }

 private slots:
  void initTestCase() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  void init() {
    rig_ = std::make_unique<EditorWindowRig>();
    rig_->editing.setSchedule({"3 1 2002/11/07 4 23:30:00 2002/11/07 4 23:30:00",
                               "2 1 2002/11/05 2 23:00:00 2002/11/05 2 23:00:00"});
    QVERIFY(rig_->start());
  }
  void cleanup() { rig_.reset(); }

  void datedRowsWithTheirOrderCheckAndTwelveHourClock() {
    auto* w = rig_->open<ScheduleWindow>(kWindowIdSchedule, kSlotSchedule);
    QVERIFY(w);
    QTRY_VERIFY(w->editor().loaded());
    QWidget* dated = page(w, kDatedPage);
    QVERIFY(dated->isVisible());
    // The fields start from the service's clock.
    QCOMPARE(text(dated, "off_year"), QString("2002"));
    QCOMPARE(text(dated, "off_month"), QString("11"));
    QCOMPARE(text(dated, "off_day"), QString("5"));
    QCOMPARE(text(dated, "off_am_pm"), QString("PM"));
    QCOMPARE(text(dated, "off_hour"), QString("5"));
    QCOMPARE(text(dated, "on_minute"), QString("4"));
    QVERIFY(!dated->findChild<QWidget*>("on_year")->isEnabled());

    EditorWindowRig::click(dated, "turn_on");
    QVERIFY(dated->findChild<QWidget*>("on_year")->isEnabled());
    setDate(dated, "off_", 2003, 1, 1);
    setTime(dated, "off_", "AM", 9, 0);
    setDate(dated, "on_", 2003, 1, 1);
    setTime(dated, "on_", "AM", 9, 0);
    EditorWindowRig::click(w, "add");
    QCOMPARE(w->list(kDatedPage)->count(), 0);  // not later: refused without a word
    setTime(dated, "on_", "AM", 9, 1);
    EditorWindowRig::click(w, "add");
    QCOMPARE(rows(w->list(kDatedPage)), QStringList{"2003/1/1 9:0 - 2003/1/1 9:1"});

    EditorWindowRig::click(dated, "turn_on");
    setTime(dated, "off_", "AM", 12, 0);
    EditorWindowRig::click(w, "add");
    auto* am_pm = dated->findChild<QAbstractSpinBox*>("off_am_pm");
    am_pm->setFocus();
    QTest::keyClick(am_pm, Qt::Key_Down);  // down writes "PM"
    QCOMPARE(am_pm->text(), QString("PM"));
    EditorWindowRig::click(w, "add");
    EditorWindowRig::type(dated, "off_hour", "1");
    EditorWindowRig::click(w, "add");
    QCOMPARE(rows(w->list(kDatedPage)),
             (QStringList{"2003/1/1 9:0 - 2003/1/1 9:1", "2003/1/1 0:0", "2003/1/1 12:0",
                          "2003/1/1 13:0"}));

    w->list(kDatedPage)->setCurrentRow(0);
    EditorWindowRig::click(w, "delete");
    QCOMPARE(w->list(kDatedPage)->currentRow(), 0);
    QCOMPARE(w->list(kDatedPage)->count(), 3);
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotSchedule));
    QTRY_COMPARE(rig_->editing.changes().size(), size_t(1));
    QCOMPARE(rig_->editing.changes()[0],
             std::string("SCH SET 1 1 2003/01/01 3 00:00:00 2003/01/01 3 00:00:00\n"
                         "1 1 2003/01/01 3 12:00:00 2003/01/01 3 12:00:00\n"
                         "1 1 2003/01/01 3 13:00:00 2003/01/01 3 13:00:00\n"
                         "3 1 2002/11/07 4 23:30:00 2002/11/07 4 23:30:00\n"
                         "2 1 2002/11/05 2 23:00:00 2002/11/05 2 23:00:00\n"));
    // The due item is recomputed over what was stored: the daily turn-off tonight.
    std::optional<ScheduleEntry> due;
    QTRY_VERIFY((due = rig_->main().session().cache().dueItem()) &&
                due->start_ms == 1036537200000);
  }

  void weeklyRowsTurnIntoTheirNextDates() {
    auto* w = rig_->open<ScheduleWindow>(kWindowIdSchedule, kSlotSchedule);
    QVERIFY(w);
    QTRY_VERIFY(w->editor().loaded());
    EditorWindowRig::click(w, "weekly");
    QWidget* weekly = page(w, kWeeklyPage);
    QVERIFY(weekly->isVisible());
    QCOMPARE(rows(w->list(kWeeklyPage)), QStringList{"Thursday 23:30"});
    QCOMPARE(weekly->findChild<QComboBox*>("off_weekday")->currentText(), QString("Tuesday"));
    setTime(weekly, "off_", "AM", 9, 0);  // today, already past
    EditorWindowRig::click(w, "add");
    EditorWindowRig::click(weekly, "turn_on");
    setWeekday(weekly, "off_", "Friday");
    setTime(weekly, "off_", "PM", 10, 0);
    setWeekday(weekly, "on_", "Monday");
    setTime(weekly, "on_", "AM", 6, 0);
    EditorWindowRig::click(w, "add");
    QCOMPARE(rows(w->list(kWeeklyPage)),
             (QStringList{"Thursday 23:30", "Tuesday 9:0", "Friday 22:0 - Monday 6:0"}));
    EditorWindowRig::click(w, "ok");
    QTRY_COMPARE(rig_->editing.changes().size(), size_t(1));
    QCOMPARE(rig_->editing.changes()[0],
             std::string("SCH SET 3 1 2002/11/07 4 23:30:00 2002/11/07 4 23:30:00\n"
                         "3 1 2002/11/05 2 09:00:00 2002/11/05 2 09:00:00\n"
                         "3 2 2002/11/08 5 22:00:00 2002/11/11 1 06:00:00\n"
                         "2 1 2002/11/05 2 23:00:00 2002/11/05 2 23:00:00\n"));
    QVERIFY(rig_->memory.schedule_weekly && rig_->memory.turn_on_weekly);
  }
};

}  // namespace gw

QTEST_MAIN(gw::ScheduleWindowTest)
#include "schedule_window_test.moc"
