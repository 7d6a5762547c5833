// The UPS configuration window against a stand-in service: rows over the allowed values,
// Default, one request in flight, and a refusal.
#include <QTest>

#include "client/editwin/ups_config_window.h"
#include "testing/editor_window_rig.h"

namespace gw {

class UpsConfigWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<EditorWindowRig> rig_;

  UpsConfigWindow* openLoaded() {
    auto* w = rig_->open<UpsConfigWindow>(kWindowIdUpsConfig, kSlotUpsConfig);
    if (!w || !QTest::qWaitFor([&] { return w->editor().loaded(); }, 5000)) return nullptr;
    return w;
  }

 private slots:
  void init() {
    rig_ = std::make_unique<EditorWindowRig>();
    FakeServiceScript& s = rig_->editing.script;
    s.set("DEV PROP_INPUTHI", "265");  // not one of the allowed values
    s.set("DEV PROP_BATTERYLO_RANGE", "10,15,20,25,30,");
    for (const char* d : {"DEV PROP_INPUTHI DEFAULT", "DEV PROP_BATTERYLO DEFAULT",
                          "DEV PROP_COLDSTART DEFAULT"}) {
      s.set(d, "ERR 1");  // this UPS names no defaults
    }
    QVERIFY(rig_->start());
  }
  void cleanup() { rig_.reset(); }

  void rowsShowTheCurrentValueOrTheFirstElement() {
    UpsConfigWindow* w = openLoaded();
    QVERIFY(w);
    QCOMPARE(w->valueText(0), QString("20"));
    QCOMPARE(w->bar(0)->value(), 2);
    QCOMPARE(w->bar(0)->maximum(), 4);
    QCOMPARE(w->valueText(1), QString("253"));  // 265 is not allowed: the first
    QCOMPARE(w->bar(1)->value(), 0);
    QCOMPARE(w->valueText(2), QString("176"));
    QVERIFY(w->findChild<QCheckBox*>("cold_start")->isChecked());
    // Every scroll command moves one element.
    w->bar(0)->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(w->valueText(0), QString("25"));
    w->bar(0)->triggerAction(QAbstractSlider::SliderPageStepSub);
    w->bar(0)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(w->valueText(0), QString("15"));
  }

  void defaultTakesTheMiddleElementWithoutAKnownDefault() {
    UpsConfigWindow* w = openLoaded();
    QVERIFY(w);
    EditorWindowRig::click(w, "default");
    QCOMPARE(w->valueText(0), QString("20"));   // the third of five
    QCOMPARE(w->valueText(1), QString("264"));  // the third of four
    QCOMPARE(w->valueText(2), QString("176"));  // its known default
    QCOMPARE(w->valueText(3), QString("230"));
    QVERIFY(w->findChild<QCheckBox*>("cold_start")->isChecked());
    QTest::qWait(100);
    QVERIFY(rig_->editing.changes().empty());
  }

  void okTwiceInFlightSendsOneRequest() {
    rig_->editing.delay("DEV SET_PROP_", 600);
    UpsConfigWindow* w = openLoaded();
    QVERIFY(w);
    w->bar(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EditorWindowRig::click(w, "cold_start");
    EditorWindowRig::click(w, "ok");
    QVERIFY(w->waiting());
    EditorWindowRig::click(w, "ok");
    QTRY_VERIFY(!rig_->isOpen(kSlotUpsConfig));
    QCOMPARE(rig_->editing.changes(),
             (std::vector<std::string>{"DEV SET_PROP_INPUTHI 258", "DEV SET_PROP_COLDSTART 0"}));
  }

  void aRefusalBeepsAndShowsWhatTheUpsKept() {
    rig_->editing.refuse("DEV SET_PROP_BATOUT", 4);
    UpsConfigWindow* w = openLoaded();
    QVERIFY(w);
    w->bar(0)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    w->bar(3)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EditorWindowRig::click(w, "ok");
    QTRY_COMPARE(w->beeps(), 1);
    QVERIFY(rig_->isOpen(kSlotUpsConfig));
    QVERIFY(!w->waiting());
    QCOMPARE(w->valueText(0), QString("25"));   // accepted
    QCOMPARE(w->valueText(3), QString("230"));  // refused: back to what the UPS holds
    QCOMPARE(rig_->editing.changes(),
             (std::vector<std::string>{"DEV SET_PROP_BATTERYLO 25", "DEV SET_PROP_BATOUT 240"}));
  }
};

}  // namespace gw

QTEST_MAIN(gw::UpsConfigWindowTest)
#include "ups_config_window_test.moc"
