#include "skin_static.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace zc::fp {
namespace {

// Far beyond any label; keeps the size search and the font engine within reason.
constexpr int kMaxHeight = 4096;

int CellHeight(QFont font, int pixelSize, const QPaintDevice* device) {
  font.setPixelSize(pixelSize);
  const QFontMetrics fm(font, device);
  return fm.ascent() + fm.descent();
}

// The largest pixel size whose cell (ascent + descent) is no taller than the height asked for.
// The cell grows with the pixel size, so the search starts from the proportional guess and then
// steps to the exact size.
int PixelSizeForCell(const QFont& font, int height, const QPaintDevice* device) {
  const int atHeight = CellHeight(font, height, device);
  if (atHeight <= height) return height;
  int size =
      std::clamp(static_cast<int>(static_cast<long long>(height) * height / atHeight), 1, height);
  while (size > 1 && CellHeight(font, size, device) > height) --size;
  while (size < height && CellHeight(font, size + 1, device) <= height) ++size;
  return size;
}

}  // namespace

CSkinStatic::CSkinStatic(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {
  MakeFont();
}

void CSkinStatic::SetFontStyle(const QString& face, int height, CRgb colour, unsigned flags) {
  style_.SetFontStyle(face.toStdString(), height, colour, flags);
  MakeFont();
  // Said once, when the style is set; painting then simply shows no text.
  if (!font_ && onFontFailure) onFontFailure(QStringLiteral("Font could not be created!"));
  update();
}

void CSkinStatic::MakeFont() {
  font_.reset();
  if (style_.faceName.empty() || style_.height == 0) return;
  QFont font(QString::fromStdString(style_.faceName));
  font.setWeight(style_.bold ? QFont::Black : QFont::Normal);
  font.setItalic(style_.italic);
  font.setUnderline(style_.underline);
  font.setStrikeOut(style_.strikeout);
  font.setStyleStrategy(style_.smooth ? QFont::PreferAntialias : QFont::PreferDefault);
  const int height = std::clamp(style_.height, -kMaxHeight, kMaxHeight);
  font.setPixelSize(height < 0 ? -height : PixelSizeForCell(font, height, this));
  font_ = font;
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
  if (!font_) return;  // already reported by SetFontStyle
  p.setFont(*font_);
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
