// The tab control with disabled items on screen: real clicks and keys, the program's own changes
// of the selection, and items removed and added again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <initializer_list>
#include <vector>

#include "controls/skin_tab_ctrl.h"

namespace zc::fp::testing {
namespace {

constexpr int kId = 1070;

// A window with a text field that holds the focus first, and the tab control under it.
class SkinTabCtrlTest : public ::testing::Test {
 protected:
  SkinTabCtrlTest() {
    auto* layout = new QVBoxLayout(&window);
    edit = new QLineEdit(&window);
    tabs = new CSkinTabCtrl(kId, &window);
    layout->addWidget(edit);
    layout->addWidget(tabs);
    QObject::connect(tabs, &CSkinTabCtrl::SelectionChanged, [this](int id, int index) {
      EXPECT_EQ(id, kId);
      notified.push_back(index);
    });
  }

  void Show() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
  }
  void Add(int n) {
    for (int i = 0; i < n; ++i) tabs->addTab(QStringLiteral("CH%1").arg(tabs->count() + 1));
  }
  void Click(int index) {
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
  }
  // A key goes where the keyboard focus is, as the user's would.
  static void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

  QWidget window;
  QLineEdit* edit = nullptr;
  CSkinTabCtrl* tabs = nullptr;
  std::vector<int> notified;
};

TEST_F(SkinTabCtrlTest, ClicksAndArrowKeysSkipTheDisabledItem) {
  Add(3);
  ASSERT_NO_FATAL_FAILURE(Show());
  ASSERT_TRUE(tabs->EnableTab(1, false));

  Click(1);  // disabled: nothing changes, nobody is told
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(notified.empty());
  // Any click takes the keyboard focus, so the arrow keys now reach the control.
  EXPECT_EQ(QApplication::focusWidget(), tabs);

  Click(2);
  EXPECT_EQ(tabs->currentIndex(), 2);
  Key(Qt::Key_Left);  // over the disabled item
  EXPECT_EQ(tabs->currentIndex(), 0);
  Key(Qt::Key_Up);  // from the first item round to the last
  EXPECT_EQ(tabs->currentIndex(), 2);
  Key(Qt::Key_Right);
  EXPECT_EQ(tabs->currentIndex(), 0);
  Key(Qt::Key_Down);
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_EQ(notified, (std::vector<int>{2, 0, 2, 0, 2}));
  EXPECT_EQ(edit->text(), "");  // the keys went to the tabs, not to the text field

  Click(2);  // the selected item again: no change to report
  QTest::mouseClick(tabs, Qt::RightButton, {}, tabs->tabRect(0).center());
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_EQ(notified.size(), 5u);
}

TEST_F(SkinTabCtrlTest, FocusComesWithAClickOnTheSelectedItemToo) {
  Add(2);
  ASSERT_NO_FATAL_FAILURE(Show());
  Click(0);
  ASSERT_EQ(QApplication::focusWidget(), tabs);
  Key(Qt::Key_Right);
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(notified, std::vector<int>{1});
}

// A change of language removes every item and adds them again: CH2 stays disabled.
TEST_F(SkinTabCtrlTest, DisabledItemsAreIndicesThatOutliveTheItems) {
  Add(2);
  ASSERT_NO_FATAL_FAILURE(Show());
  ASSERT_TRUE(tabs->EnableTab(1, false));
  while (tabs->count() > 0) tabs->removeTab(0);
  Add(2);
  EXPECT_FALSE(tabs->IsTabEnabled(1));
  EXPECT_EQ(tabs->rules().disabledList, std::vector<std::int32_t>{1});
  Click(1);
  EXPECT_EQ(tabs->currentIndex(), 0);

  tabs->insertTab(0, QStringLiteral("CH0"));  // the index stays disabled, whatever item it holds
  EXPECT_FALSE(tabs->IsTabEnabled(1));
  EXPECT_TRUE(tabs->IsTabEnabled(2));

  ASSERT_TRUE(tabs->EnableTab(1, true));
  Click(1);
  EXPECT_EQ(tabs->currentIndex(), 1);
}

struct SetIndexCase {
  int current;
  int requested;
  int result;
};

// QTabBar::setCurrentIndex, whoever calls it, passes the filter and notifies nobody.
TEST_F(SkinTabCtrlTest, SetCurrentIndexFromAnyoneIsFiltered) {
  Add(5);
  ASSERT_TRUE(tabs->EnableTab(3, false));
  QTabBar* bar = tabs;  // the base class's call, which the control cannot override
  const SetIndexCase cases[] = {
      {1, 3, 1},  // a jump to the disabled item is taken back
      {2, 3, 4},  // one step right skips it
      {4, 3, 2},  // one step left skips it
      {0, 4, 4},  // enabled items go through
  };
  for (const SetIndexCase& c : cases) {
    tabs->SetCurSel(c.current);
    ASSERT_EQ(tabs->currentIndex(), c.current);
    bar->setCurrentIndex(c.requested);
    EXPECT_EQ(tabs->currentIndex(), c.result) << c.current << "->" << c.requested;
    EXPECT_TRUE(tabs->IsTabEnabled(tabs->currentIndex()));
  }
  EXPECT_TRUE(notified.empty());
  // The filter's view agrees with the screen: an arrow key steps from where the bar really is.
  tabs->SetCurSel(1);
  bar->setCurrentIndex(3);
  QTest::keyClick(tabs, Qt::Key_Right);
  EXPECT_EQ(tabs->currentIndex(), 2);
}

struct RemoveCase {
  const char* what;
  QTabBar::SelectionBehavior behaviour;
  int disabled;
  int current;
  int removed;
  int result;
};

// QTabBar moves the selection itself when items go; it must land on an enabled item, where the
// filter says. Four items to start with.
TEST_F(SkinTabCtrlTest, RemovingItemsLeavesTheSelectionOnAnEnabledItem) {
  const RemoveCase cases[] = {
      {"the last item goes, the bar picks its disabled left neighbour", QTabBar::SelectRightTab, 2,
       3, 3, 0},
      {"the bar, told to go left, picks a disabled item", QTabBar::SelectLeftTab, 1, 2, 2, 2},
      {"the right neighbour slides into the selected index", QTabBar::SelectRightTab, 2, 1, 1, 1},
      {"an item before the selection goes, the index moves onto a disabled one",
       QTabBar::SelectRightTab, 1, 2, 0, 2},
      {"an item after the selection goes", QTabBar::SelectRightTab, 1, 0, 3, 0},
  };
  for (const RemoveCase& c : cases) {
    while (tabs->count() > 0) tabs->removeTab(0);
    Add(4);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(tabs->EnableTab(i, true));
    tabs->setSelectionBehaviorOnRemove(c.behaviour);
    tabs->SetCurSel(c.current);
    ASSERT_EQ(tabs->currentIndex(), c.current) << c.what;
    ASSERT_TRUE(tabs->EnableTab(c.disabled, false));
    QSignalSpy changes(tabs, &QTabBar::currentChanged);

    tabs->removeTab(c.removed);
    EXPECT_EQ(tabs->currentIndex(), c.result) << c.what;
    EXPECT_TRUE(tabs->IsTabEnabled(tabs->currentIndex())) << c.what;
    // Whoever follows QTabBar's own signal ends up told the right item.
    if (!changes.isEmpty()) {
      EXPECT_EQ(changes.back().at(0).toInt(), c.result) << c.what;
    }
  }
  EXPECT_TRUE(notified.empty());
}

TEST_F(SkinTabCtrlTest, RefusedSetActiveTabStillNotifiesTheParent) {
  Add(5);
  tabs->SetCurSel(1);
  ASSERT_TRUE(tabs->EnableTab(3, false));
  tabs->SetActiveTab(3);  // a jump to the disabled item
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(notified, std::vector<int>{1});
  tabs->SetActiveTab(4);
  tabs->SetActiveTab(7);  // outside the items: ignored
  EXPECT_EQ(tabs->currentIndex(), 4);
  EXPECT_EQ(notified, (std::vector<int>{1, 4}));
}

}  // namespace
}  // namespace zc::fp::testing
