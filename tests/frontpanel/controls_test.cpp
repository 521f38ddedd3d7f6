// The rules of the tab control with disabled items, and of the self-painted label's style.
#include <gtest/gtest.h>

#include <vector>

#include "controls/label_style.h"
#include "controls/tab_rules.h"

namespace zc::fp {
namespace {

struct Tabs {
  explicit Tabs(int count, int selected = 0) {
    rules.itemCount = count;
    rules.selection = selected;
    rules.onSelected = [this](int i) { notified.push_back(i); };
  }
  CTabRules rules;
  std::vector<int> notified;
};

TEST(TabRules, FindEnabledTabWrapsBothWays) {
  Tabs t(5);
  t.rules.disabledList = {1, 2, 4};
  struct Case {
    int start;
    bool forward;
    int found;
  };
  for (Case c : {Case{1, true, 3}, Case{4, true, 0}, Case{3, true, 3}, Case{2, false, 0},
                 Case{0, false, 0}, Case{-1, false, 3}, Case{5, true, 0}}) {
    EXPECT_EQ(t.rules.FindEnabledTab(c.start, c.forward), c.found) << c.start << c.forward;
  }
  t.rules.disabledList = {0, 1, 2, 3, 4};
  EXPECT_EQ(t.rules.FindEnabledTab(0, true), -1);
}

TEST(TabRules, DisabledSecondItemKeepsTheFirst) {
  Tabs t(2);
  ASSERT_TRUE(t.rules.EnableTab(1, false));
  EXPECT_FALSE(t.rules.AcceptClick(1));  // a click on it changes nothing
  EXPECT_FALSE(t.rules.AcceptClick(-1));
  t.rules.Step(true);
  EXPECT_EQ(t.rules.selection, 0);
  t.rules.Step(false);
  EXPECT_EQ(t.rules.selection, 0);
}

TEST(TabRules, DisablingTheSelectedItemMovesOn) {
  Tabs t(2, 1);
  std::vector<int> repainted;
  t.rules.onItemChanged = [&](int i) { repainted.push_back(i); };
  ASSERT_TRUE(t.rules.EnableTab(1, false));
  EXPECT_EQ(t.rules.selection, 0);
  EXPECT_EQ(t.notified, std::vector<int>{0});
  EXPECT_EQ(t.rules.disabledList, std::vector<std::int32_t>{1});
  ASSERT_TRUE(t.rules.EnableTab(1, true));
  EXPECT_EQ(t.rules.selection, 0);  // enabling again leaves the selection
  EXPECT_TRUE(t.rules.disabledList.empty());
  EXPECT_EQ(repainted, (std::vector<int>{1, 1}));
}

TEST(TabRules, TheLastEnabledItemStaysEnabled) {
  Tabs t(2);
  ASSERT_TRUE(t.rules.EnableTab(1, false));
  EXPECT_FALSE(t.rules.EnableTab(0, false));
  EXPECT_TRUE(t.rules.IsTabEnabled(0));
  EXPECT_TRUE(t.rules.EnableTab(1, false));  // already so
  EXPECT_FALSE(t.rules.EnableTab(2, false));
  EXPECT_FALSE(t.rules.EnableTab(-1, true));
  int position = 0;
  EXPECT_FALSE(t.rules.IsTabEnabled(1, &position));
  EXPECT_EQ(position, 0);
  EXPECT_FALSE(t.rules.IsTabEnabled(7));
}

TEST(TabRules, ArrowsWrapAndNotify) {
  Tabs t(3, 2);
  t.rules.Step(true);
  EXPECT_EQ(t.rules.selection, 0);
  t.rules.Step(false);
  EXPECT_EQ(t.rules.selection, 2);
  EXPECT_EQ(t.notified, (std::vector<int>{0, 2}));
}

// A request for a disabled item lands on the next enabled one for one-step moves and wraps,
// and is refused for longer jumps.
TEST(TabRules, SelectionFilter) {
  struct Case {
    int count, selected;
    std::vector<std::int32_t> disabled;
    int requested, result;
  };
  const Case cases[] = {
      {4, 0, {1}, 1, 2},   // one step right skips the disabled item
      {4, 2, {1}, 1, 0},   // one step left skips it backwards
      {4, 0, {3}, 3, 2},   // wrap from the first to the last goes backwards
      {4, 3, {0}, 0, 1},   // wrap from the last to the first goes forwards
      {5, 1, {3}, 3, -1},  // a jump to a disabled item is refused
      {4, 0, {1, 2, 3}, 1, 0},
      {4, 1, {}, 3, 3},  // enabled items always go through
      {4, 1, {}, 9, -1},
      // Nothing selected (the selected item was removed): a disabled item skips on forwards.
      {4, -1, {0}, 0, 1},
      {4, -1, {2}, 2, 3},
      {4, 4, {3}, 3, 0},
      {3, -1, {0, 1, 2}, 1, -1},
  };
  for (const Case& c : cases) {
    Tabs t(c.count, c.selected);
    t.rules.disabledList = c.disabled;
    EXPECT_EQ(t.rules.FilterSelection(c.requested), c.result) << c.selected << "->" << c.requested;
  }
}

// The parent hears of every SetActiveTab on an item, also of one the filter refused.
TEST(TabRules, RefusedSetActiveTabStillNotifies) {
  Tabs t(5, 1);
  t.rules.disabledList = {3};
  t.rules.SetActiveTab(3);  // a jump to a disabled item
  EXPECT_EQ(t.rules.selection, 1);
  EXPECT_EQ(t.notified, std::vector<int>{1});
  t.rules.SetActiveTab(9);  // outside the items: ignored
  t.rules.SetActiveTab(-1);
  EXPECT_EQ(t.notified, std::vector<int>{1});
}

TEST(LabelStyle, FlagsSwitchOnAndAlignmentIsSetAnew) {
  CLabelStyle s;
  EXPECT_EQ(s.faceName, "MS Sans Serif");
  EXPECT_EQ(s.height, 8);
  s.SetFontStyle("Verdana", 17, {0, 128, 128}, 0x41);
  EXPECT_TRUE(s.bold);
  EXPECT_EQ(s.align, CAlign::Left);
  s.SetFontStyle("Verdana", 17, {0, 128, 128}, 0x20);
  EXPECT_TRUE(s.bold);  // not cleared by a later call
  EXPECT_EQ(s.align, CAlign::Centre);
  s.SetFontStyle("Times New Roman", 22, {0, 0, 0}, 0xA0);
  EXPECT_EQ(s.align, CAlign::Centre);  // centre wins over right
  s.SetFontStyle("Times New Roman", 22, {0, 0, 0}, 0x80 | 0x02 | 0x04 | 0x08 | 0x10);
  EXPECT_EQ(s.align, CAlign::Right);
  EXPECT_TRUE(s.italic && s.underline && s.strikeout && s.smooth);
  EXPECT_EQ(s.textColour, (CRgb{0, 0, 0}));
}

}  // namespace
}  // namespace zc::fp
