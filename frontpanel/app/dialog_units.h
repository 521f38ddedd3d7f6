// Dialog units to pixels, from the dialog font's metrics, so the window keeps its layout's
// proportions whatever font the system substitutes.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

namespace zc::fp {

// The font the program's windows are laid out in.
inline QFont DialogFont() {
  QFont f(QStringLiteral("Times New Roman"));
  f.setPointSize(10);
  return f;
}

class CDialogUnits {
 public:
  explicit CDialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (width / 26 + 1) / 2;
    baseY_ = fm.height();
  }
  int X(int du) const { return (du * baseX_ + 2) / 4; }
  int Y(int du) const { return (du * baseY_ + 4) / 8; }
  QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

 private:
  int baseX_ = 6;
  int baseY_ = 16;
};

}  // namespace zc::fp
