#include "app/trend_chart_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "resources/artwork.h"

namespace zc::fp {
namespace {

// Plain 32-bit pixels: copying the grid is a memcpy and the aliased line needs no blending.
constexpr QImage::Format kFormat = QImage::Format_RGB32;

QImage GridImage(QSize size) {
  if (size.isEmpty()) return {};
  return ChartGrid(size.width(), size.height()).toImage().convertToFormat(kFormat);
}

}  // namespace

CTrendChartView::CTrendChartView(QWidget* parent) : QWidget(parent) {
  pen_ = QPen(QColor(0, 0, 255), 1, Qt::SolidLine);
  pen_.setCosmetic(true);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the image covers every pixel
  resize(kWidth, kHeight);
}

// Checked at use rather than in resizeEvent, which a hidden widget gets only when first shown.
void CTrendChartView::EnsureGrid() {
  if (grid_.size() != size()) grid_ = GridImage(size());
}

void CTrendChartView::RestoreGrid() {
  EnsureGrid();
  if (grid_.isNull()) {
    snapshot_ = QImage();
    return;
  }
  if (snapshot_.size() != grid_.size() || snapshot_.format() != grid_.format()) {
    snapshot_ = QImage(grid_.size(), grid_.format());
    dirtyTop_ = 0;
    dirtyBottom_ = grid_.height() - 1;
  }
  if (dirtyTop_ > dirtyBottom_) return;
  // Same size and format, so the same row stride. bits() detaches first if a caller still
  // shares the old snapshot.
  const qsizetype offset = dirtyTop_ * grid_.bytesPerLine();
  const qsizetype bytes = (dirtyBottom_ - dirtyTop_ + 1) * grid_.bytesPerLine();
  std::memcpy(snapshot_.bits() + offset, grid_.constBits() + offset, static_cast<size_t>(bytes));
  dirtyTop_ = 0;
  dirtyBottom_ = -1;
}

void CTrendChartView::Clear() {
  RestoreGrid();
  update();
}

void CTrendChartView::Draw(const CTrendPlot& plot) {
  RestoreGrid();
  if (plot.drawn && plot.line.size() >= 2 && !snapshot_.isNull()) {
    points_.resize(static_cast<int>(plot.line.size()));
    QPoint* out = points_.data();
    for (const CPlotPoint& p : plot.line) *out++ = QPoint(p.x, p.y);
    QPainter painter(&snapshot_);
    painter.setPen(pen_);
    painter.drawPolyline(points_);
    const QRect bounds = points_.boundingRect();
    // Two rows of margin cover the line's caps.
    dirtyTop_ = std::max(0, bounds.top() - 2);
    dirtyBottom_ = std::min(snapshot_.height() - 1, bounds.bottom() + 2);
  }
  update();
}

void CTrendChartView::SetPenColour(const QColor& colour) {
  pen_.setColor(colour);
}

void CTrendChartView::paintEvent(QPaintEvent* event) {
  EnsureGrid();
  QPainter painter(this);
  // A snapshot of another size was drawn before a resize; the next tick draws anew.
  const QImage& image = snapshot_.size() == grid_.size() ? snapshot_ : grid_;
  painter.drawImage(event->rect(), image, event->rect());
}

}  // namespace zc::fp
