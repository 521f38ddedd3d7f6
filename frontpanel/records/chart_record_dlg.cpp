#include "records/chart_record_dlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <climits>

#include "resources/artwork.h"

namespace zc::fp {
namespace {

// Plain 32-bit pixels: the aliased one-pixel pen needs no blending.
constexpr QImage::Format kFormat = QImage::Format_RGB32;
const QColor kCyan(0, 255, 255);

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

CChartRecordView::CChartRecordView(QWidget* parent) : QWidget(parent) {
  grid_ = ChartRecordGrid().toImage().convertToFormat(kFormat);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the picture covers every pixel
  setFixedSize(kWidth, kHeight);
}

void CChartRecordView::Reset() {
  snapshot_ = QImage();
  marker_.reset();
  update();
}

void CChartRecordView::DrawCurve(const std::vector<CPlotPoint>& points, const QColor& colour) {
  QImage image = snapshot_.isNull() ? grid_.copy() : snapshot_;
  if (points.size() >= 2) {
    QPolygon line(static_cast<int>(points.size()));
    for (int i = 0; i < line.size(); ++i) line[i] = QPoint(points[i].x, points[i].y);
    QPainter painter(&image);
    QPen pen(colour, 1, Qt::SolidLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPolyline(line);
  }
  snapshot_ = image;
  update();
}

void CChartRecordView::ClearToGrid() {
  snapshot_ = grid_.copy();
  marker_.reset();
  update();
}

void CChartRecordView::SetMarker(std::optional<QRect> marker) {
  if (marker_ == marker) return;
  marker_ = marker;
  update();
}

void CChartRecordView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), snapshot_.isNull() ? grid_ : snapshot_, event->rect());
  if (marker_) {
    // A one-pixel white outline around black, filled rather than stroked so the edges land on
    // exactly the marker's pixels even where it overhangs the chart.
    painter.fillRect(*marker_, Qt::white);
    painter.fillRect(marker_->adjusted(1, 1, -1, -1), Qt::black);
  }
}

CChartRecordDlg::CChartRecordDlg(CUserInterface& ui, Lookup lookup, QWidget* parent)
    : QDialog(parent),
      lookup_(std::move(lookup)),
      rules_(ui, lookup_ ? lookup_ : Lookup([](const std::string&, const std::string& def) {
               return def;
             }),
             CChartRecordView::kWidth, CChartRecordView::kHeight),
      lineColour_(kCyan) {
  colourPicker_ = [](const QColor& initial, QWidget* owner) {
    return QColorDialog::getColor(initial, owner);
  };
  const auto place = [this](QWidget* w, int x, int y, int width, int height) {
    w->setParent(this);
    w->setGeometry(x, y, width, height);
  };
  setting_ = new QGroupBox;
  place(setting_, 10, 8, 200, 330);
  colourCaption_ = new QLabel;
  place(colourCaption_, 22, 34, 100, 20);
  swatch_ = new CColourSwatch;
  place(swatch_, 130, 35, 40, 18);
  changeColour_ = new QPushButton;
  place(changeColour_, 22, 62, 176, 28);
  countCaption_ = new QLabel;
  place(countCaption_, 22, 104, 110, 20);
  count_ = new QLabel;
  place(count_, 132, 104, 70, 20);
  all_ = new QRadioButton;
  place(all_, 18, 136, 186, 22);
  stretch_ = new QRadioButton;
  place(stretch_, 18, 162, 186, 22);
  rangeGroup_ = new QButtonGroup(this);
  rangeGroup_->addButton(all_);
  rangeGroup_->addButton(stretch_);
  from_ = new QLineEdit;
  place(from_, 36, 190, 64, 24);
  toCaption_ = new QLabel;
  toCaption_->setAlignment(Qt::AlignCenter);
  place(toCaption_, 100, 190, 26, 24);
  to_ = new QLineEdit;
  place(to_, 126, 190, 64, 24);
  unit_ = new QLabel;
  place(unit_, 126, 216, 64, 18);
  draw_ = new QPushButton;
  place(draw_, 22, 246, 176, 30);
  clear_ = new QPushButton;
  place(clear_, 22, 290, 176, 30);
  exit_ = new QPushButton;
  place(exit_, 22, 386, 176, 30);

  recordList_ = new QComboBox;
  recordList_->setEditable(true);
  recordList_->setInsertPolicy(QComboBox::NoInsert);
  place(recordList_, 222, 10, CChartRecordView::kWidth, 26);
  chart_ = new CChartRecordView;
  place(chart_, 222, 44, CChartRecordView::kWidth, CChartRecordView::kHeight);
  slider_ = new QSlider(Qt::Horizontal);
  slider_->setTickPosition(QSlider::NoTicks);
  place(slider_, 218, 386, CChartRecordView::kWidth + 8, 24);
  number_ = new QLabel;
  place(number_, 222, 416, 90, 22);
  date_ = new QLabel;
  place(date_, 320, 416, 240, 22);
  value_ = new QLabel;
  value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  place(value_, 566, 416, 240, 22);
  for (QLabel* l : {number_, date_, value_, count_})
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setFixedSize(818, 448);

  connect(recordList_, &QComboBox::currentIndexChanged, this, &CChartRecordDlg::OnChoose);
  connect(draw_, &QPushButton::clicked, this, &CChartRecordDlg::OnDraw);
  connect(clear_, &QPushButton::clicked, this, &CChartRecordDlg::OnClear);
  connect(changeColour_, &QPushButton::clicked, this, &CChartRecordDlg::OnChangeColour);
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
  connect(all_, &QRadioButton::clicked, this, &CChartRecordDlg::OnRangeChoice);
  connect(stretch_, &QRadioButton::clicked, this, &CChartRecordDlg::OnRangeChoice);
  connect(slider_, &QSlider::valueChanged, this, &CChartRecordDlg::UpdateMarker);
}

