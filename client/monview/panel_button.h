// A push button the client draws itself: a flat face, two one-pixel bevel rings, an optional
// picture and caption, in one of the three colour sets.
#pragma once

#include <QAbstractButton>
#include <QImage>

#include "client/status/panel_colours.h"

namespace gw {

class PanelButton : public QAbstractButton {
  Q_OBJECT
 public:
  PanelButton(const ButtonColours& colours, QWidget* parent = nullptr);

  // Centred when the button has no caption, otherwise 6 pixels from the left with the caption
  // after it. While pressed it moves one pixel right and down.
  void setPicture(const QImage& picture);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ButtonColours colours_;
  QImage picture_;
};

}  // namespace gw
