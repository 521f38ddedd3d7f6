// A rectangle filled with a colour and outlined in black: the colour choice of the dialogs.
#pragma once

#include <QColor>
#include <QWidget>

namespace zc::fp {

class CColourSwatch : public QWidget {
  Q_OBJECT

 public:
  explicit CColourSwatch(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetColour(const QColor& colour);
  QColor colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_ = Qt::black;
};

}  // namespace zc::fp
