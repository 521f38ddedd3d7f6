#include "skin_tab_ctrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>

namespace zc::fp {

CSkinTabCtrl::CSkinTabCtrl(int controlId, QWidget* parent) : QTabBar(parent), controlId_(controlId) {
  setDrawBase(true);
  setExpanding(false);
  rules_.onSelected = [this](int index) {
    if (currentIndex() != index) {
      const QSignalBlocker block(this);  // the notification below is the only one
      setCurrentIndex(index);
    }
    update();
    emit SelectionChanged(controlId_, index);
  };
  rules_.onItemChanged = [this](int index) { update(tabRect(index)); };
}

void CSkinTabCtrl::Sync() {
  rules_.itemCount = count();
  rules_.selection = currentIndex();
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
  if (chosen < 0) return;
  const QSignalBlocker block(this);
  setCurrentIndex(chosen);
  rules_.selection = chosen;
}

void CSkinTabCtrl::tabInserted(int index) {
  QTabBar::tabInserted(index);
  // Disabled indices at or after a new item move along with their items.
  for (auto& d : rules_.disabledList) {
    if (d >= index) ++d;
  }
  Sync();
}

void CSkinTabCtrl::tabRemoved(int index) {
  QTabBar::tabRemoved(index);
  auto& list = rules_.disabledList;
  list.erase(std::remove(list.begin(), list.end(), index), list.end());
  for (auto& d : list) {
    if (d > index) --d;
  }
  Sync();
}

void CSkinTabCtrl::mousePressEvent(QMouseEvent* event) {
  Sync();
  const int hit = tabAt(event->position().toPoint());
  if (!rules_.AcceptClick(hit)) {
    event->accept();  // a click on a disabled item, or beside the items, changes nothing
    return;
  }
  if (hit != currentIndex()) {
    rules_.SetActiveTab(hit);
  }
  event->accept();
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

void CSkinTabCtrl::wheelEvent(QWheelEvent* event) { event->ignore(); }

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
