#include "controls/colour_swatch.h"

#include <QPainter>

namespace zc::fp {

void CColourSwatch::SetColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void CColourSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(colour_);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace zc::fp
