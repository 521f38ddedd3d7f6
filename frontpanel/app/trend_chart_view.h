// The live chart control: the grid, the trend line drawn on it, and the snapshot of that drawing
// that repaints restore.
#pragma once

#include <QColor>
#include <QImage>
#include <QPen>
#include <QPolygon>
#include <QWidget>

#include "acquire/trend_plot.h"

namespace zc::fp {

class CTrendChartView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 470;
  static constexpr int kHeight = 272;

  explicit CTrendChartView(QWidget* parent = nullptr);

  // Only the grid shows; the snapshot becomes the bare grid.
  void Clear();
  // Grid and the plot's line into the snapshot, then a repaint. Called at every reading tick.
  void Draw(const CTrendPlot& plot);

  void SetPenColour(const QColor& colour);
  QColor penColour() const { return pen_.color(); }

  // The last drawing (null before the first Clear or Draw); repaints show it while its size is
  // the control's.
  const QImage& snapshot() const { return snapshot_; }

  QSize sizeHint() const override { return {kWidth, kHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void EnsureGrid();
  void RestoreGrid();

  QImage grid_;
  QImage snapshot_;
  QPen pen_;
  QPolygon points_;  // kept between ticks so Draw does not allocate
  // Rows of the snapshot drawn over since it was last all grid: only these are restored.
  int dirtyTop_ = 0;
  int dirtyBottom_ = -1;
};

}  // namespace zc::fp
