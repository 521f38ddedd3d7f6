// Command Control: send any command to one of the instruments discovery found and see its
// reply. One object for the life of the main window, shown again and again; the sessions it
// uses belong to the window.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "app/user_interface.h"
#include "console/command_console.h"
#include "console/console_devices.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zc::fp {

class CCommandControlDlg : public QDialog {
  Q_OBJECT

 public:
  using Lookup = std::function<std::string(const std::string& key, const std::string& def)>;

  CCommandControlDlg(CUserInterface& ui, CConsoleDeviceTable& devices, Lookup lookup,
                     QWidget* parent = nullptr);

  // Each showing: the instruments of the table, the texts, "*IDN?" to send, an empty history.
  void Open();

  CCommandConsole& console() { return console_; }

  QComboBox* deviceList() const { return devices_; }
  QComboBox* historyBox() const { return history_; }
  QLineEdit* sendEdit() const { return send_; }
  QPlainTextEdit* receivedEdit() const { return received_; }
  QLabel* sendLabel() const { return sendLabel_; }
  QLabel* receivedLabel() const { return receivedLabel_; }
  QPushButton* queryButton() const { return query_; }
  QPushButton* writeButton() const { return write_; }
  QPushButton* readButton() const { return read_; }
  QPushButton* exitButton() const { return exit_; }

 private:
  void OnQuery();
  void OnWrite();
  void OnRead();
  void OnHistoryChosen(int index);
  void ShowTexts();
  void ShowHistory();

  CCommandConsole console_;
  Lookup lookup_;
  QComboBox* devices_ = nullptr;
  QComboBox* history_ = nullptr;
  QLineEdit* send_ = nullptr;
  QPlainTextEdit* received_ = nullptr;
  QLabel* sendLabel_ = nullptr;
  QLabel* receivedLabel_ = nullptr;
  QPushButton* query_ = nullptr;
  QPushButton* write_ = nullptr;
  QPushButton* read_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace zc::fp
