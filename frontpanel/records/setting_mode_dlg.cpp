#include "records/setting_mode_dlg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/colour_swatch.h"
#include "records/record_files.h"
#include "records/setting_mode.h"
#include "resources/artwork.h"

namespace zc::fp {

namespace {
QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
}  // namespace

CSettingModeDlg::CSettingModeDlg(CUserInterface& ui, Lookup lookup, QWidget* parent)
    : QDialog(parent), ui_(ui), lookup_(std::move(lookup)) {
  chooseColour = [](const QColor& initial, QWidget* p) {
    return QColorDialog::getColor(initial, p);
  };
  auto* layout = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  head->addWidget(icon);
  head->addWidget(
      new QLabel(QStringLiteral("Reading Mode can be set to save data from a device.")));
  head->addStretch();
  layout->addLayout(head);

  auto* frame = new QGroupBox;
  auto* grid = new QGridLayout(frame);
  colourLabel_ = new QLabel(QStringLiteral("Color Print"));
  swatch_ = new CColourSwatch;
  swatch_->setFixedSize(48, 20);
  changeColour_ = new QPushButton(QStringLiteral("Change Color"));
  grid->addWidget(colourLabel_, 0, 0);
  grid->addWidget(swatch_, 0, 1);
  grid->addWidget(changeColour_, 0, 2);
  save_ = new QCheckBox(QStringLiteral("Save"));
  records_ = new QComboBox;
  records_->setEditable(true);
  records_->setInsertPolicy(QComboBox::NoInsert);
  records_->setMinimumWidth(260);
  grid->addWidget(save_, 1, 0);
  grid->addWidget(records_, 1, 1, 1, 2);
  layout->addWidget(frame);

  ok_ = new QPushButton(QStringLiteral("OK"));
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  layout->addLayout(buttons);

  connect(changeColour_, &QPushButton::clicked, this, [this] { OnChangeColour(); });
  connect(save_, &QCheckBox::clicked, this, [this](bool checked) { OnSaveClicked(checked); });
  connect(records_, &QComboBox::activated, this, [this](int index) { recordNumber = index + 1; });
  connect(ok_, &QPushButton::clicked, this, [this] { OnOk(); });
}

void CSettingModeDlg::Open() {
  swatch_->SetColour(colour);
  entries_.clear();
  records_->clear();
  save_->setEnabled(true);
  std::string folder;
  if (!EnterRecordFolder(&folder)) {
    ui_.ShowMessage(kFolderNotFound, "Database check", MessageIcon::None);
    save_->setEnabled(false);
  } else {
    entries_ = SettingModeEntries(folder);
    for (const std::string& e : entries_) records_->addItem(Q(e));
  }
  setWindowTitle(Q(lookup_("652", "Setting Mode")));
  colourLabel_->setText(Q(lookup_("701", "Color Print")));
  changeColour_->setText(Q(lookup_("702", "Change Color")));
  save_->setText(Q(lookup_("703", "Save")));
  ok_->setText(Q(lookup_("003", "OK")));
  if (deviceCount == 0) save_->setEnabled(false);
  if (recordNumber >= 1 && recordNumber <= static_cast<int>(entries_.size())) {
    records_->setCurrentIndex(recordNumber - 1);
  } else {
    records_->setCurrentIndex(-1);
    records_->setEditText(Q(lookup_("704", "Please select a record.")));
  }
  save_->setChecked(false);
  records_->setEnabled(false);
}

void CSettingModeDlg::OnSaveClicked(bool checked) {
  records_->setEnabled(checked);
  saveFlag = checked;
}

void CSettingModeDlg::OnOk() {
  const std::string prompt = lookup_("704", "Please select a record.");
  if (save_->isChecked()) {
    // Typed text that names no record is treated like the prompt: there is nothing to save to.
    const int chosen = ChosenRecord(entries_, records_->currentText().toStdString());
    if (chosen == 0) {
      ui_.ShowMessage(prompt, messageCaption, MessageIcon::Exclamation);
      return;
    }
    saveFlag = true;
    recordNumber = chosen;
  } else {
    saveFlag = false;
  }
  accept();
}

void CSettingModeDlg::OnChangeColour() {
  const QColor chosen = chooseColour(Qt::black, this);
  if (chosen.isValid()) {
    colour = chosen;
    swatch_->SetColour(colour);
  }
}

void CSettingModeDlg::done(int result) {
  // However the dialog closes, saving follows the box as it is now.
  saveFlag = save_->isChecked();
  QDialog::done(result);
}

}  // namespace zc::fp
