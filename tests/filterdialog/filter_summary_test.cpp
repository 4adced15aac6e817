#include "filterdialog/filter_summary.h"

#include <QPushButton>

#include "filterdialog/filter_texts.h"
#include "form_test_support.h"
#include "gui/string_grid.h"
#include "gui/inplace_edit.h"

using namespace notarra;
using formtest::IdeaTable;

namespace {

TsfFieldInfo Value(const std::string& name, TsfFilterMatchType type, const std::string& value, bool nonMatching) {
  TsfFieldInfo info;
  info.DisplayName = name;
  info.MatchType = type;
  info.FilterValue = value;
  info.NonMatching = nonMatching;
  return info;
}

TsfFieldInfo Range(const std::string& name, const std::string& min, const std::string& max) {
  TsfFieldInfo info;
  info.DisplayName = name;
  info.MatchType = fdMatchRange;
  info.MinValue = min;
  info.MaxValue = max;
  return info;
}

using Row = std::array<std::string, 3>;

TEST(SummaryRows, ValuesAndRangesInWords) {
  TsfFieldOperators ops;
  EXPECT_EQ(SummaryRowTexts(Value("Group", fdMatchExact, "Tech", false), ops),
            (Row{"Group", "Exact Match", "Tech"}));
  EXPECT_EQ(SummaryRowTexts(Value("Group", fdMatchStart, "Te", false), ops),
            (Row{"Group", "Partial Match at Beginning", "Te"}));
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "x", false), ops),
            (Row{"Title", "Partial Match Anywhere", "x"}));
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a or b", true), ops)[2], "NOT (a or b)");
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a AND b", true), ops)[2], "NOT (a AND b)");
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a", true), ops)[2], "NOT a");
  // The first word is never an operator.
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "or x", true), ops)[2], "NOT or x");
  EXPECT_EQ(SummaryRowTexts(Range("Key", "", "10"), ops), (Row{"Key", "By Range", "<=10"}));
  EXPECT_EQ(SummaryRowTexts(Range("Key", "1", "10"), ops)[2], ">=1, <=10");
  EXPECT_EQ(SummaryRowTexts(Range("Key", "1", ""), ops)[2], ">=1");
  EXPECT_EQ(SummaryRowTexts(Value("Key", fdMatchNone, "1", false), ops), (Row{"", "", ""}));
  // The operator words and the texts table are the component's and the program's.
  ops.SetOrChar("oder");
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a oder b", true), ops)[2], "NOT (a oder b)");
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a or b", true), ops)[2], "NOT a or b");
  FilterDialogTexts().ViewSummaryNotText = "NICHT";
  EXPECT_EQ(SummaryRowTexts(Value("Title", fdMatchAny, "a", true), ops)[2], "NICHT a");
  FilterDialogTexts() = TsfFilterDialogTexts();
}

class SummaryViewTest : public IdeaTable {};

TEST_F(SummaryViewTest, OneRowPerCriterionInCreationOrder) {
  TsfFieldInfoList list;
  list.push_back(std::make_unique<TsfFieldInfo>(Value("Title", fdMatchAny, "a or b", true)));
  list.push_back(std::make_unique<TsfFieldInfo>(Range("Key", "1", "10")));
  list.push_back(std::make_unique<TsfFieldInfo>(Value("Group", fdMatchExact, "Tech", false)));
  TsfFilterDialogView view;
  view.Fill(component, list);
  TStringGrid* grid = view.StringGrid1();
  EXPECT_EQ(view.windowTitle(), "Show Search Summary");
  EXPECT_EQ(grid->RowCount(), 4);
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->Cells(0, 0), "Field");
  EXPECT_EQ(grid->Cells(1, 0), "Search Type");
  EXPECT_EQ(grid->Cells(2, 0), "Value");
  EXPECT_EQ(grid->Cells(2, 1), "NOT (a or b)");
  EXPECT_EQ(grid->Cells(0, 2), "Key");
  EXPECT_EQ(grid->Cells(2, 2), ">=1, <=10");
  EXPECT_EQ(grid->Cells(1, 3), "Exact Match");
  // The OK button centred under the grid.
  const int left = view.OKButton()->x(), right = view.width() - view.OKButton()->geometry().right() - 1;
  EXPECT_LE(std::abs(left - right), 1);
  EXPECT_GT(view.OKButton()->y(), grid->geometry().bottom());
}

TEST_F(SummaryViewTest, CellsCanBeSelectedButNotChanged) {
  TsfFieldInfoList list;
  list.push_back(std::make_unique<TsfFieldInfo>(Value("Group", fdMatchExact, "Tech", false)));
  TsfFilterDialogView view;
  view.Fill(component, list);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  TStringGrid* grid = view.StringGrid1();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 1).center());
  ASSERT_TRUE(grid->hasFocus());
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 1);
  grid->ShowEditor();
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->isReadOnly());
  QTest::keyClicks(grid->InplaceEditor(), "XYZ");
  EXPECT_EQ(grid->InplaceEditor()->text(), "Tech");
  grid->HideEditor();
  EXPECT_EQ(grid->Cells(2, 1), "Tech");
  EXPECT_EQ(list[0]->FilterValue, "Tech");
}

TEST_F(SummaryViewTest, ViewSummaryShowsTheWorkingCopyAndClosesWithEscapeOrOk) {
  TsfFilterDlg& f = OpenForm();
  const auto items = f.FieldsListBox()->findItems("Group", Qt::MatchExactly);
  QTest::mouseClick(f.FieldsListBox()->viewport(), Qt::LeftButton, {},
                    f.FieldsListBox()->visualItemRect(items.front()).center());
  Type(f.FilterValueEdit(), "Tech");
  // The summary commits the value being edited first.
  std::vector<std::string> cells;
  WhenModal<TsfFilterDialogView>([&](TsfFilterDialogView* view) {
    for (int c = 0; c < 3; ++c) cells.push_back(view->StringGrid1()->Cells(c, 1));
    QTest::keyClick(view, Qt::Key_Escape);
  });
  QTest::mouseClick(f.ViewButton(), Qt::LeftButton);
  EXPECT_EQ(cells, (std::vector<std::string>{"Group", "Partial Match at Beginning", "Tech"}));
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  EXPECT_EQ(f.focusWidget(), f.FilterValueEdit());
  bool closed = false;
  WhenModal<TsfFilterDialogView>([&](TsfFilterDialogView* view) {
    QTest::mouseClick(view->OKButton(), Qt::LeftButton);
    closed = !view->isVisible();
  });
  QTest::mouseClick(f.ViewButton(), Qt::LeftButton);
  EXPECT_TRUE(closed);
  EXPECT_EQ(f.FieldInfoList()[0]->FilterValue, "Tech");
  EXPECT_TRUE(component.FieldInfo().empty());
}

TEST_F(SummaryViewTest, DialogSummaryHandlerTakesOver) {
  TsfFilterDlg& f = OpenForm();
  const auto items = f.FieldsListBox()->findItems("Title", Qt::MatchExactly);
  QTest::mouseClick(f.FieldsListBox()->viewport(), Qt::LeftButton, {},
                    f.FieldsListBox()->visualItemRect(items.front()).center());
  Type(f.FilterValueEdit(), "night");
  std::size_t handed = 0;
  component.OnDialogSummary = [&](TObject* sender, TsfFieldInfoList& list, bool& doDefault) {
    EXPECT_EQ(sender, &component);
    handed = list.size();
    doDefault = false;
  };
  QTest::mouseClick(f.ViewButton(), Qt::LeftButton);  // would block if the view were shown
  EXPECT_EQ(handed, 1u);
}

}  // namespace
