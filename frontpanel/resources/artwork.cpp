#include "artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace zc::fp {
namespace {

const QColor kToolBlue(0, 0, 160);
const QColor kToolGrey(192, 192, 192);

}  // namespace

QPixmap ToolbarPixmap(ToolbarImage image) {
  QPixmap pm(16, 16);
  pm.fill(kToolGrey);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kToolBlue);
  switch (image) {
    case ToolbarImage::Start: {
      QPainterPath path;
      path.moveTo(4, 2);
      path.lineTo(13, 8);
      path.lineTo(4, 14);
      path.closeSubpath();
      p.drawPath(path);
      break;
    }
    case ToolbarImage::Stop:
      p.drawRect(3, 3, 10, 10);
      break;
    case ToolbarImage::About: {
      p.setPen(QPen(kToolBlue, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(Qt::NoPen);
      p.setBrush(kToolBlue);
      p.drawEllipse(QRectF(7, 3.5, 2, 2));
      p.drawRect(QRectF(7, 6.5, 2, 6));
      break;
    }
  }
  return pm;
}

QPixmap ChartGrid(int width, int height) {
  QPixmap pm(width, height);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setPen(QColor(200, 200, 200));
  for (int i = 0; i <= 10; ++i) {
    const int x = std::min(width - 1, i * (width - 1) / 10);
    const int y = std::min(height - 1, i * (height - 1) / 10);
    p.drawLine(x, 0, x, height - 1);
    p.drawLine(0, y, width - 1, y);
  }
  return pm;
}

QPixmap ChartRecordGrid() {
  constexpr int kW = 584, kH = 337;
  QPixmap pm(kW, kH);
  pm.fill(Qt::black);
  QPainter p(&pm);
  const QColor darkCyan(0, 96, 96);
  // Lines two pixels wide, the outer ones on the border, ten equal cells between.
  for (int i = 0; i <= 10; ++i) {
    p.fillRect(i * (kW - 2) / 10, 0, 2, kH, darkCyan);
    p.fillRect(0, i * (kH - 2) / 10, kW, 2, darkCyan);
  }
  return pm;
}

QPixmap ChartMark() {
  QPixmap pm(12, 19);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 0, 0));
  QPainterPath path;
  path.moveTo(1, 2);
  path.lineTo(11, 9.5);
  path.lineTo(1, 17);
  path.closeSubpath();
  p.drawPath(path);
  return pm;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(20, 40, 60), s / 16));
    p.setBrush(QColor(40, 70, 100));
    p.drawRoundedRect(QRectF(s * 0.05, s * 0.15, s * 0.9, s * 0.7), s * 0.08, s * 0.08);
    p.setBrush(QColor(10, 30, 25));
    const QRectF display(s * 0.14, s * 0.27, s * 0.72, s * 0.3);
    p.drawRect(display);
    // A square wave on the display: a counter's signal.
    p.setPen(QPen(QColor(80, 255, 160), std::max<qreal>(1, s / 20)));
    QPainterPath wave;
    const qreal lo = display.bottom() - s * 0.06, hi = display.top() + s * 0.06;
    qreal x = display.left() + s * 0.04;
    wave.moveTo(x, lo);
    for (int i = 0; i < 3; ++i) {
      wave.lineTo(x, hi);
      wave.lineTo(x + s * 0.1, hi);
      wave.lineTo(x + s * 0.1, lo);
      wave.lineTo(x + s * 0.2, lo);
      x += s * 0.2;
    }
    p.drawPath(wave);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 160, 40));
    p.drawEllipse(QRectF(s * 0.16, s * 0.65, s * 0.12, s * 0.12));
    p.drawEllipse(QRectF(s * 0.36, s * 0.65, s * 0.12, s * 0.12));
    icon.addPixmap(pm);
  }
  return icon;
}

}  // namespace zc::fp
