// Ticking and drawing the gauge panel.
#include "client/monview/gauge_panel.h"

#include <QMouseEvent>
#include <QPainter>

#include "client/monview/client_font.h"
#include "client/monview/panel_artwork.h"
#include "client/status/lcd_text.h"
#include "client/status/panel_colours.h"

namespace gw {
namespace {

constexpr qreal kUnlitOpacity = 0.10;  // the unlit segments behind each digit

void drawLcdLine(QPainter& p, const QImage& glyphs, const std::string& text, int x, int y) {
  for (const LcdGlyph& g : layoutLcdText(text)) {
    if (g.glyph < 10) {
      p.setOpacity(kUnlitOpacity);
      p.drawImage(x + g.x, y, glyphs, 8 * kLcdGlyphWidth, 0, kLcdGlyphWidth, kLcdGlyphHeight);
      p.setOpacity(1);
    }
    p.drawImage(x + g.x, y, glyphs, g.glyph * kLcdGlyphWidth, 0, kLcdGlyphWidth, kLcdGlyphHeight);
  }
}

}  // namespace

GaugePanel::GaugePanel(PanelArtwork& artwork, Source source, QWidget* parent)
    : QWidget(parent),
      artwork_(artwork),
      source_(std::move(source)),
      caption_font_(captionFont()),
      faces_(gaugeFaces(record_)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  buffer_ = QImage(size().isEmpty() ? QSize(286, 196) : size(), QImage::Format_ARGB32_Premultiplied);
  drawFaces(&buffer_, artwork_, caption_font_, faces_);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &GaugePanel::tick);
  timer_.start();
}

QFont GaugePanel::captionFont() { return clientFont(kFontCellPixels, QFont::Normal); }

void GaugePanel::tick() {
  GaugeInputs inputs = source_ ? source_() : GaugeInputs{};
  inputs.fahrenheit = fahrenheit_;
  record_ = buildDisplayRecord(inputs);
  faces_ = gaugeFaces(record_);
  if (buffer_.size() != size() && !size().isEmpty()) {
    buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
  }
  drawFaces(&buffer_, artwork_, caption_font_, faces_);
  update();
  uint32_t previous = previous_flags_;
  previous_flags_ = record_.flags;
  emit ticked(previous, record_.flags);
}

void GaugePanel::drawFaces(QImage* target, PanelArtwork& artwork, const QFont& caption_font,
                           const std::array<GaugeFace, kGaugeCount>& faces) {
  target->fill(Qt::black);
  QPainter p(target);
  p.setFont(caption_font);
  for (int i = 0; i < kGaugeCount; ++i) {
    const GaugeFace& f = faces[i];
    const GaugeLayout& at = kGaugeLayouts[i];
    const int level = std::clamp(f.level, 0, at.frames - 1);
    p.drawImage(at.picture.x, at.picture.y, artwork.tinted(i, f.colour), level * kPictureSize, 0,
                kPictureSize, kPictureSize);
    const QImage& glyphs = artwork.tinted(PanelArtwork::kLcd, f.colour);
    drawLcdLine(p, glyphs, f.line1, at.text.x, at.text.y);
    if (!f.line2.empty()) drawLcdLine(p, glyphs, f.line2, at.text.x, at.text.y + kSecondLineOffset);
    if (f.unit != kUnitNone && at.unit.x >= 0) {
      p.drawImage(at.unit.x, at.unit.y, artwork.tinted(PanelArtwork::kUnits, f.colour),
                  f.unit * kUnitGlyphWidth, 0, kUnitGlyphWidth, kUnitGlyphHeight);
    }
    p.setPen(QColor(redOf(f.colour), greenOf(f.colour), blueOf(f.colour)));
    p.drawText(QRect(at.caption.x, at.caption.y, 130, 16), Qt::AlignLeft | Qt::AlignTop,
               QString::fromLatin1(f.caption));
  }
}

void GaugePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

void GaugePanel::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton && at.x() >= kUnitSwitchLeft && at.x() < kUnitSwitchRight &&
      at.y() >= kUnitSwitchTop && at.y() < kUnitSwitchBottom) {
    fahrenheit_ = !fahrenheit_;
    tick();
    event->accept();
    return;
  }
  event->ignore();  // the status window takes it as the start of a drag
}

}  // namespace gw
