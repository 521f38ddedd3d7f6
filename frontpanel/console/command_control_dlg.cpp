#include "console/command_control_dlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

#include "app/dialog_units.h"

namespace zc::fp {

namespace {
QString Q(const std::string& s) {
  return QString::fromStdString(s);
}
}  // namespace

CCommandControlDlg::CCommandControlDlg(CUserInterface& ui, CConsoleDeviceTable& devices,
                                       Lookup lookup, QWidget* parent)
    : QDialog(parent), console_(ui, devices), lookup_(std::move(lookup)) {
  const CDialogUnits du(font());
  auto* layout = new QVBoxLayout(this);

  devices_ = new QComboBox;
  // Editable only so that "No Device Connected" can stand in its field; nothing is typed there.
  devices_->setEditable(true);
  devices_->lineEdit()->setReadOnly(true);
  devices_->setInsertPolicy(QComboBox::NoInsert);
  devices_->setMinimumWidth(du.X(150));
  layout->addWidget(devices_);

  sendLabel_ = new QLabel(QStringLiteral("Send String :"));
  layout->addWidget(sendLabel_);

  // The history lies under the send field and is a little wider, so once shown only its
  // drop-down button shows, beside the field.
  auto* stack = new QWidget;
  history_ = new QComboBox(stack);
  send_ = new QLineEdit(stack);
  const int height = std::max(history_->sizeHint().height(), send_->sizeHint().height());
  history_->setGeometry(0, 0, du.X(150), height);
  send_->setGeometry(0, 0, du.X(140), height);
  send_->raise();
  stack->setFixedSize(du.X(150), height);
  history_->hide();
  layout->addWidget(stack);

  auto* buttons = new QHBoxLayout;
  query_ = new QPushButton(QStringLiteral("Query"));
  write_ = new QPushButton(QStringLiteral("Write"));
  read_ = new QPushButton(QStringLiteral("Read"));
  query_->setDefault(true);  // Enter in the send field asks
  buttons->addWidget(query_);
  buttons->addWidget(write_);
  buttons->addWidget(read_);
  buttons->addStretch();
  layout->addLayout(buttons);

  receivedLabel_ = new QLabel(QStringLiteral("String Received :"));
  layout->addWidget(receivedLabel_);
  received_ = new QPlainTextEdit;
  received_->setReadOnly(true);
  received_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  received_->setMinimumSize(du.X(150), du.Y(60));
  layout->addWidget(received_);

  exit_ = new QPushButton(QStringLiteral("Exit"));
  exit_->setAutoDefault(false);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(exit_);
  layout->addLayout(bottom);

  connect(devices_, &QComboBox::activated, this,
          [this](int index) { console_.SelectDevice(index); });
  connect(history_, &QComboBox::activated, this, [this](int index) { OnHistoryChosen(index); });
  connect(query_, &QPushButton::clicked, this, [this] { OnQuery(); });
  connect(write_, &QPushButton::clicked, this, [this] { OnWrite(); });
  connect(read_, &QPushButton::clicked, this, [this] { OnRead(); });
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

void CCommandControlDlg::Open() {
  console_.Open();
  devices_->clear();
  for (const std::string& name : console_.DeviceNames()) devices_->addItem(Q(name));
  const bool any = console_.HasDevice();
  if (any) {
    devices_->setCurrentIndex(console_.selection());
  } else {
    devices_->setCurrentIndex(-1);
    devices_->setEditText(Q(lookup_("771", "No Device Connected")));
  }
  for (QWidget* w :
       std::initializer_list<QWidget*>{devices_, send_, received_, query_, write_, read_}) {
    w->setEnabled(any);
  }

  setWindowTitle(Q(lookup_("772", "Command Control")));
  sendLabel_->setText(Q(lookup_("773", "Send String :")));
  receivedLabel_->setText(Q(lookup_("774", "String Received :")));
  query_->setText(Q(lookup_("775", "Query")));
  write_->setText(Q(lookup_("776", "Write")));
  read_->setText(Q(lookup_("777", "Read")));
  exit_->setText(Q(lookup_("753", "Exit")));

  ShowHistory();
  ShowTexts();
}

void CCommandControlDlg::OnQuery() {
  console_.sendText = send_->text().toStdString();
  console_.Query();
  ShowHistory();
  ShowTexts();
  send_->setFocus();
}

void CCommandControlDlg::OnWrite() {
  console_.sendText = send_->text().toStdString();
  console_.Write();
  ShowHistory();
  ShowTexts();
  send_->setFocus();
}

void CCommandControlDlg::OnRead() {
  console_.sendText = send_->text().toStdString();
  console_.Read();
  ShowTexts();
}

void CCommandControlDlg::OnHistoryChosen(int index) {
  console_.ChooseHistory(index);
  send_->setText(Q(console_.sendText));
}

void CCommandControlDlg::ShowTexts() {
  send_->setText(Q(console_.sendText));
  received_->setPlainText(Q(console_.receivedText));
}

void CCommandControlDlg::ShowHistory() {
  history_->clear();
  for (const std::string& entry : console_.history()) history_->addItem(Q(entry));
  history_->setCurrentIndex(console_.historySelection());
  history_->setVisible(console_.historyVisible());
  send_->raise();
}

}  // namespace zc::fp
