// Setting Mode: whether the next runs keep their readings, in which record, and the live chart's
// line colour. One object for the life of the main window, shown again and again.
#pragma once

#include <QColor>
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/user_interface.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zc::fp {

class CColourSwatch;

class CSettingModeDlg : public QDialog {
  Q_OBJECT

 public:
  using Lookup = std::function<std::string(const std::string& key, const std::string& def)>;

  CSettingModeDlg(CUserInterface& ui, Lookup lookup, QWidget* parent = nullptr);

  // Each showing: the record list from the record folder, the texts, the Save box cleared.
  void Open();

  int recordNumber = 0;  // 1 to 10; 0 until one is chosen
  int deviceCount = 0;   // 0 disables Save
  bool saveFlag = false;
  QColor colour{0, 0, 255};

  // The colour chooser; tests answer it themselves.
  std::function<QColor(const QColor& initial, QWidget* parent)> chooseColour;

  QCheckBox* saveBox() const { return save_; }
  QComboBox* recordList() const { return records_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* colourButton() const { return changeColour_; }

 public slots:
  void done(int result) override;

 private:
  void OnSaveClicked(bool checked);
  void OnOk();
  void OnChangeColour();

  CUserInterface& ui_;
  Lookup lookup_;
  std::vector<std::string> entries_;
  QLabel* colourLabel_ = nullptr;
  CColourSwatch* swatch_ = nullptr;
  QPushButton* changeColour_ = nullptr;
  QCheckBox* save_ = nullptr;
  QComboBox* records_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace zc::fp
