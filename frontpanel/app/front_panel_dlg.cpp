#include "app/front_panel_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>

#include "app/about_box_dlg.h"
#include "app/command_ids.h"
#include "app/trend_chart_view.h"
#include "controls/skin_static.h"
#include "controls/skin_tab_ctrl.h"
#include "resources/artwork.h"
#include "texts/apply_texts.h"

namespace zc::fp {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

class CCompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return 6;
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

const std::vector<MenuPopup>& MenuLayout() {
  static const std::vector<MenuPopup> menu = {
      {"651",
       "Setting",
       {{ID_SETTING_MODE, "652", "Setting Mode"}, {0, "", ""}, {ID_REFRESH, "654", "Refresh"}}},
      {"661",
       "Record",
       {{ID_VIEW_RECORD, "662", "View Record"}, {ID_CHART_RECORD, "663", "Chart Record"}}},
      {"671", "Operation", {{ID_RUN_START, "672", "Run Start"}, {ID_RUN_STOP, "673", "Run Stop"}}},
      {"681", "Tool", {{ID_COMMAND_CONTROL, "682", "Command Control"}}},
      {"691", "Help", {{ID_ABOUT, "692", "About"}}},
  };
  return menu;
}

// Commands greyed during a run; Run Stop is the other way round.
const int kIdleOnlyCommands[] = {ID_SETTING_MODE, ID_REFRESH,   ID_VIEW_RECORD,
                                 ID_CHART_RECORD, ID_RUN_START, ID_COMMAND_CONTROL,
                                 ID_ABOUT};

}  // namespace

CFrontPanelDlg::CFrontPanelDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
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
  run_.SetRecorder(&records_);
  readingTimer_.setTimerType(Qt::PreciseTimer);
  connect(&readingTimer_, &QTimer::timeout, this, [this] { run_.OnReadingTimer(); });
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
  // Static texts sit at the top left of their rectangle.
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

  // Acquisition settings; their lists are built with the panel.
  label(IDC_READ_SPEED_CAPTION, "Read Speed : ", 349, 153, 70, 12);
  label(IDC_DOTS_CAPTION, "Dots : ", 349, 175, 70, 12);

  // Chart frame and its captions.
  chart_ = Place(IDC_CHART, new CTrendChartView, 48, 34, 269, 145);
  auto* mark = Place(IDC_CHART_MARK, new QLabel, 36, 102, 7, 10);
  mark->setPixmap(ChartMark().scaled(mark->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
  label(IDC_CHART_MAX_CAPTION, "Max", 25, 34, 20, 10);
  label(IDC_CHART_MIN_CAPTION, "Min", 25, 171, 20, 10);
  label(0, "0", 49, 183, 20, 10);
  label(IDC_TIME_AXIS_END, "100", 304, 183, 24, 10);
  label(IDC_FUNCTION_NAME, "(Freq)", 275, 21, 54, 11);

  // A division list and its scaling choices that the chart does not use: they exist, hidden.
  Place(IDC_HIDDEN_COMBO, new QComboBox, 486, 9, 24, 14)->hide();
  Place(IDC_AUTO_SCALE, new QRadioButton(QStringLiteral("  Auto Scale")), 473, 9, 40, 10)->hide();
  Place(IDC_DIVISION, new QRadioButton(QStringLiteral("  Division : ")), 463, 9, 40, 10)->hide();
  Place(IDC_HIDDEN_GROUP, new QGroupBox, 486, 22, 24, 10)->hide();

  // Frames.
  auto* bottom = Place(IDC_FRAME_BOTTOM, new QGroupBox, 186, 311, 43, 12);
  bottom->setFlat(true);
  Place(IDC_FRAME_READOUT, new QGroupBox, 350, 209, 151, 111);

  // The measurement pages and the channel tabs; their settings are built on them.
  pages_ = Place(IDC_MEAS_TABS, new QTabWidget, 8, 196, 334, 112);
  // Nine pages share the width under the chart: narrower tab margins keep them in one row.
  auto* tabStyle = new CCompactTabStyle;
  tabStyle->setParent(pages_);
  pages_->tabBar()->setStyle(tabStyle);
  QFont tabFont = font();
  tabFont.setPointSize(9);
  pages_->tabBar()->setFont(tabFont);
  for (const CTextItem& page : MeasurementPageLabels()) {
    pages_->addTab(new QWidget, QString::fromUtf8(page.text));
  }
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    if (syncing_) return;
    panel_.OnPageSelected(page);
    SyncPanel();
  });
  channels_ = Place(IDC_CHANNEL_TABS, new CSkinTabCtrl(IDC_CHANNEL_TABS), 356, 214, 139, 14);
  channels_->addTab(QStringLiteral("CH1"));
  channels_->addTab(QStringLiteral("CH2"));
  connect(channels_, &CSkinTabCtrl::SelectionChanged, this, [this](int, int index) {
    if (syncing_) return;
    panel_.OnChannelTabSelected(index);
    SyncPanel();
  });
  BuildPanelControls();
}

