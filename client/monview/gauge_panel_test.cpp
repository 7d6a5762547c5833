// The gauge panel as drawn: the LCD texts, the picture frames, the units and the captions are
// read back from the rendered pixels at their places, for the gauges' edge cases; and the
// Celsius/Fahrenheit switch on the unit's rectangle.
#include <QSignalSpy>
#include <QTest>

#include "client/monview/gauge_panel.h"
#include "client/monview/panel_artwork.h"
#include "client/status/lcd_text.h"
#include "client/status/panel_colours.h"
#include "testing/gauge_inputs.h"

namespace gw {
namespace {

constexpr int64_t kNow = FakeClock::kDefaultStart;

GaugeItem known(int value) { return knownItem(value); }
GaugeInputs online() { return onlineGaugeInputs(); }

QRgb rgb(uint32_t windows_colour) {
  return qRgb(redOf(windows_colour), greenOf(windows_colour), blueOf(windows_colour));
}

// The pixels of `area` in `image` that show the colour at full strength, as offsets.
QList<QPoint> litPixels(const QImage& image, QRect area, QRgb colour) {
  QList<QPoint> out;
  for (int y = 0; y < area.height(); ++y) {
    for (int x = 0; x < area.width(); ++x) {
      if ((image.pixel(area.x() + x, area.y() + y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
        out.append(QPoint(x, y));
      }
    }
  }
  return out;
}

// The fully covered pixels of a mask cell.
QList<QPoint> maskPixels(const QImage& mask, QRect cell) {
  QList<QPoint> out;
  for (int y = 0; y < cell.height(); ++y) {
    for (int x = 0; x < cell.width(); ++x) {
      if (qAlpha(mask.pixel(cell.x() + x, cell.y() + y)) == 255) out.append(QPoint(x, y));
    }
  }
  return out;
}

class GaugePanelTest : public QObject {
  Q_OBJECT

 private:
  PanelArtwork* art_ = nullptr;
  GaugeInputs inputs_;

  std::unique_ptr<GaugePanel> panel() {
    auto p = std::make_unique<GaugePanel>(*art_, [this] { return inputs_; });
    p->resize(286, 196);
    p->tick();
    return p;
  }

  // True when the panel shows exactly `text` in the LCD glyphs at (x, y) in `colour`.
  bool lcdShows(const QImage& image, int x, int y, const std::string& text, uint32_t colour) {
    for (const LcdGlyph& g : layoutLcdText(text)) {
      QRect cell(x + g.x, y, kLcdGlyphWidth, kLcdGlyphHeight);
      QList<QPoint> expected =
          maskPixels(art_->mask(PanelArtwork::kLcd),
                     QRect(g.glyph * kLcdGlyphWidth, 0, kLcdGlyphWidth, kLcdGlyphHeight));
      if (litPixels(image, cell, rgb(colour)) != expected) return false;
    }
    return true;
  }

  // The frame of the gauge's strip that the panel shows at its picture position, or -1.
  int shownFrame(const QImage& image, int gauge, uint32_t colour) {
    const GaugeLayout& at = kGaugeLayouts[gauge];
    QList<QPoint> lit =
        litPixels(image, QRect(at.picture.x, at.picture.y, kPictureSize, kPictureSize), rgb(colour));
    for (int f = 0; f < at.frames; ++f) {
      if (lit == maskPixels(art_->mask(gauge), QRect(f * kPictureSize, 0, kPictureSize, kPictureSize))) {
        return f;
      }
    }
    return -1;
  }

  bool unitShows(const QImage& image, int gauge, int unit, uint32_t colour) {
    const GaugeLayout& at = kGaugeLayouts[gauge];
    QRect cell(at.unit.x, at.unit.y, kUnitGlyphWidth, kUnitGlyphHeight);
    QList<QPoint> expected = maskPixels(art_->mask(PanelArtwork::kUnits),
                                        QRect(unit * kUnitGlyphWidth, 0, kUnitGlyphWidth, kUnitGlyphHeight));
    return !expected.isEmpty() && litPixels(image, cell, rgb(colour)) == expected;
  }

  bool captionIn(const QImage& image, int gauge, uint32_t colour) {
    const GaugeLayout& at = kGaugeLayouts[gauge];
    return !litPixels(image, QRect(at.caption.x, at.caption.y, 60, 14), rgb(colour)).isEmpty();
  }

  // Every part of one gauge: text lines, frame, caption, and the panel's own record of them.
  void expectGauge(const GaugePanel& p, int gauge, const char* line1, int level, uint32_t colour,
                   const char* line2 = "") {
    const GaugeFace& f = p.faces()[gauge];
    QCOMPARE(QString::fromStdString(f.line1), QString(line1));
    QCOMPARE(QString::fromStdString(f.line2), QString(line2));
    QCOMPARE(f.level, level);
    QCOMPARE(f.colour, colour);
    const GaugeLayout& at = kGaugeLayouts[gauge];
    QVERIFY2(lcdShows(p.image(), at.text.x, at.text.y, line1, colour), line1);
    if (*line2) QVERIFY2(lcdShows(p.image(), at.text.x, at.text.y + kSecondLineOffset, line2, colour), line2);
    QCOMPARE(shownFrame(p.image(), gauge, colour), level);
    QVERIFY(captionIn(p.image(), gauge, colour));
  }

 private slots:
  void initTestCase() { art_ = new PanelArtwork(); }
  void cleanupTestCase() { delete art_; }
  void init() { inputs_ = online(); }

  void batteryEdges_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("level");
    QTest::addColumn<uint>("colour");
    QTest::newRow("39") << 39 << "039" << 1 << uint(kGaugeRed);
    QTest::newRow("40") << 40 << "040" << 2 << uint(kGaugeOrange);
    QTest::newRow("59") << 59 << "059" << 2 << uint(kGaugeOrange);
    QTest::newRow("60") << 60 << "060" << 3 << uint(kGaugeGreen);
    QTest::newRow("100") << 100 << "100" << 4 << uint(kGaugeGreen);
  }
  void batteryEdges() {
    QFETCH(int, percent);
    QFETCH(QString, text);
    QFETCH(int, level);
    QFETCH(uint, colour);
    inputs_.capacity = known(percent * 100);
    auto p = panel();
    expectGauge(*p, 2, text.toLatin1().constData(), level, colour);
    QVERIFY(unitShows(p->image(), 2, kUnitPercent, colour));
  }

  void loadEdges() {
    inputs_.load = known(9900);
    expectGauge(*panel(), 3, "099", 0, kGaugeGreen);
    inputs_.load = known(10000);
    expectGauge(*panel(), 3, "100", 0, kGaugeRed);
  }

  void backupEdges_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("level");
    QTest::addColumn<uint>("colour");
    QTest::newRow("224") << 224 << "03:44" << 0 << uint(kGaugeRed);
    QTest::newRow("225") << 225 << "03:45" << 1 << uint(kGaugeRed);
    QTest::newRow("450") << 450 << "07:30" << 2 << uint(kGaugeOrange);
    QTest::newRow("900") << 900 << "15:00" << 4 << uint(kGaugeGreen);
    QTest::newRow("1575") << 1575 << "26:15" << 7 << uint(kGaugeGreen);
  }
  void backupEdges() {
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QFETCH(int, level);
    QFETCH(uint, colour);
    inputs_.backup_time = known(seconds);
    expectGauge(*panel(), 9, text.toLatin1().constData(), level, colour);
  }

  void countdown() {
    inputs_.shutdown_max_count = "1";
    inputs_.shutdown_delay = "30";
    inputs_.power_fail = known(1);
    inputs_.power_fail_since_ms = kNow;
    expectGauge(*panel(), 8, "00:30", 0, kGaugeRed);
    inputs_.power_fail_since_ms = kNow - 15000;
    expectGauge(*panel(), 8, "00:15", 6, kGaugeRed);
    inputs_.power_fail_since_ms = kNow - 30000;
    expectGauge(*panel(), 8, "00:00", 0, kGaugeRed);
    expectGauge(*panel(), 0, "230", 1, kGaugeRed);  // the input shows the failure too
  }

  void frequency() {
    inputs_.frequency = known(6000);
    expectGauge(*panel(), 4, "60.0", 0, kGaugeGreen);
    inputs_.frequency = known(590);
    expectGauge(*panel(), 4, "05.9", 0, kGaugeGreen);
  }

  void temperatureSwitchOnTheUnit() {
    auto p = panel();
    expectGauge(*p, 5, "038", 0, kGaugeGreen);
    QVERIFY(unitShows(p->image(), 5, kUnitCelsius, kGaugeGreen));
    QTest::mouseClick(p.get(), Qt::LeftButton, {}, QPoint(kUnitSwitchLeft + 3, kUnitSwitchTop + 3));
    QVERIFY(p->fahrenheit());
    expectGauge(*p, 5, "100", 0, kGaugeGreen);
    QVERIFY(unitShows(p->image(), 5, kUnitFahrenheit, kGaugeGreen));
    QTest::mouseClick(p.get(), Qt::LeftButton, {}, QPoint(kUnitSwitchLeft - 2, kUnitSwitchTop + 3));
    QVERIFY2(p->fahrenheit(), "a press beside the unit changes nothing");
    QTest::mouseClick(p.get(), Qt::LeftButton, {}, QPoint(kUnitSwitchRight - 1, kUnitSwitchBottom - 1));
    expectGauge(*p, 5, "038", 0, kGaugeGreen);
  }

  void turnOffAhead() {
    inputs_.due = DueTurnOff{1, kNow + 59 * 60000LL, kNow + 59 * 60000LL};
    auto p = panel();
    QCOMPARE(p->faces()[7].colour, kGaugeRed);
    QVERIFY(!litPixels(p->image(), QRect(202, 126, 60, 32), rgb(kGaugeRed)).isEmpty());
    inputs_.due->start_ms = kNow + 61 * 60000LL;
    QCOMPARE(panel()->faces()[7].colour, kGaugeOrange);
    inputs_.due->start_ms = kNow + 25 * 3600000LL;
    p = panel();
    QCOMPARE(p->faces()[7].colour, kGaugeGreen);
    QVERIFY(litPixels(p->image(), QRect(202, 126, 60, 32), rgb(kGaugeRed)).isEmpty());
  }

  void lostCommunicationIsGrey() {
    inputs_.connect = known(0);
    auto p = panel();
    expectGauge(*p, 0, "888", 0, kGaugeGrey);
    expectGauge(*p, 2, "888", 4, kGaugeGrey);
    expectGauge(*p, 6, "88:88", 0, kGaugeGrey, "88:88");
    expectGauge(*p, 9, "88:88", 7, kGaugeGrey);
    QVERIFY(litPixels(p->image(), p->image().rect(), rgb(kGaugeGreen)).isEmpty());
  }

  void ticksReportTheFlags() {
    auto p = panel();
    QSignalSpy spy(p.get(), &GaugePanel::ticked);
    inputs_.power_fail = known(1);
    p->tick();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toUInt(), 0u);
    QCOMPARE(spy.at(0).at(1).toUInt(), uint32_t(kFlagPowerFail));
  }
};

}  // namespace
}  // namespace gw

QTEST_MAIN(gw::GaugePanelTest)
#include "gauge_panel_test.moc"
