// A tab bar whose items can be disabled: disabled items refuse clicks, are skipped by the arrow
// keys and are painted engraved.
//
// Every change of the selection passes the filter of CTabRules: clicks, arrow keys, SetActiveTab,
// SetCurSel, QTabBar::setCurrentIndex from anyone, and the moves QTabBar makes by itself when
// items are added or removed. Only the user's choices (click, arrow key) and SetActiveTab send
// SelectionChanged; QTabBar's currentChanged is sent before the filter has looked at a
// setCurrentIndex, so owners listen to SelectionChanged.
#pragma once

#include <QTabBar>

#include "tab_rules.h"

namespace zc::fp {

class CSkinTabCtrl : public QTabBar {
  Q_OBJECT

 public:
  explicit CSkinTabCtrl(int controlId, QWidget* parent = nullptr);

  bool EnableTab(int index, bool enable);
  bool IsTabEnabled(int index, int* position = nullptr) const;
  // Selects through the filter and notifies the parent, also when the filter refused (then with
  // the item that stays selected). An index outside the items is ignored.
  void SetActiveTab(int index);
  int FindEnabledTab(int start, bool forward) const;
  // A selection request from the program, passed through the same filter as the user's; it
  // notifies nobody.
  void SetCurSel(int index);

  int controlId() const { return controlId_; }
  const CTabRules& rules() const { return rules_; }

 signals:
  // The parent's selection-changed notification: control identifier and new item.
  void SelectionChanged(int controlId, int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void tabInserted(int index) override;
  void tabRemoved(int index) override;

 private:
  void Sync();
  // Makes index QTabBar's current item without its signal; the caller tells whom it must.
  void Show(int index);
  // Takes back or redirects a setCurrentIndex the filter does not allow.
  void FilterCurrentChange(int index);
  // After an item was added or removed: when QTabBar moved the selection, the filter judges
  // where it lands.
  void Settle(bool moved);

  int controlId_;
  CTabRules rules_;
  bool settling_ = false;
};

}  // namespace zc::fp