void CFrontPanelDlg::BuildPanelControls() {
  // Every setting from the panel's table; the model decides what shows and what is enabled.
  for (const CControlEntry& entry : PanelControls()) {
    const int id = entry.id;
    const CDialogRect& r = entry.rect;
    switch (entry.kind) {
      case CControlKind::Check: {
        auto* box =
            Place(id, new QCheckBox(QString::fromUtf8(entry.label.text)), r.x, r.y, r.w, r.h);
        connect(box, &QCheckBox::clicked, this, [this, id](bool checked) {
          if (syncing_) return;
          panel_.SetChecked(id, checked);
          panel_.OnCheckClicked(id);
          SyncPanel();
        });
        break;
      }
      case CControlKind::Combo: {
        // The rectangle's height is the dropped list's; the box itself is one line high.
        auto* combo = Place(id, new QComboBox, r.x, r.y, r.w, 14);
        for (const CTextItem& item : entry.items) combo->addItem(QString::fromUtf8(item.text));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, id](int index) {
          if (syncing_) return;
          panel_.OnSelectionChanged(id, index);
          SyncPanel();
        });
        break;
      }
      case CControlKind::Edit: {
        auto* edit =
            Place(id, new QLineEdit(QString::fromUtf8(entry.initialText)), r.x, r.y, r.w, r.h);
        connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
          if (!syncing_) panel_.OnTextEdited(id, text.toStdString());
        });
        break;
      }
      case CControlKind::Label: {
        auto* l = Place(id, new QLabel(QString::fromUtf8(entry.label.text)), r.x, r.y, r.w, r.h);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        break;
      }
    }
  }
}

void CFrontPanelDlg::SyncPanel() {
  syncing_ = true;
  for (const CControlEntry& entry : PanelControls()) {
    QWidget* w = Control(entry.id);
    const CControlState& s = panel_.State(entry.id);
    switch (entry.kind) {
      case CControlKind::Check: {
        auto* box = static_cast<QCheckBox*>(w);
        box->setChecked(s.checked);
        if (box->text() != Q(s.text)) box->setText(Q(s.text));
        break;
      }
      case CControlKind::Combo: {
        auto* combo = static_cast<QComboBox*>(w);
        bool same = combo->count() == static_cast<int>(s.items.size());
        for (int i = 0; same && i < combo->count(); ++i) {
          same = combo->itemText(i) == Q(s.items[static_cast<std::size_t>(i)]);
        }
        if (!same) {
          combo->clear();
          for (const std::string& item : s.items) combo->addItem(Q(item));
        }
        combo->setCurrentIndex(s.selection);
        break;
      }
      case CControlKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(w);
        if (edit->text() != Q(s.text)) edit->setText(Q(s.text));
        break;
      }
      case CControlKind::Label: {
        auto* label = static_cast<QLabel*>(w);
        if (label->text() != Q(s.text)) label->setText(Q(s.text));
        break;
      }
    }
    w->setEnabled(s.enabled);
    w->setVisible(s.visible);
  }
  if (pages_->currentIndex() != panel_.selectedPage) pages_->setCurrentIndex(panel_.selectedPage);
  // The tab control keeps its own filter state: enable both, select, then disable as the model
  // says, so no step of the way is refused.
  const CTabRules& tabs = panel_.channelTabs;
  channels_->EnableTab(0, true);
  channels_->EnableTab(1, true);
  channels_->SetCurSel(tabs.selection);
  for (int i = 0; i < 2; ++i) {
    if (!tabs.IsTabEnabled(i)) channels_->EnableTab(i, false);
  }
  static_cast<QLabel*>(Control(IDC_FUNCTION_NAME))->setText(Q(panel_.functionCaption));
  static_cast<QLabel*>(Control(IDC_TIME_AXIS_END))->setText(Q(panel_.dotsText));
  syncing_ = false;
}

