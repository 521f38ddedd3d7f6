// A tab bar whose items can be disabled: disabled items refuse clicks, are skipped by the arrow
// keys and are painted engraved.
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
  void SetActiveTab(int index);
  int FindEnabledTab(int start, bool forward) const;
  // A selection request from the program, passed through the same filter as the user's.
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
  int controlId_;
  CTabRules rules_;
};

}  // namespace zc::fp
