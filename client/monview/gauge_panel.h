// The gauge panel: ten LCD-style gauges on black. Once a second it builds the display record
// from its source, draws the gauges into an off-screen image and reports the flags it found;
// paint only copies the image. A press on the temperature unit switches Celsius and
// Fahrenheit for the rest of the run; other presses go on to the window below.
#pragma once

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "client/status/display_record.h"
#include "client/status/gauge_faces.h"

namespace gw {

class PanelArtwork;

class GaugePanel : public QWidget {
  Q_OBJECT
 public:
  using Source = std::function<GaugeInputs()>;
  static constexpr int kTickMs = 1000;

  // The artwork must outlive the panel. Draws the disconnected panel once and starts ticking.
  GaugePanel(PanelArtwork& artwork, Source source, QWidget* parent = nullptr);

  // One tick at once: what the timer does every second.
  void tick();

  bool fahrenheit() const { return fahrenheit_; }
  const DisplayRecord& record() const { return record_; }
  const std::array<GaugeFace, kGaugeCount>& faces() const { return faces_; }
  const QImage& image() const { return buffer_; }

  // Draws the faces onto a panel-sized image (the paint path; also what the benchmark times).
  static void drawFaces(QImage* target, PanelArtwork& artwork, const QFont& caption_font,
                        const std::array<GaugeFace, kGaugeCount>& faces);
  // The gauge captions' font: 14 pixels, weight 400, Arial or the nearest sans font.
  static QFont captionFont();

 signals:
  // After each tick, with the flags of the tick before (all clear before the first).
  void ticked(uint32_t previous_flags, uint32_t flags);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  PanelArtwork& artwork_;
  Source source_;
  QFont caption_font_;
  QTimer timer_;
  QImage buffer_;
  DisplayRecord record_;
  std::array<GaugeFace, kGaugeCount> faces_;
  // Before the first tick nothing is known: communication counts as lost, so a UPS that was
  // already answering then is announced, and the windows hear that communication is up.
  uint32_t previous_flags_ = kFlagCommLost;
  bool fahrenheit_ = false;
};

}  // namespace gw
