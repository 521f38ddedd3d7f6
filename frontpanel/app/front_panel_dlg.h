// The main window: device list, settings panel, readouts, trend chart, menu and toolbar. It binds
// the widgets to the panel model and the run, and reports to the user for them.
#pragma once

#include <QAction>
#include <QDialog>
#include <QMap>
#include <QTimer>
#include <memory>

#include "acquire/run_controller.h"
#include "app/dialog_units.h"
#include "app/user_interface.h"
#include "console/command_control_dlg.h"
#include "console/console_devices.h"
#include "instrument/device_manager.h"
#include "measure/panel_model.h"
#include "records/chart_record_dlg.h"
#include "records/record_store.h"
#include "records/setting_mode_dlg.h"
#include "records/view_record_dlg.h"
#include "texts/settings_file.h"

class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QTabWidget;
class QToolBar;

namespace zc::fp {

class CSkinStatic;
class CSkinTabCtrl;
class CTrendChartView;

class CFrontPanelDlg : public QDialog, public CUserInterface, public CRunView {
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

  // CRunView: the two states of menu, toolbar and device list, the timer, readouts and chart.
  void ShowRunState(bool running) override;
  void ClearChart() override;
  void StartReadingTimer(int intervalMs) override;
  void StopReadingTimer() override;
  void ShowReadout(ReadoutId id, const std::string& text) override;
  int ChartWidth() const override;
  int ChartHeight() const override;
  void DrawChart(const CTrendPlot& plot) override;
  void PanelChanged() override { SyncPanel(); }

  // Shows the panel model's state on the widgets.
  void SyncPanel();
  // Every text of the window in the language texts().languageName names.
  void ApplyTexts();
  // Tests answer the About box through this before it runs.
  std::function<void(class CAboutBoxDlg&)> aboutHook;

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
  CPanelModel& panel() { return panel_; }
  CRunController& run() { return run_; }
  QTimer& readingTimer() { return readingTimer_; }
  CTrendChartView* chart() const { return chart_; }
  QTabWidget* measurementTabs() const { return pages_; }
  CSkinTabCtrl* channelTabs() const { return channels_; }
  bool running() const { return panel_.running; }
  CSettingModeDlg& settingMode() { return settingMode_; }
  CViewRecordDlg& viewRecord() { return viewRecord_; }
  CCommandControlDlg& commandControl() { return commandControl_; }
  CChartRecordDlg& chartRecord() { return chartRecord_; }
  CRecordStore& recordStore() { return records_; }
  // Setting Mode with the chart colour handed over and back, as menu command 32793 shows it.
  void ShowSettingMode();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildControls();
  void BuildPanelControls();
  void BuildMenu();
  void BuildToolbar();

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
  CSkinStatic* readouts_[3] = {};
  CTrendChartView* chart_ = nullptr;
  QTabWidget* pages_ = nullptr;
  CSkinTabCtrl* channels_ = nullptr;
  QMap<int, QWidget*> controls_;
  QMap<int, QAction*> menuActions_;
  QMap<int, QMenu*> popups_;
  QList<QAction*> toolbarActions_;

  CConsoleDeviceTable consoleDevices_;  // kept for the command console between openings
  CDeviceManager devices_{*this, consoleDevices_};
  CTextLookup texts_;
  CPanelModel panel_{*this};
  CRunController run_{panel_, devices_, *this, *this};
  QTimer readingTimer_;
  CRecordStore records_{*this};
  // The secondary dialogs live as long as the window and keep what they hold between showings.
  std::function<std::string(const std::string&, const std::string&)> lookup_ =
      [this](const std::string& key, const std::string& def) {
        return texts_.LookupText(key, def);
      };
  CCommandControlDlg commandControl_{*this, consoleDevices_, lookup_};
  CChartRecordDlg chartRecord_{*this, lookup_};
  CViewRecordDlg viewRecord_{*this, lookup_};
  CSettingModeDlg settingMode_{*this, lookup_};
  bool updatingList_ = false;
  bool syncing_ = false;  // widgets set from the model report nothing back
};

}  // namespace zc::fp
