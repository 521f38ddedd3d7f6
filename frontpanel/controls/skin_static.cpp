#include "skin_static.h"

#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>

namespace zc::fp {

CSkinStatic::CSkinStatic(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {}

void CSkinStatic::SetFontStyle(const QString& face, int height, CRgb colour, unsigned flags) {
  style_.SetFontStyle(face.toStdString(), height, colour, flags);
  update();
}

void CSkinStatic::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void CSkinStatic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), style_.hasBackground ? QColor(style_.background.red, style_.background.green,
                                                   style_.background.blue)
                                          : palette().color(QPalette::Button));
  if (style_.faceName.empty() || style_.height <= 0) {
    if (onFontFailure) onFontFailure(QStringLiteral("Font could not be created!"));
    return;
  }
  QFont font(QString::fromStdString(style_.faceName));
  font.setPixelSize(style_.height);  // the height is in logical units, pixels here
  font.setWeight(style_.bold ? QFont::Black : QFont::Normal);
  font.setItalic(style_.italic);
  font.setUnderline(style_.underline);
  font.setStrikeOut(style_.strikeout);
  font.setStyleStrategy(style_.smooth ? QFont::PreferAntialias : QFont::PreferDefault);
  p.setFont(font);
  p.setPen(QColor(style_.textColour.red, style_.textColour.green, style_.textColour.blue));
  int align = Qt::TextWordWrap;
  align |= style_.align == CAlign::Centre  ? Qt::AlignHCenter
           : style_.align == CAlign::Right ? Qt::AlignRight
                                           : Qt::AlignLeft;
  p.drawText(rect(), align | Qt::AlignTop, text_);
}

void CSkinStatic::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) emit clicked(controlId_);
  QWidget::mouseReleaseEvent(event);
}

}  // namespace zc::fp
