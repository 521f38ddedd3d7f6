#include "app/front_panel_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>

#include "app/command_ids.h"
#include "controls/skin_static.h"
#include "controls/skin_tab_ctrl.h"
#include "resources/artwork.h"

namespace zc::fp {
namespace {

QFont DialogFont() {
  QFont f(QStringLiteral("Times New Roman"));
  f.setPointSize(10);
  return f;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

class CCompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return 10;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// The settings file is missing: the message the user gets, to the letter.
const char* kLostSettingsFile =
    "You lost the important file: ZT4100_TOOL.ini , Please reinstall.\n"
    " the application. Otherwise, the application can't support other \n"
    "languages except English.";

struct MenuItem {
  int id;  // 0 for a separator
  const char* key;
  const char* text;
};
struct MenuPopup {
  const char* key;
  const char* text;
  std::vector<MenuItem> items;
};

const std::vector<MenuPopup>& MenuTemplate() {
  static const std::vector<MenuPopup> menu = {
      {"651", "Setting", {{ID_SETTING_MODE, "652", "Setting Mode"}, {0, "", ""}, {ID_REFRESH, "654", "Refresh"}}},
      {"661", "Record", {{ID_VIEW_RECORD, "662", "View Record"}, {ID_CHART_RECORD, "663", "Chart Record"}}},
      {"671", "Operation", {{ID_RUN_START, "672", "Run Start"}, {ID_RUN_STOP, "673", "Run Stop"}}},
      {"681", "Tool", {{ID_COMMAND_CONTROL, "682", "Command Control"}}},
      {"691", "Help", {{ID_ABOUT, "692", "About"}}},
  };
  return menu;
}

// Commands greyed during a run; Run Stop is the other way round.
const int kIdleOnlyCommands[] = {ID_SETTING_MODE, ID_REFRESH,         ID_VIEW_RECORD, ID_CHART_RECORD,
                                 ID_RUN_START,    ID_COMMAND_CONTROL, ID_ABOUT};

}  // namespace

CFrontPanelDlg::CFrontPanelDlg(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      units_(DialogFont()) {
  setFont(DialogFont());
  setWindowTitle(QStringLiteral("ZC4100_AP"));
  setWindowIcon(ProgramIcon());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  layout->setMenuBar(menuBar_);
  client_ = new QWidget(this);
  client_->setFixedSize(units_.X(515), units_.Y(333));
  layout->addWidget(client_);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  BuildControls();
  BuildMenu();
  BuildToolbar();
  devices_.SetRunStop([this] { RunStop(); });
}

CFrontPanelDlg::~CFrontPanelDlg() {
  // The instruments go back to front-panel control; their sessions stay open to the end.
  devices_.ReturnToLocal();
}

template <class W>
W* CFrontPanelDlg::Place(int id, W* widget, int x, int y, int w, int h) {
  widget->setParent(client_);
  widget->setGeometry(units_.Rect(x, y, w, h));
  if (id != 0) {
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    controls_.insert(id, widget);
  }
  return widget;
}

void CFrontPanelDlg::BuildControls() {
  // Static texts sit at the top left of their rectangle, as in the dialog template.
  auto label = [this](int id, const char* text, int x, int y, int w, int h) {
    auto* l = Place(id, new QLabel(QString::fromUtf8(text)), x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
  };

  // Device list.
  label(IDC_DEVICE_CAPTION, "Devices and Interfaces", 386, 25, 100, 12);
  deviceListWidget_ = Place(IDC_DEVICE_LIST, new QListWidget, 362, 40, 126, 46);
  deviceListWidget_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  deviceListWidget_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  deviceListWidget_->setEnabled(false);
  connect(deviceListWidget_, &QListWidget::currentRowChanged, this,
          [this](int row) { OnSelectDevice(row); });

  // Readouts.
  label(IDC_MAX_CAPTION, "Max : ", 349, 95, 40, 12);
  label(IDC_CURRENT_CAPTION, "Current : ", 348, 114, 41, 12);
  label(IDC_MIN_CAPTION, "Min : ", 349, 131, 40, 12);
  const int readoutIds[3] = {IDC_MAX, IDC_CURRENT, IDC_MIN};
  const int readoutY[3] = {95, 114, 131};
  for (int i = 0; i < 3; ++i) {
    readouts_[i] = Place(readoutIds[i], new CSkinStatic(readoutIds[i]), 389, readoutY[i], 119, 14);
    readouts_[i]->setText(QStringLiteral("0"));
    readouts_[i]->onFontFailure = [this](const QString& text) {
      ShowMessage(text.toStdString(), messageCaption, MessageIcon::Error);
    };
  }

  // Acquisition settings.
  label(IDC_READ_SPEED_CAPTION, "Read Speed : ", 349, 153, 70, 12);
  readSpeed_ = Place(IDC_READ_SPEED, new QComboBox, 420, 151, 60, 14);
  readSpeed_->addItems({"100 ms", "300 ms", "500 ms", "1000 ms", "2000 ms"});
  label(IDC_DOTS_CAPTION, "Dots : ", 349, 175, 70, 12);
  dots_ = Place(IDC_DOTS, new QComboBox, 420, 173, 60, 14);
  dots_->addItems({"50", "100", "200", "300", "500", "1000"});

  // Chart frame and its captions.
  auto* chart = Place(IDC_CHART, new QLabel, 48, 34, 269, 145);
  chart->setFrameStyle(QFrame::Box | QFrame::Plain);
  chart->setPixmap(ChartGrid(chart->width(), chart->height()));
  auto* mark = Place(IDC_CHART_MARK, new QLabel, 36, 102, 7, 10);
  mark->setPixmap(ChartMark().scaled(mark->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
  label(IDC_CHART_MAX_CAPTION, "Max", 25, 34, 20, 10);
  label(IDC_CHART_MIN_CAPTION, "Min", 25, 171, 20, 10);
  label(0, "0", 49, 183, 20, 10);
  label(IDC_TIME_AXIS_END, "100", 304, 183, 24, 10);
  label(IDC_FUNCTION_NAME, "(Freq)", 275, 21, 54, 11);

  // Controls of the template that stay hidden.
  for (auto [id, x, y] : {std::tuple{IDC_HIDDEN_COMBO, 486, 9}, std::tuple{IDC_AUTO_SCALE, 473, 9},
                          std::tuple{IDC_DIVISION, 463, 9}, std::tuple{IDC_HIDDEN_GROUP, 486, 22}}) {
    Place(id, new QWidget, x, y, 10, 10)->hide();
  }

  // Frames.
  auto* bottom = Place(IDC_FRAME_BOTTOM, new QGroupBox, 186, 311, 43, 12);
  bottom->setFlat(true);
  Place(IDC_FRAME_READOUT, new QGroupBox, 350, 209, 151, 111);

  // The measurement pages and the channel tabs; their settings are built on them.
  auto* pages = Place(1007, new QTabWidget, 8, 196, 334, 112);
  // Eight pages share the width under the chart: narrower tab margins keep them in one row.
  auto* tabStyle = new CCompactTabStyle;
  tabStyle->setParent(pages);
  pages->tabBar()->setStyle(tabStyle);
  for (const char* page : {"Freq && Ratio", "Time && Period", "Volt Peak", "Other Meas", "Utility",
                           "Gate && Ext", "Limit Modes", "Scale && Offset"}) {
    pages->addTab(new QWidget, QString::fromUtf8(page));
  }
  auto* channels = Place(1070, new CSkinTabCtrl(1070), 356, 214, 139, 14);
  channels->addTab(QStringLiteral("CH1"));
  channels->addTab(QStringLiteral("CH2"));
}

void CFrontPanelDlg::BuildMenu() {
  for (const MenuPopup& popup : MenuTemplate()) {
    QMenu* menu = menuBar_->addMenu(QString::fromUtf8(popup.text));
    popups_.insert(std::stoi(popup.key), menu);
    for (const MenuItem& item : popup.items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* a = menu->addAction(QString::fromUtf8(item.text));
      a->setData(item.id);
      menuActions_.insert(item.id, a);
      connect(a, &QAction::triggered, this, [this, id = item.id] { OnCommand(id); });
    }
  }
}

void CFrontPanelDlg::BuildToolbar() {
  toolBar_ = new QToolBar(client_);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setMovable(false);
  toolBar_->setObjectName(QStringLiteral("toolbar143"));
  auto add = [this](int id, ToolbarImage image, const char* tip) {
    QAction* a = toolBar_->addAction(QIcon(ToolbarPixmap(image)), QString::fromUtf8(tip));
    a->setData(id);
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    toolbarActions_.append(a);
  };
  add(ID_TOOLBAR_START, ToolbarImage::Start, "開始讀值");
  add(ID_TOOLBAR_STOP, ToolbarImage::Stop, "結束讀值");
  toolbarActions_.append(toolBar_->addSeparator());
  add(ID_TOOLBAR_ABOUT, ToolbarImage::About, "About");
  toolBar_->adjustSize();
  toolBar_->move(0, 0);
  toolBar_->show();
}

QAction* CFrontPanelDlg::ToolbarAction(int index) const {
  return index >= 0 && index < toolbarActions_.size() ? toolbarActions_[index] : nullptr;
}

void CFrontPanelDlg::OnInitDialog() {
  // Tool tips and the idle state of the run commands.
  ToolbarAction(1)->setEnabled(false);
  MenuAction(ID_RUN_STOP)->setEnabled(false);

  devices_.visaTimeoutMs = 15000;
  devices_.DiscoverDevices();
  ShowDeviceList();

  readSpeed_->setCurrentIndex(0);
  dots_->setCurrentIndex(1);

  auto* channels = static_cast<CSkinTabCtrl*>(Control(1070));
  channels->EnableTab(1, false);

  const unsigned readoutStyle = CLabelStyle::kBold | CLabelStyle::kLeft;
  for (CSkinStatic* r : readouts_) r->SetFontStyle(QStringLiteral("Verdana"), 17, {0, 128, 128}, readoutStyle);

  CheckSettingsFile();
  texts_ = CTextLookup(SettingsFilePath());
  texts_.languageName = LanguageForLocale(LocaleIdentifier(EnvironmentLocale()));
  ApplyShellTexts();

  static_cast<QLabel*>(Control(IDC_TIME_AXIS_END))->setText(QStringLiteral("100"));
}

void CFrontPanelDlg::CheckSettingsFile() {
  std::error_code ec;
  if (!std::filesystem::exists(SettingsFilePath(), ec) && !ec) {
    ShowMessage(kLostSettingsFile, "Error", MessageIcon::Error);
  }
}

void CFrontPanelDlg::ApplyShellTexts() {
  const auto T = [this](const char* key, const char* def) {
    return Q(texts_.LookupText(key, def));
  };
  for (const MenuPopup& popup : MenuTemplate()) {
    QMenu* menu = popups_.value(std::stoi(popup.key));
    menu->setTitle(T(popup.key, popup.text));
    for (const MenuItem& item : popup.items) {
      if (item.id != 0) menuActions_.value(item.id)->setText(T(item.key, item.text));
    }
  }
  static_cast<QLabel*>(Control(IDC_DEVICE_CAPTION))->setText(T("501", "Devices and Interfaces"));
  static_cast<QLabel*>(Control(IDC_READ_SPEED_CAPTION))->setText(T("503", "Read Speed : "));
  static_cast<QLabel*>(Control(IDC_DOTS_CAPTION))->setText(T("504", "Dots : "));
  static_cast<QLabel*>(Control(IDC_CURRENT_CAPTION))->setText(T("506", "Current : "));
}

void CFrontPanelDlg::ShowDeviceList() {
  const CDeviceListBox& box = devices_.deviceListBox;
  updatingList_ = true;
  deviceListWidget_->clear();
  for (const std::string& line : box.lines) deviceListWidget_->addItem(Q(line));
  deviceListWidget_->setEnabled(box.enabled && !running_);
  if (box.selection >= 0) deviceListWidget_->setCurrentRow(box.selection);
  updatingList_ = false;
}

void CFrontPanelDlg::OnSelectDevice(int row) {
  if (updatingList_) return;
  devices_.deviceListBox.selection = row;
  devices_.SelectDevice(static_cast<std::int16_t>(row));
}

void CFrontPanelDlg::OnCommand(int id) {
  switch (id) {
    case ID_REFRESH:
      RefreshDevices();
      break;
    case ID_RUN_START:
    case ID_TOOLBAR_START:
      RunStart();
      break;
    case ID_RUN_STOP:
    case ID_TOOLBAR_STOP:
      RunStop();
      break;
    case ID_ABOUT:
    case ID_TOOLBAR_ABOUT:
      ShowAbout(true);
      break;
    case ID_SYSTEM_ABOUT:
      ShowAbout(false);
      break;
    default:
      break;  // the record, setting and console dialogs come with their own windows
  }
}

void CFrontPanelDlg::RefreshDevices() {
  devices_.RefreshDevices();
  ShowDeviceList();
}

void CFrontPanelDlg::RunStart() {
  if (devices_.deviceCount == 0) {
    ShowMessage(texts_.LookupText("1000", "No Device Connected"), messageCaption,
                MessageIcon::Exclamation);
    return;
  }
  ShowRunState(true);
  running_ = true;
}

void CFrontPanelDlg::RunStop() {
  devices_.SendCommand("INIT:CONT OFF");
  running_ = false;
  ShowRunState(false);
}

void CFrontPanelDlg::ShowRunState(bool running) {
  deviceListWidget_->setEnabled(!running && devices_.deviceListBox.enabled);
  ToolbarAction(0)->setEnabled(!running);
  ToolbarAction(3)->setEnabled(!running);
  ToolbarAction(1)->setEnabled(running);
  MenuAction(ID_RUN_STOP)->setEnabled(running);
  for (int id : kIdleOnlyCommands) MenuAction(id)->setEnabled(!running);
}

void CFrontPanelDlg::ShowAbout(bool applyTextsAfter) {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("About ZC4100_AP"));
  box.setIconPixmap(ProgramIcon().pixmap(48, 48));
  box.setText(QStringLiteral("ZC4100_AP\nFront panel of the ZC4100 universal frequency counter"));
  box.exec();
  if (applyTextsAfter) ApplyShellTexts();
}

void CFrontPanelDlg::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape close the window and end the program, in a run too.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CFrontPanelDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The window-menu About item of the original lives in the window's context menu here.
  QMenu menu(this);
  QAction* about = menu.addAction(QString::fromUtf8("About ZC410_AP(&A)..."));
  connect(about, &QAction::triggered, this, [this] { OnCommand(ID_SYSTEM_ABOUT); });
  menu.exec(event->globalPos());
}

// ---- CUserInterface -------------------------------------------------------------------------

void CFrontPanelDlg::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
  QMessageBox::Icon qicon = QMessageBox::Critical;
  if (icon == MessageIcon::Exclamation) qicon = QMessageBox::Warning;
  if (icon == MessageIcon::Information) qicon = QMessageBox::Information;
  QMessageBox box(qicon, Q(caption), Q(text), QMessageBox::Ok, this);
  box.exec();
}

void CFrontPanelDlg::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void CFrontPanelDlg::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

int CFrontPanelDlg::TextWidth(const std::string& text) {
  return deviceListWidget_->fontMetrics().horizontalAdvance(Q(text));
}

}  // namespace zc::fp
