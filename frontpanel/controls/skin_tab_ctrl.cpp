#include "skin_tab_ctrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>

namespace zc::fp {

CSkinTabCtrl::CSkinTabCtrl(int controlId, QWidget* parent)
    : QTabBar(parent), controlId_(controlId) {
  setDrawBase(true);
  setExpanding(false);
  setFocusPolicy(Qt::StrongFocus);  // a click gives the focus, so the arrow keys work next
  rules_.onSelected = [this](int index) {
    Show(index);
    emit SelectionChanged(controlId_, index);
  };
  rules_.onItemChanged = [this](int index) { update(tabRect(index)); };
  // Connected before anyone else can connect, so the filter acts first.
  connect(this, &QTabBar::currentChanged, this, &CSkinTabCtrl::FilterCurrentChange);
}

void CSkinTabCtrl::Sync() {
  rules_.itemCount = count();
  rules_.selection = currentIndex();
}

void CSkinTabCtrl::Show(int index) {
  if (index >= 0 && index < count() && currentIndex() != index) {
    const QSignalBlocker block(this);
    setCurrentIndex(index);
  }
  rules_.selection = currentIndex();
  update();
}

bool CSkinTabCtrl::EnableTab(int index, bool enable) {
  Sync();
  return rules_.EnableTab(index, enable);
}

bool CSkinTabCtrl::IsTabEnabled(int index, int* position) const {
  CTabRules r = rules_;
  r.itemCount = count();
  return r.IsTabEnabled(index, position);
}

void CSkinTabCtrl::SetActiveTab(int index) {
  Sync();
  rules_.SetActiveTab(index);
}

int CSkinTabCtrl::FindEnabledTab(int start, bool forward) const {
  CTabRules r = rules_;
  r.itemCount = count();
  return r.FindEnabledTab(start, forward);
}

void CSkinTabCtrl::SetCurSel(int index) {
  Sync();
  const int chosen = rules_.FilterSelection(index);
  if (chosen >= 0) Show(chosen);
}

void CSkinTabCtrl::FilterCurrentChange(int index) {
  // While items are added or removed, tabInserted and tabRemoved settle the selection once
  // QTabBar is done with it.
  if (settling_ || count() != rules_.itemCount) return;
  const int chosen = rules_.FilterSelection(index);  // rules_.selection is still the old item
  Show(chosen >= 0 ? chosen : rules_.selection);
}

void CSkinTabCtrl::Settle(bool moved) {
  rules_.itemCount = count();
  if (moved) {
    // The old index names another item now, so the new one is judged as if none were selected.
    rules_.selection = -1;
    const int chosen = rules_.FilterSelection(currentIndex());
    if (chosen >= 0 && chosen != currentIndex()) {
      settling_ = true;
      setCurrentIndex(chosen);  // currentChanged then reports where the selection really is
      settling_ = false;
    }
  }
  rules_.selection = currentIndex();
  update();
}

void CSkinTabCtrl::tabInserted(int index) {
  QTabBar::tabInserted(index);
  Settle(currentIndex() != rules_.selection);
}

void CSkinTabCtrl::tabRemoved(int index) {
  QTabBar::tabRemoved(index);
  // The selected item itself went, or one before it and the selection moved down.
  Settle(index <= rules_.selection);
}

void CSkinTabCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  setFocus(Qt::MouseFocusReason);
  Sync();
  const int hit = tabAt(event->position().toPoint());
  // A click on a disabled item, or beside the items, changes nothing.
  if (rules_.AcceptClick(hit) && hit != currentIndex()) rules_.SetActiveTab(hit);
}

void CSkinTabCtrl::keyPressEvent(QKeyEvent* event) {
  Sync();
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      rules_.Step(false);
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      rules_.Step(true);
      break;
    default:
      QTabBar::keyPressEvent(event);
      return;
  }
  event->accept();
}

void CSkinTabCtrl::wheelEvent(QWheelEvent* event) {
  event->ignore();
}

void CSkinTabCtrl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  for (int i = 0; i < count(); ++i) {
    const QRect r = tabRect(i);
    const bool selected = i == currentIndex();
    const bool enabled = IsTabEnabled(i);

    // The frame of the tab as the style draws it, then our own face and text over it.
    QStyleOptionTab opt;
    initStyleOption(&opt, i);
    opt.text.clear();
    opt.icon = QIcon();
    style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p, this);
    const QRect face = r.adjusted(2, 2, -2, selected ? 0 : -1);
    p.fillRect(face, pal.color(QPalette::Button));

    int x = r.left() + (selected ? 7 : 4);
    const int dy = selected ? 0 : 2;
    const QIcon icon = tabIcon(i);
    if (!icon.isNull()) {
      const QSize size = iconSize();
      const QPixmap pm = icon.pixmap(size, enabled ? QIcon::Normal : QIcon::Disabled);
      p.drawPixmap(x, r.top() + (r.height() - size.height()) / 2 + (selected ? 3 : 0), pm);
      x += size.width() + 2;
    }
    const QRect textRect(x, r.top() + dy, r.right() - x, r.height());
    const QString text = tabText(i);
    if (enabled) {
      p.setPen(pal.color(QPalette::ButtonText));
      p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    } else {
      // Engraved: a light copy one pixel down and right, the grey text on top.
      p.setPen(pal.color(QPalette::Light));
      p.drawText(textRect.translated(1, 1), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                 text);
      p.setPen(pal.color(QPalette::Disabled, QPalette::WindowText));
      p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    }
  }
}

}  // namespace zc::fp
