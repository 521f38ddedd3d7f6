// The View Record dialog: the record list, a record's statistics and pages of readings, the value
// filter, Delete Record and Output to CSV. The behaviour is CViewRecord's; this shows it.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

#include "app/user_interface.h"
#include "records/view_record.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

namespace zc::fp {

// The grid's rows: the readings of one page or of the last search, at most kPageSize of them.
// Column 0 numbers the rows from 1; the header is the grid's heading row.
class CRecordGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CRecordGridModel(const std::vector<CGridRow>& rows, QObject* parent = nullptr)
      : QAbstractTableModel(parent), rows_(rows) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Rows as the grid counts them: the heading row and the readings, at most kMaxGridRows.
  int gridRowCount() const { return rowCount() + 1; }
  void Reload();

 private:
  const std::vector<CGridRow>& rows_;
};

class CViewRecordDlg : public QDialog {
  Q_OBJECT
 public:
  CViewRecordDlg(CUserInterface& ui, TextLookupFn lookup, QWidget* parent = nullptr);

  // The dialog's state, also for tests.
  CViewRecord& view() { return view_; }
  const CRecordGridModel& gridModel() const { return *model_; }

  // The Delete question (true: Yes) and the Save As step (empty: cancelled). Both are the real
  // dialogs unless replaced; tests answer them themselves.
  std::function<bool(const QString& question)> askDelete;
  std::function<QString()> chooseCsvFile;

 protected:
  // Every showing rebuilds the list, the grid and the statistics; the limit texts stay.
  void showEvent(QShowEvent* event) override;

 private:
  void ApplyTexts();
  void Sync();
  void OnRefresh();
  void OnDelete();
  void OnCsv();
  void OnSearch();

  CUserInterface& ui_;
  CViewRecord view_;
  CRecordGridModel* model_;

  QLabel *listCaption_, *countCaption_, *maxCaption_, *minCaption_, *meanCaption_;
  QLabel *countText_, *maxText_, *minText_, *meanText_;
  QLabel *upperCaption_, *lowerCaption_, *rangeCaption_;
  QGroupBox *contentsBox_, *filterBox_;
  QListWidget* list_;
  QComboBox* ranges_;
  QTableView* grid_;
  QLineEdit *upper_, *lower_;
  QPushButton *refresh_, *delete_, *csv_, *search_, *exit_;
};

}  // namespace zc::fp
