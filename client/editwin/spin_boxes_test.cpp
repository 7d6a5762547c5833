// The number fields' spins held over a fake clock, typed text, and the AM/PM field.
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>

#include "client/editwin/accelerating_spin_box.h"
#include "client/editwin/am_pm_spin_box.h"
#include "testing/fake_clock.h"

namespace gw {

class SpinBoxesTest : public QObject {
  Q_OBJECT
 private:
  static void holdKey(QWidget* w, int key, bool repeat) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(w, &press);
  }
  static void releaseKey(QWidget* w, int key) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }

 private slots:
  void heldKeyAccelerates() {
    FakeClock clock;
    AcceleratingSpinBox spin(clock, 10, 600);
    spin.setValue(20);
    spin.show();
    holdKey(&spin, Qt::Key_Up, false);
    QCOMPARE(spin.value(), 21);
    clock.advance(1999);
    holdKey(&spin, Qt::Key_Up, true);
    QCOMPARE(spin.value(), 22);
    clock.advance(1);
    holdKey(&spin, Qt::Key_Up, true);
    QCOMPARE(spin.value(), 32);
    clock.advance(3000);
    holdKey(&spin, Qt::Key_Up, true);
    QCOMPARE(spin.value(), 132);
    holdKey(&spin, Qt::Key_Up, true);
    QCOMPARE(spin.value(), 232);
    releaseKey(&spin, Qt::Key_Up);
    holdKey(&spin, Qt::Key_Down, false);
    QCOMPARE(spin.value(), 231);
    clock.advance(6000);
    for (int i = 0; i < 5; ++i) holdKey(&spin, Qt::Key_Down, true);
    QCOMPARE(spin.value(), 10);
    QCOMPARE(spin.text(), QString("10"));
    releaseKey(&spin, Qt::Key_Down);
    QTest::qWait(700);  // no repeat of the box's own follows the key
    QCOMPARE(spin.value(), 10);
    holdKey(&spin, Qt::Key_Up, false);
    QCOMPARE(spin.value(), 11);
    QTest::qWait(700);
    QCOMPARE(spin.value(), 11);
    releaseKey(&spin, Qt::Key_Up);
  }

  void heldMouseAcceleratesOnItsOwnRepeat() {
    FakeClock clock;
    AcceleratingSpinBox spin(clock, 1, 3600);
    spin.resize(80, 24);
    spin.setValue(30);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    QStyleOptionSpinBox option;
    option.initFrom(&spin);
    option.subControls = QStyle::SC_SpinBoxUp;
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QRect up = spin.style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                  QStyle::SC_SpinBoxUp, &spin);
    QTest::mousePress(&spin, Qt::LeftButton, Qt::NoModifier, up.center());
    QCOMPARE(spin.value(), 31);
    clock.advance(5000);
    // The box repeats by itself while the button is down; each repeat now moves 100.
    QTRY_VERIFY_WITH_TIMEOUT(spin.value() >= 131, 3000);
    QCOMPARE((spin.value() - 31) % 100, 0);
    QTest::mouseRelease(&spin, Qt::LeftButton, Qt::NoModifier, up.center());
    const int held = spin.value();
    QTest::mousePress(&spin, Qt::LeftButton, Qt::NoModifier, up.center());
    QTest::mouseRelease(&spin, Qt::LeftButton, Qt::NoModifier, up.center());
    QCOMPARE(spin.value(), held + 1);
  }

  void typedTextIsKeptForOkToJudge() {
    FakeClock clock;
    QWidget window;
    AcceleratingSpinBox* spin = new AcceleratingSpinBox(clock, 10, 600, &window);
    QLineEdit* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    spin->setFocus();
    spin->setText("");
    QTest::keyClicks(spin, "abc");
    other->setFocus();
    QCOMPARE(spin->text(), QString("abc"));
    spin->setText("9000");
    other->setFocus();
    QCOMPARE(spin->text(), QString("9000"));  // beyond the spin: OK decides
    spin->stepBy(1);
    QCOMPARE(spin->text(), QString("600"));  // the spin itself stays in its range
    spin->setText("x");
    spin->stepBy(-1);
    QCOMPARE(spin->text(), QString("599"));  // from where the spin stood
  }

  void amPmField() {
    AmPmSpinBox field;
    QCOMPARE(field.text(), QString("AM"));
    field.stepBy(-1);
    QCOMPARE(field.text(), QString("PM"));
    field.stepBy(1);
    QCOMPARE(field.text(), QString("AM"));
    field.show();
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&field, "pmx");
    QCOMPARE(field.text(), QString("pm"));
  }
};

}  // namespace gw

QTEST_MAIN(gw::SpinBoxesTest)
#include "spin_boxes_test.moc"
