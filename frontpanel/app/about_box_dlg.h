// The About box: the program, its version, the rights notice and the maker's web address on one
// tab, the language of the front panel on the other. Made anew for every opening.
#pragma once

#include <QCursor>
#include <QDialog>
#include <QUrl>
#include <functional>

#include "app/dialog_units.h"
#include "texts/settings_file.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;

namespace zc::fp {

class CSkinStatic;

class CAboutBoxDlg : public QDialog {
  Q_OBJECT

 public:
  // texts: the front panel's texts; OK sets their languageName.
  explicit CAboutBoxDlg(CTextLookup& texts, QWidget* parent = nullptr);

  // How the web address is opened; QDesktopServices unless a test answers it.
  std::function<void(const QUrl&)> openUrl;

  QTabBar* tabs() const { return tabs_; }
  QComboBox* languageList() const { return languages_; }
  QLabel* webAddress() const { return web_; }
  QPushButton* okButton() const { return ok_; }
  QWidget* aboutControl(int i) const { return about_[i]; }  // 0..4: icon, title, version, notice, web

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void OnTab(int index);
  void OnOk();
  bool InsideWebAddress(const QPoint& p) const;

  CTextLookup& texts_;
  CDialogUnits units_;
  QTabBar* tabs_ = nullptr;
  CSkinStatic* title_ = nullptr;
  QLabel* web_ = nullptr;
  QComboBox* languages_ = nullptr;
  QPushButton* ok_ = nullptr;
  QWidget* about_[5] = {};
  bool tabsMade_ = false;
};

}  // namespace zc::fp
