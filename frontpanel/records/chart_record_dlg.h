// The Chart Record dialog: a stored record drawn as a curve on the grid picture, all of it or a
// stretch, in a colour the user picks, with a slider that marks one reading and shows its number,
// value and the record's date. The rules are CChartRecord's; this only shows them.
#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "controls/colour_swatch.h"
#include "records/chart_record.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace zc::fp {

// The chart area: the grid picture, the snapshot of the last drawing or clearing, and the reading
// marker painted over it.
class CChartRecordView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 584;
  static constexpr int kHeight = 337;

  explicit CChartRecordView(QWidget* parent = nullptr);

  // No snapshot and no marker: the plain grid.
  void Reset();
  // The curve over what the chart shows now (the snapshot, else the grid), kept as the snapshot:
  // a second Draw without Clear adds its curve to the first.
  void DrawCurve(const std::vector<CPlotPoint>& points, const QColor& colour);
  // The snapshot becomes the plain grid.
  void ClearToGrid();
  // Device pixels, right and bottom exclusive; nullopt removes it.
  void SetMarker(std::optional<QRect> marker);

  const QImage& grid() const { return grid_; }
  const QImage& snapshot() const { return snapshot_; }
  const std::optional<QRect>& marker() const { return marker_; }
  QSize sizeHint() const override { return {kWidth, kHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage grid_;
  QImage snapshot_;
  std::optional<QRect> marker_;
};

// The colour of the curve's pen, with a thin black outline.
class CChartRecordDlg : public QDialog {
  Q_OBJECT

 public:
  using Lookup = std::function<std::string(const std::string& key, const std::string& def)>;
  using ColourPicker = std::function<QColor(const QColor& initial, QWidget* parent)>;

  CChartRecordDlg(CUserInterface& ui, Lookup lookup, QWidget* parent = nullptr);

  // Rebuilds everything: texts, the record list, the plain chart, cyan, "Drawing with all".
  // Every showing calls it (showEvent); exec() alone is enough.
  void Open();

  // The colour dialog (QColorDialog unless replaced); an invalid colour is a cancel.
  void SetColourPicker(ColourPicker picker) { colourPicker_ = std::move(picker); }
  QColor lineColour() const { return lineColour_; }

  // The controls, for tests and screenshots.
  QComboBox* recordList() const { return recordList_; }
  QPushButton* drawButton() const { return draw_; }
  QPushButton* clearButton() const { return clear_; }
  QPushButton* changeColourButton() const { return changeColour_; }
  QPushButton* exitButton() const { return exit_; }
  QRadioButton* allRadio() const { return all_; }
  QRadioButton* stretchRadio() const { return stretch_; }
  QLineEdit* fromEdit() const { return from_; }
  QLineEdit* toEdit() const { return to_; }
  QLabel* countLabel() const { return count_; }
  QSlider* slider() const { return slider_; }
  QLabel* numberLabel() const { return number_; }
  QLabel* dateLabel() const { return date_; }
  QLabel* valueLabel() const { return value_; }
  CChartRecordView* chart() const { return chart_; }
  CColourSwatch* swatch() const { return swatch_; }
  const CChartRecord& rules() const { return rules_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ApplyTexts();
  void OnChoose(int index);
  void OnDraw();
  void OnClear();
  void OnChangeColour();
  void OnRangeChoice();
  void UpdateMarker();
  ChartRange Range() const;
  std::string T(const char* key, const char* def) const;

  Lookup lookup_;
  CChartRecord rules_;
  ColourPicker colourPicker_;
  QColor lineColour_;

  QGroupBox* setting_ = nullptr;
  QLabel* colourCaption_ = nullptr;
  CColourSwatch* swatch_ = nullptr;
  QPushButton* changeColour_ = nullptr;
  QLabel* countCaption_ = nullptr;
  QLabel* count_ = nullptr;
  QRadioButton* all_ = nullptr;
  QRadioButton* stretch_ = nullptr;
  QButtonGroup* rangeGroup_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLabel* toCaption_ = nullptr;
  QLineEdit* to_ = nullptr;
  QLabel* unit_ = nullptr;
  QPushButton* draw_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* exit_ = nullptr;
  QComboBox* recordList_ = nullptr;
  CChartRecordView* chart_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* number_ = nullptr;
  QLabel* date_ = nullptr;
  QLabel* value_ = nullptr;
};

}  // namespace zc::fp