void CFrontPanelDlg::BuildMenu() {
  for (const MenuPopup& popup : MenuLayout()) {
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

  // The settings panel: read speed "100 ms", dots "100", page 0 with Freq on CH1, the CH2 tab
  // disabled, and the initial edit texts.
  panel_.Initialise();
  SyncPanel();

  const unsigned readoutStyle = CLabelStyle::kBold | CLabelStyle::kLeft;
  for (CSkinStatic* r : readouts_)
    r->SetFontStyle(QStringLiteral("Verdana"), 17, {0, 128, 128}, readoutStyle);

  CheckSettingsFile();
  texts_ = CTextLookup(SettingsFilePath());
  texts_.languageName = LanguageForLocale(LocaleIdentifier(EnvironmentLocale()));
  panel_.SetLookup([this](const std::string& key, const std::string& def) {
    return texts_.LookupText(key, def);
  });
  ApplyTexts();

  // Chart: a 101-slot buffer, "100" under its right end, and the blue pen.
  panel_.capacity = 101;
  run_.buffer.SetCapacity(panel_.capacity);
  panel_.dotsText = "100";
  chart_->SetPenColour(QColor(0, 0, 255));
  // Setting Mode starts with the blue pen, saving off and no record.
  settingMode_.colour = QColor(0, 0, 255);
  settingMode_.saveFlag = false;
  settingMode_.recordNumber = 0;
  SyncPanel();
}

void CFrontPanelDlg::CheckSettingsFile() {
  std::error_code ec;
  if (!std::filesystem::exists(SettingsFilePath(), ec) && !ec) {
    ShowMessage(kLostSettingsFile, "Error", MessageIcon::Error);
  }
}

void CFrontPanelDlg::ApplyTexts() {
  const auto T = [this](const std::string& key, const char* def) {
    return Q(texts_.LookupText(key, def));
  };
  // The menu by position: pop-up p has key "6(p+5)1", its item q "6(p+5)(q+2)"; separators keep
  // their place and get no text.
  const auto& layout = MenuLayout();
  const QList<QAction*> bar = menuBar_->actions();
  for (int p = 0; p < bar.size() && p < static_cast<int>(layout.size()); ++p) {
    QMenu* menu = bar[p]->menu();
    if (!menu) continue;
    menu->setTitle(T(MenuPopupKey(p), layout[static_cast<std::size_t>(p)].text));
    const QList<QAction*> items = menu->actions();
    const auto& defaults = layout[static_cast<std::size_t>(p)].items;
    for (int q = 0; q < items.size() && q < static_cast<int>(defaults.size()); ++q) {
      if (items[q]->isSeparator() || items[q]->data().toInt() == 0) continue;
      items[q]->setText(T(MenuItemKey(p, q), defaults[static_cast<std::size_t>(q)].text));
    }
  }
  static_cast<QLabel*>(Control(IDC_DEVICE_CAPTION))->setText(T("501", "Devices and Interfaces"));
  static_cast<QLabel*>(Control(IDC_READ_SPEED_CAPTION))->setText(T("503", "Read Speed : "));
  static_cast<QLabel*>(Control(IDC_DOTS_CAPTION))->setText(T("504", "Dots : "));
  static_cast<QLabel*>(Control(IDC_CURRENT_CAPTION))->setText(T("506", "Current : "));
  static_cast<QRadioButton*>(Control(IDC_AUTO_SCALE))->setText("  " + T("639", "Auto Scale"));
  static_cast<QRadioButton*>(Control(IDC_DIVISION))->setText("  " + T("502", "Division"));

  syncing_ = true;
  // The channel tabs are made anew; the disabled items keep their places.
  const int channel = channels_->currentIndex();
  while (channels_->count() > 0) channels_->removeTab(0);
  channels_->addTab(T("511", "CH1"));
  channels_->addTab(T("512", "CH2"));
  channels_->SetCurSel(channel);
  const auto& pages = MeasurementPageLabels();
  for (int i = 0; i < pages_->count() && i < static_cast<int>(pages.size()); ++i) {
    const CTextItem& page = pages[static_cast<std::size_t>(i)];
    pages_->setTabText(i, *page.key ? T(page.key, page.text) : Q(page.text));
  }
  syncing_ = false;

  ApplyPanelTexts(panel_, [this](const std::string& key, const std::string& def) {
    return texts_.LookupText(key, def);
  });
  SyncPanel();
}

void CFrontPanelDlg::ShowDeviceList() {
  const CDeviceListBox& box = devices_.deviceListBox;
  updatingList_ = true;
  deviceListWidget_->clear();
  for (const std::string& line : box.lines) deviceListWidget_->addItem(Q(line));
  deviceListWidget_->setEnabled(box.enabled && !panel_.running);
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
    case ID_SETTING_MODE:
      ShowSettingMode();
      break;
    case ID_REFRESH:
      RefreshDevices();
      break;
    case ID_VIEW_RECORD:
      viewRecord_.exec();
      break;
    case ID_CHART_RECORD:
      chartRecord_.exec();
      break;
    case ID_COMMAND_CONTROL:
      commandControl_.Open();
      commandControl_.exec();
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
      break;
  }
}

