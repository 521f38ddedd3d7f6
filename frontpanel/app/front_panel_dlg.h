// The main window: device list, readouts, chart frame, menu and toolbar. It binds the widgets to
// the window's logic and reports to the user for it.
#pragma once

#include <QAction>
#include <QDialog>
#include <QMap>
#include <memory>

#include "app/dialog_units.h"
#include "app/user_interface.h"
#include "console/console_devices.h"
#include "instrument/device_manager.h"
#include "texts/settings_file.h"

class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QToolBar;

namespace zc::fp {

class CSkinStatic;

class CFrontPanelDlg : public QDialog, public CUserInterface {
  Q_OBJECT

 public:
  explicit CFrontPanelDlg(QWidget* parent = nullptr);
  ~CFrontPanelDlg() override;

  // Start-up: everything the window does before it is first shown, in order.
  void OnInitDialog();

  // CUserInterface
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  int TextWidth(const std::string& text) override;

  // Commands.
  void OnCommand(int id);
  void RunStart();
  void RunStop();
  void RefreshDevices();
  void OnSelectDevice(int row);

  // The two states of menu, toolbar and device list.
  void ShowRunState(bool running);

  QWidget* Control(int id) const { return controls_.value(id); }
  QAction* MenuAction(int id) const { return menuActions_.value(id); }
  QAction* ToolbarAction(int index) const;
  QMenuBar* menuBar() const { return menuBar_; }
  QToolBar* toolBar() const { return toolBar_; }
  QListWidget* deviceListWidget() const { return deviceListWidget_; }
  const CDialogUnits& units() const { return units_; }

  CDeviceManager& devices() { return devices_; }
  CConsoleDeviceTable& consoleDevices() { return consoleDevices_; }
  CTextLookup& texts() { return texts_; }
  bool running() const { return running_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  void BuildToolbar();
  void ApplyShellTexts();
  void CheckSettingsFile();
  void ShowDeviceList();
  void ShowAbout(bool applyTextsAfter);
  template <class W>
  W* Place(int id, W* widget, int x, int y, int w, int h);

  CDialogUnits units_;
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QListWidget* deviceListWidget_ = nullptr;
  QComboBox* readSpeed_ = nullptr;
  QComboBox* dots_ = nullptr;
  CSkinStatic* readouts_[3] = {};
  QMap<int, QWidget*> controls_;
  QMap<int, QAction*> menuActions_;
  QMap<int, QMenu*> popups_;
  QList<QAction*> toolbarActions_;

  CConsoleDeviceTable consoleDevices_;  // kept for the command console between openings
  CDeviceManager devices_{*this, consoleDevices_};
  CTextLookup texts_;
  bool running_ = false;
  bool updatingList_ = false;
};

}  // namespace zc::fp
