#include "records/view_record_dlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace zc::fp {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The grid's column widths, given in twips (1/1440 inch) and shown at 96 dots per inch.
constexpr int kColumnTwips[] = {800, 2200, 1300};
constexpr int TwipsToPixels(int twips) {
  return twips / 15;
}

}  // namespace

int CRecordGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CRecordGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant CRecordGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  if (role == Qt::TextAlignmentRole) {
    return index.column() == 0 ? QVariant(Qt::AlignCenter)
                               : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  const CGridRow& row = rows_[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0:
      return index.row() + 1;
    case 1:
      return QString::fromLatin1(row.value.data(), static_cast<qsizetype>(row.value.size()));
    default:
      return QString::fromLatin1(row.time.data(), static_cast<qsizetype>(row.time.size()));
  }
}

QVariant CRecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"", "Value", "Time"};
  return section >= 0 && section < 3 ? QVariant(QString(kHeadings[section])) : QVariant();
}

void CRecordGridModel::Reload() {
  beginResetModel();
  endResetModel();
}

CViewRecordDlg::CViewRecordDlg(CUserInterface& ui, TextLookupFn lookup, QWidget* parent)
    : QDialog(parent), ui_(ui), view_(ui, std::move(lookup)) {
  setModal(true);
  model_ = new CRecordGridModel(view_.grid, this);

  const auto named = [](QWidget* w, const char* name) {
    w->setObjectName(name);
    return w;
  };
  listCaption_ = new QLabel;
  list_ = static_cast<QListWidget*>(named(new QListWidget, "recordList"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setMinimumWidth(330);
  refresh_ = static_cast<QPushButton*>(named(new QPushButton, "refreshButton"));
  delete_ = static_cast<QPushButton*>(named(new QPushButton, "deleteButton"));
  csv_ = static_cast<QPushButton*>(named(new QPushButton, "csvButton"));
  search_ = static_cast<QPushButton*>(named(new QPushButton, "searchButton"));
  exit_ = static_cast<QPushButton*>(named(new QPushButton, "exitButton"));
  for (QPushButton* b : {refresh_, delete_, csv_, search_, exit_}) b->setAutoDefault(false);

  countCaption_ = new QLabel;
  maxCaption_ = new QLabel;
  minCaption_ = new QLabel;
  meanCaption_ = new QLabel;
  countText_ = static_cast<QLabel*>(named(new QLabel, "countText"));
  maxText_ = static_cast<QLabel*>(named(new QLabel, "maxText"));
  minText_ = static_cast<QLabel*>(named(new QLabel, "minText"));
  meanText_ = static_cast<QLabel*>(named(new QLabel, "meanText"));
  for (QLabel* l : {countText_, maxText_, minText_, meanText_}) {
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  rangeCaption_ = new QLabel;
  ranges_ = static_cast<QComboBox*>(named(new QComboBox, "rangeList"));
  ranges_->setEditable(true);  // a drop-down whose text may be typed; only a choice acts
  ranges_->setInsertPolicy(QComboBox::NoInsert);

  grid_ = static_cast<QTableView*>(named(new QTableView, "grid"));
  grid_->setModel(model_);
  grid_->verticalHeader()->hide();
  // Fixed row heights: a page of 10000 rows is laid out without measuring each one.
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int c = 0; c < 3; ++c) grid_->setColumnWidth(c, TwipsToPixels(kColumnTwips[c]));
  grid_->setMinimumWidth(TwipsToPixels(800 + 2200 + 1300) + 40);

  upperCaption_ = new QLabel;
  lowerCaption_ = new QLabel;
  upper_ = static_cast<QLineEdit*>(named(new QLineEdit, "upperEdit"));
  lower_ = static_cast<QLineEdit*>(named(new QLineEdit, "lowerEdit"));

  // Left: the list and its buttons. Right: the record's contents, the filter, Exit.
  auto* left = new QVBoxLayout;
  left->addWidget(listCaption_);
  left->addWidget(list_, 1);
  auto* listButtons = new QHBoxLayout;
  listButtons->addWidget(refresh_);
  listButtons->addWidget(delete_);
  listButtons->addWidget(csv_);
  left->addLayout(listButtons);

  contentsBox_ = new QGroupBox;
  auto* contents = new QGridLayout(contentsBox_);
  contents->addWidget(countCaption_, 0, 0);
  contents->addWidget(countText_, 0, 1);
  contents->addWidget(maxCaption_, 1, 0);
  contents->addWidget(maxText_, 1, 1);
  contents->addWidget(minCaption_, 2, 0);
  contents->addWidget(minText_, 2, 1);
  contents->addWidget(meanCaption_, 3, 0);
  contents->addWidget(meanText_, 3, 1);
  contents->addWidget(rangeCaption_, 4, 0);
  contents->addWidget(ranges_, 4, 1);
  contents->addWidget(grid_, 0, 2, 6, 1);
  contents->setRowStretch(5, 1);
  contents->setColumnStretch(1, 1);
  contents->setColumnStretch(2, 2);

  filterBox_ = new QGroupBox;
  auto* filter = new QHBoxLayout(filterBox_);
  filter->addWidget(upperCaption_);
  filter->addWidget(upper_);
  filter->addWidget(lowerCaption_);
  filter->addWidget(lower_);
  filter->addWidget(search_);

  auto* right = new QVBoxLayout;
  right->addWidget(contentsBox_, 1);
  right->addWidget(filterBox_);
  auto* exitRow = new QHBoxLayout;
  exitRow->addStretch(1);
  exitRow->addWidget(exit_);
  right->addLayout(exitRow);

  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addLayout(right, 1);
  resize(980, 480);

  askDelete = [this](const QString& question) {
    QMessageBox box(QMessageBox::Information, Q(messageCaption), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
  };
  chooseCsvFile = [this] {
    return QFileDialog::getSaveFileName(this, QString(), QString(), "CSV Files(*.CSV)", nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  };

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    view_.SelectRecord(row);
    Sync();
  });
  connect(ranges_, &QComboBox::currentIndexChanged, this, [this](int index) {
    view_.SelectRange(index);
    Sync();
  });
  connect(upper_, &QLineEdit::textChanged, this,
          [this](const QString& t) { view_.upperText = t.toStdString(); });
  connect(lower_, &QLineEdit::textChanged, this,
          [this](const QString& t) { view_.lowerText = t.toStdString(); });
  connect(refresh_, &QPushButton::clicked, this, &CViewRecordDlg::OnRefresh);
  connect(delete_, &QPushButton::clicked, this, &CViewRecordDlg::OnDelete);
  connect(csv_, &QPushButton::clicked, this, &CViewRecordDlg::OnCsv);
  connect(search_, &QPushButton::clicked, this, &CViewRecordDlg::OnSearch);
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

void CViewRecordDlg::showEvent(QShowEvent* event) {
  // Only the dialog's own showing, not the window system's (restoring it from an icon, say).
  if (!event->spontaneous()) {
    ApplyTexts();
    view_.Open();
    Sync();
  }
  QDialog::showEvent(event);
}

void CViewRecordDlg::ApplyTexts() {
  const auto T = [this](const char* key, const char* def) { return Q(view_.Text(key, def)); };
  setWindowTitle(T("711", "View Record"));
  listCaption_->setText(T("712", "Record List"));
  refresh_->setText(T("713", "Refresh"));
  delete_->setText(T("714", "Delete Record"));
  csv_->setText(T("715", "Output to CSV"));
  contentsBox_->setTitle(T("716", "Record Contents"));
  countCaption_->setText(T("717", "Data Quantity :"));
  maxCaption_->setText(T("718", "MAX :"));
  minCaption_->setText(T("719", "MIN :"));
  meanCaption_->setText(T("720", "AVG :"));
  filterBox_->setTitle(T("721", "Data Filter"));
  upperCaption_->setText(T("722", "HI Limiter"));
  lowerCaption_->setText(T("723", "LO Limiter"));
  rangeCaption_->setText(T("724", "Range browsing"));
  search_->setText(T("725", "Search"));
  exit_->setText(T("726", "Exit"));
}

// Shows the view's state. Signals are held back: only the user's own choices act.
void CViewRecordDlg::Sync() {
  {
    const QSignalBlocker block(list_);
    if (list_->count() != static_cast<int>(view_.records.size())) {
      list_->clear();
      for (const CRecordEntry& e : view_.records) list_->addItem(Q(e.text));
    } else {
      for (int i = 0; i < list_->count(); ++i) list_->item(i)->setText(Q(view_.records[i].text));
    }
    list_->setCurrentRow(view_.selectedRecord);
  }
  {
    const QSignalBlocker block(ranges_);
    QStringList items;
    for (const std::string& r : view_.ranges) items << Q(r);
    QStringList shown;
    for (int i = 0; i < ranges_->count(); ++i) shown << ranges_->itemText(i);
    if (items != shown) {
      ranges_->clear();
      ranges_->addItems(items);
    }
    ranges_->setCurrentIndex(view_.selectedRange);
  }
  countText_->setText(Q(view_.countText));
  maxText_->setText(Q(view_.maxText));
  minText_->setText(Q(view_.minText));
  meanText_->setText(Q(view_.meanText));
  {
    const QSignalBlocker blockUpper(upper_), blockLower(lower_);
    if (upper_->text().toStdString() != view_.upperText) upper_->setText(Q(view_.upperText));
    if (lower_->text().toStdString() != view_.lowerText) lower_->setText(Q(view_.lowerText));
  }
  delete_->setEnabled(view_.deleteEnabled);
  csv_->setEnabled(view_.csvEnabled);
  upper_->setEnabled(view_.limitsEnabled);
  lower_->setEnabled(view_.limitsEnabled);
  model_->Reload();
  grid_->scrollToTop();
}

void CViewRecordDlg::OnRefresh() {
  view_.Refresh();
  Sync();
}

void CViewRecordDlg::OnDelete() {
  if (view_.SelectedPath().empty()) return;
  if (!askDelete(Q(view_.DeleteQuestion()))) return;
  view_.DeleteSelected();
  Sync();
}

void CViewRecordDlg::OnCsv() {
  if (view_.SelectedPath().empty()) return;
  const QString chosen = chooseCsvFile();
  if (chosen.isEmpty()) return;
  // Shown only when the export takes a while; it follows the lines written.
  QProgressDialog progress(Q(view_.Text("715", "Output to CSV")), QString(), 0, 1000, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  progress.setAutoClose(true);
  view_.ExportCsv(chosen.toStdString(), [&progress](std::int64_t done, std::int64_t total) {
    progress.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 1000);
  });
  progress.setValue(1000);
}

void CViewRecordDlg::OnSearch() {
  view_.upperText = upper_->text().toStdString();
  view_.lowerText = lower_->text().toStdString();
  view_.Search();
  Sync();
}

}  // namespace zc::fp