void CFrontPanelDlg::ShowSettingMode() {
  settingMode_.colour = chart_->penColour();
  settingMode_.deviceCount = devices_.deviceCount;
  settingMode_.Open();
  settingMode_.exec();
  // The colour comes back however the dialog was closed; the pen is made anew from it.
  chart_->SetPenColour(settingMode_.colour);
  run_.saveFlag = settingMode_.saveFlag;
  run_.recordNumber = settingMode_.recordNumber;
}

void CFrontPanelDlg::RefreshDevices() {
  devices_.RefreshDevices();
  ShowDeviceList();
}

void CFrontPanelDlg::RunStart() {
  run_.RunStart();
  SyncPanel();
}

void CFrontPanelDlg::RunStop() {
  run_.RunStop();
  SyncPanel();
}

void CFrontPanelDlg::ShowRunState(bool running) {
  deviceListWidget_->setEnabled(!running && devices_.deviceListBox.enabled);
  ToolbarAction(0)->setEnabled(!running);
  ToolbarAction(3)->setEnabled(!running);
  ToolbarAction(1)->setEnabled(running);
  MenuAction(ID_RUN_STOP)->setEnabled(running);
  for (int id : kIdleOnlyCommands) MenuAction(id)->setEnabled(!running);
}

void CFrontPanelDlg::ClearChart() {
  chart_->Clear();
}

void CFrontPanelDlg::StartReadingTimer(int intervalMs) {
  readingTimer_.start(intervalMs);
}

void CFrontPanelDlg::StopReadingTimer() {
  readingTimer_.stop();
}

void CFrontPanelDlg::ShowReadout(ReadoutId id, const std::string& text) {
  if (auto* label = static_cast<CSkinStatic*>(Control(id))) label->setText(Q(text));
}

int CFrontPanelDlg::ChartWidth() const {
  return chart_->width();
}

int CFrontPanelDlg::ChartHeight() const {
  return chart_->height();
}

void CFrontPanelDlg::DrawChart(const CTrendPlot& plot) {
  if (plot.drawn) {
    chart_->Draw(plot);
  } else {
    chart_->Clear();  // a zero reading shows the bare grid for this tick
  }
}

void CFrontPanelDlg::ShowAbout(bool applyTextsAfter) {
  CAboutBoxDlg box(texts_, this);
  if (aboutHook) aboutHook(box);
  box.exec();
  // Only the Help menu and the toolbar put the chosen language in place at once.
  if (applyTextsAfter) ApplyTexts();
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
  // The window's About item lives in its context menu: window managers offer no window menu.
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
  if (icon == MessageIcon::None) qicon = QMessageBox::NoIcon;
  QMessageBox box(qicon, Q(caption), Q(text), QMessageBox::Ok, this);
  box.exec();
}

void CFrontPanelDlg::BeginWaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
void CFrontPanelDlg::EndWaitCursor() {
  QApplication::restoreOverrideCursor();
}

int CFrontPanelDlg::TextWidth(const std::string& text) {
  return deviceListWidget_->fontMetrics().horizontalAdvance(Q(text));
}

}  // namespace zc::fp
