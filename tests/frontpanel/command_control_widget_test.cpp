// Command Control on the offscreen platform against simulated counters found by the front
// panel's own discovery.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>

#include "console/command_control_dlg.h"
#include "instrument/device_manager.h"
#include "recording_ui.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
const std::string kGpib22 = "[GPIB0::22::INSTR]\nsimulate = zc4100\nmax_wait_ms = 50\n";
const QString kIdn = QStringLiteral("Zarnith,ZC4100,AB12345678,1.03\n");

std::string English(const std::string&, const std::string& def) {
  return def;
}

class CommandControlTest : public ::testing::Test {
 protected:
  void SetUp() override { zc::visa::ResetSimulatedInstruments(); }
  void OpenOn(const std::string& config) {
    SimConfig sim(config);
    dev.DiscoverDevices();
    dlg.Open();
    dlg.show();
  }
  void Send(const QString& text, QPushButton* button) {
    dlg.sendEdit()->setText(text);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  QStringList Items(QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    return items;
  }
  std::vector<QWidget*> CommandControls() {
    return {dlg.deviceList(),  dlg.sendEdit(),    dlg.receivedEdit(),
            dlg.queryButton(), dlg.writeButton(), dlg.readButton()};
  }

  CRecordingUi ui;
  CConsoleDeviceTable table;
  CDeviceManager dev{ui, table};
  CCommandControlDlg dlg{ui, table, English};
};

TEST_F(CommandControlTest, OpensOnTheFirstInstrumentAndQueriesIt) {
  OpenOn(kGpib22 + SimUsb(kUsbName));
  EXPECT_EQ(Items(dlg.deviceList()),
            (QStringList{"ZC4100--GPIB--22", "ZC4100--USBTMC--AB12345678"}));
  EXPECT_EQ(dlg.deviceList()->currentIndex(), 0);
  for (QWidget* w : CommandControls()) EXPECT_TRUE(w->isEnabled());
  EXPECT_EQ(dlg.sendEdit()->text(), "*IDN?");
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), "");
  EXPECT_TRUE(dlg.receivedEdit()->isReadOnly());
  EXPECT_FALSE(dlg.historyBox()->isVisible());
  EXPECT_EQ(dlg.windowTitle(), "Command Control");

  auto counter = zc::visa::SimulatedInstrument("GPIB0::22::INSTR");
  counter->ClearReceived();
  QTest::mouseClick(dlg.queryButton(), Qt::LeftButton);
  EXPECT_EQ(counter->Received(), std::vector<std::string>{"*IDN?\n"});
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), kIdn);
  EXPECT_EQ(dlg.sendEdit()->text(), "*IDN?");
  EXPECT_TRUE(dlg.historyBox()->isVisible());
  EXPECT_EQ(Items(dlg.historyBox()), QStringList{"*IDN?"});
  EXPECT_EQ(dlg.focusWidget(), dlg.sendEdit());

  // The send field covers the history but for its drop-down button.
  const QRect field = dlg.sendEdit()->geometry(), history = dlg.historyBox()->geometry();
  EXPECT_EQ(field.topLeft(), history.topLeft());
  EXPECT_LT(field.width(), history.width());
  EXPECT_EQ(dlg.sendEdit()->parentWidget()->childAt(field.center()), dlg.sendEdit());
  EXPECT_EQ(dlg.sendEdit()->parentWidget()->childAt(history.right() - 2, history.center().y()),
            dlg.historyBox());
}

TEST_F(CommandControlTest, ChoosingTheSecondInstrumentSendsThere) {
  OpenOn(kGpib22 + SimUsb(kUsbName));
  auto usb = zc::visa::SimulatedInstrument(kUsbName);
  usb->ClearReceived();
  dlg.deviceList()->setFocus();
  QTest::keyClick(dlg.deviceList(), Qt::Key_Down);
  ASSERT_EQ(dlg.deviceList()->currentIndex(), 1);
  QTest::mouseClick(dlg.queryButton(), Qt::LeftButton);
  EXPECT_EQ(usb->Received(), std::vector<std::string>{"*IDN?\n"});
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), kIdn);
}

TEST_F(CommandControlTest, WriteThenReadAndHistoryPicks) {
  OpenOn(SimUsb(kUsbName));
  Send("A", dlg.writeButton());
  Send("*IDN?", dlg.writeButton());
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), "");
  QTest::mouseClick(dlg.readButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), kIdn);
  Send("A", dlg.writeButton());
  EXPECT_EQ(Items(dlg.historyBox()), (QStringList{"A", "*IDN?"}));
  EXPECT_EQ(dlg.historyBox()->currentIndex(), 0);

  // Picking an older entry puts it into the send field.
  QTest::keyClick(dlg.historyBox(), Qt::Key_Down);
  EXPECT_EQ(dlg.sendEdit()->text(), "*IDN?");
  QTest::mouseClick(dlg.queryButton(), Qt::LeftButton);
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), kIdn);
  EXPECT_EQ(Items(dlg.historyBox()), (QStringList{"*IDN?", "A"}));

  // Each showing starts afresh.
  dlg.Open();
  EXPECT_FALSE(dlg.historyBox()->isVisible());
  EXPECT_EQ(dlg.historyBox()->count(), 0);
  EXPECT_EQ(dlg.sendEdit()->text(), "*IDN?");
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), "");
}

TEST_F(CommandControlTest, LongRepliesUsbEmptyGpibWhole) {
  OpenOn(kGpib22 + SimUsb(kUsbName));
  const QString five = "*IDN?;*IDN?;*IDN?;*IDN?;*IDN?";
  Send(five, dlg.queryButton());
  const QString one = kIdn.chopped(1);
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(),
            one + ";" + one + ";" + one + ";" + one + ";" + one + "\n");
  dlg.deviceList()->setFocus();
  QTest::keyClick(dlg.deviceList(), Qt::Key_Down);
  Send(five, dlg.queryButton());
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), "");
  Send("*IDN?", dlg.queryButton());
  EXPECT_EQ(dlg.receivedEdit()->toPlainText(), kIdn);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CommandControlTest, WithoutInstrumentsOnlyExitIsLeft) {
  OpenOn("");
  EXPECT_EQ(dlg.deviceList()->currentText(), "No Device Connected");
  for (QWidget* w : CommandControls()) EXPECT_FALSE(w->isEnabled());
  EXPECT_TRUE(dlg.exitButton()->isEnabled());
  QTest::mouseClick(dlg.exitButton(), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(CommandControlTest, TextsComeFromTheLookupWhenOpening) {
  CCommandControlDlg marked(ui, table,
                            [](const std::string& key, const std::string&) { return "T" + key; });
  marked.Open();
  EXPECT_EQ(marked.windowTitle(), "T772");
  const std::pair<QString, QString> texts[] = {
      {marked.sendLabel()->text(), "T773"},         {marked.receivedLabel()->text(), "T774"},
      {marked.queryButton()->text(), "T775"},       {marked.writeButton()->text(), "T776"},
      {marked.readButton()->text(), "T777"},        {marked.exitButton()->text(), "T753"},
      {marked.deviceList()->currentText(), "T771"},
  };
  for (const auto& [shown, expected] : texts) EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace zc::fp::testing