std::string CChartRecordDlg::T(const char* key, const char* def) const {
  return lookup_ ? lookup_(key, def) : std::string(def);
}

void CChartRecordDlg::ApplyTexts() {
  setWindowTitle(Q(T("741", "Chart Record")));
  setting_->setTitle(Q(T("742", "Setting")));
  colourCaption_->setText(Q(T("743", "Color Print")));
  changeColour_->setText(Q(T("744", "Change Color")));
  countCaption_->setText(Q(T("745", "Data Quantity\uFF1A")));
  draw_->setText(Q(T("747", "Draw")));
  clear_->setText(Q(T("748", "Clear")));
  all_->setText(Q("  " + T("749", "Drawing with all")));
  stretch_->setText(Q("  " + T("750", "Drawing data from")));
  toCaption_->setText(Q(T("751", "to")));
  unit_->setText(Q(T("752", "")));
  exit_->setText(Q(T("753", "Exit")));
}

void CChartRecordDlg::showEvent(QShowEvent* event) {
  // A window coming back from being minimised is not a new showing.
  if (!event->spontaneous()) Open();
  QDialog::showEvent(event);
}

void CChartRecordDlg::Open() {
  ApplyTexts();
  rules_.Open();
  {
    const QSignalBlocker block(recordList_);
    recordList_->clear();
    for (const std::string& entry : rules_.entries()) recordList_->addItem(Q(entry));
    recordList_->setCurrentIndex(-1);
    recordList_->setEditText(Q(rules_.ListPrompt()));
  }
  all_->setChecked(true);
  OnRangeChoice();
  for (QLineEdit* e : {from_, to_}) e->clear();
  for (QLabel* l : {count_, number_, date_, value_}) l->clear();
  chart_->Reset();
  lineColour_ = kCyan;
  swatch_->SetColour(lineColour_);
  draw_->setEnabled(false);
  clear_->setEnabled(true);
  const QSignalBlocker block(slider_);
  slider_->setRange(0, 100);
  slider_->setValue(0);
}

ChartRange CChartRecordDlg::Range() const {
  return all_->isChecked() ? ChartRange::All : ChartRange::Stretch;
}

void CChartRecordDlg::OnRangeChoice() {
  const bool stretch = Range() == ChartRange::Stretch;
  from_->setEnabled(stretch);
  to_->setEnabled(stretch);
}

void CChartRecordDlg::OnChoose(int index) {
  if (index < 0) return;
  rules_.Choose(recordList_->itemText(index).toStdString());
  count_->setText(Q(rules_.countText()));
  draw_->setEnabled(true);
}

void CChartRecordDlg::OnDraw() {
  clear_->setEnabled(false);
  const CChartRecord::DrawOutcome outcome =
      rules_.Draw(Range(), from_->text().toStdString(), to_->text().toStdString());
  if (outcome.sliderMaximum) {
    const QSignalBlocker block(slider_);  // the marker follows once the curve is there
    slider_->setMaximum(static_cast<int>(std::min<std::int64_t>(*outcome.sliderMaximum, INT_MAX)));
  }
  if (outcome.drawn) chart_->DrawCurve(rules_.curve().points, lineColour_);
  clear_->setEnabled(true);
  UpdateMarker();
}

void CChartRecordDlg::OnClear() {
  chart_->ClearToGrid();
  rules_.Clear();
}

void CChartRecordDlg::OnChangeColour() {
  // Starts from black, not from the current colour.
  const QColor chosen = colourPicker_ ? colourPicker_(Qt::black, this) : QColor();
  if (chosen.isValid()) lineColour_ = chosen;
  swatch_->SetColour(lineColour_);
  chart_->update();  // the curve keeps the colour it was drawn in
}

void CChartRecordDlg::UpdateMarker() {
  if (!rules_.drawn()) {
    chart_->SetMarker(std::nullopt);
    return;
  }
  const std::optional<CChartMarker> m = rules_.Marker(
      slider_->value(), Range(), from_->text().toStdString(), to_->text().toStdString());
  if (!m) {
    chart_->SetMarker(std::nullopt);
    return;
  }
  number_->setText(Q(m->numberText));
  value_->setText(Q(m->valueText));
  date_->setText(Q(m->dateText));
  chart_->SetMarker(QRect(m->left, m->top, m->right - m->left, m->bottom - m->top));
}

}  // namespace zc::fp
