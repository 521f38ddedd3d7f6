// A label that paints its own text with the font, colour and alignment it was given.
#pragma once

#include <QFont>
#include <QWidget>
#include <functional>
#include <optional>

#include "label_style.h"

namespace zc::fp {

class CSkinStatic : public QWidget {
  Q_OBJECT

 public:
  explicit CSkinStatic(int controlId, QWidget* parent = nullptr);

  // The height is a font request's: a positive one is the cell height (ascent plus descent), a
  // negative one the character height (Qt's pixel size). An empty face or a height of 0 makes no
  // font: onFontFailure hears of it once, here, and the label then paints no text.
  void SetFontStyle(const QString& face, int height, CRgb colour, unsigned flags);
  void setText(const QString& text);
  QString text() const { return text_; }
  const CLabelStyle& style() const { return style_; }
  int controlId() const { return controlId_; }
  // The font the text is drawn in; nullopt when the style makes none.
  const std::optional<QFont>& labelFont() const { return font_; }

  // Reports a font that cannot be made; the window shows it as a message box.
  std::function<void(const QString&)> onFontFailure;

 signals:
  void clicked(int controlId);  // clicks reach the parent

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void MakeFont();

  int controlId_;
  CLabelStyle style_;
  std::optional<QFont> font_;
  QString text_;
};

}  // namespace zc::fp
