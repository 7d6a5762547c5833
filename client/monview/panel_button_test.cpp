// The client's buttons as drawn: face and bevel colours of the three sets, swapped while
// pressed, and the picture's one-pixel shift.
#include <QTest>

#include "client/monview/panel_button.h"
#include "client/status/panel_colours.h"

namespace gw {
namespace {

QRgb rgb(uint32_t c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }
QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

class PanelButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void colourSets_data() {
    QTest::addColumn<uint>("face");
    QTest::addColumn<uint>("light");
    QTest::addColumn<uint>("dark");
    for (auto [name, set] : {std::pair{"ordinary", kOrdinaryButton}, std::pair{"power", kPowerButton},
                             std::pair{"self test", kSelfTestButton}}) {
      QTest::newRow(name) << uint(set.face) << uint(set.light) << uint(set.dark);
    }
  }
  void colourSets() {
    QFETCH(uint, face);
    QFETCH(uint, light);
    QFETCH(uint, dark);
    PanelButton button(ButtonColours{face, light, dark});
    button.setFocusPolicy(Qt::NoFocus);
    button.resize(40, 24);
    QImage up = button.grab().toImage();
    QCOMPARE(at(up, 20, 12), rgb(face));
    for (int ring : {0, 1}) {
      QCOMPARE(at(up, 20, ring), rgb(light));
      QCOMPARE(at(up, ring, 12), rgb(light));
      QCOMPARE(at(up, 20, 23 - ring), rgb(dark));
      QCOMPARE(at(up, 39 - ring, 12), rgb(dark));
    }
    QCOMPARE(at(up, 20, 2), rgb(face));  // two rings only
    button.setDown(true);
    QImage down = button.grab().toImage();
    QCOMPARE(at(down, 20, 0), rgb(dark));
    QCOMPARE(at(down, 39, 12), rgb(light));
  }

  void pictureIsCentredAndShiftsWhilePressed() {
    PanelButton button(kOrdinaryButton);
    button.setFocusPolicy(Qt::NoFocus);
    button.resize(40, 30);
    QImage picture(10, 10, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    button.setPicture(picture);
    QImage up = button.grab().toImage();
    QCOMPARE(at(up, 15, 10), qRgb(255, 255, 255));
    QCOMPARE(at(up, 24, 19), qRgb(255, 255, 255));
    QCOMPARE(at(up, 25, 20), rgb(kOrdinaryButton.face));
    button.setDown(true);
    QImage down = button.grab().toImage();
    QCOMPARE(at(down, 15, 10), rgb(kOrdinaryButton.face));
    QCOMPARE(at(down, 25, 20), qRgb(255, 255, 255));
  }
};

}  // namespace
}  // namespace gw

QTEST_MAIN(gw::PanelButtonTest)
#include "panel_button_test.moc"
