// The main window's form surface: the gaps around its controls. The live
// link indicator paints this surface alone; the controls on it (frames,
// panels, text boxes, labels, the list) keep their own colours, because
// the colour is painted here rather than handed down through the palette.
#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

namespace corvane::shell {

class FormSurface : public QWidget {
 public:
  using QWidget::QWidget;

  // The surface's colour; an invalid colour leaves the window's own.
  void SetColour(const QColor& colour) {
    colour_ = colour;
    update();
  }
  [[nodiscard]] const QColor& Colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (colour_.isValid()) {
      QPainter(this).fillRect(rect(), colour_);
    }
  }

 private:
  QColor colour_;
};

}  // namespace corvane::shell
