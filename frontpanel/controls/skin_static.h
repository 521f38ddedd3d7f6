// A label that paints its own text with the font, colour and alignment it was given.
#pragma once

#include <QWidget>
#include <functional>

#include "label_style.h"

namespace zc::fp {

class CSkinStatic : public QWidget {
  Q_OBJECT

 public:
  explicit CSkinStatic(int controlId, QWidget* parent = nullptr);

  void SetFontStyle(const QString& face, int height, CRgb colour, unsigned flags);
  void setText(const QString& text);
  QString text() const { return text_; }
  const CLabelStyle& style() const { return style_; }
  int controlId() const { return controlId_; }

  // Reports a font that cannot be made; the window shows it as a message box.
  std::function<void(const QString&)> onFontFailure;

 signals:
  void clicked(int controlId);  // clicks reach the parent

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int controlId_;
  CLabelStyle style_;
  QString text_;
};

}  // namespace zc::fp
