// The component with its form: what reaches the criteria and the table
// after OK, Cancel and New Search, driven inside the modal loop.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

#include "../gui/locale_matrix.h"
#include "controls/edit/calendar.h"
#include "filterdialog/date_edit.h"
#include "filterdialog/filter_form.h"
#include "form_test_support.h"
#include "gui/mask_edit.h"
#include "gui/qt_text.h"
#include "platform/conversions.h"

using namespace notarra;
using formtest::IdeaTable;

namespace {

class FilterExecuteTest : public IdeaTable {
protected:
  void SetUp() override {
    IdeaTable::SetUp();
    InstallFilterDialogForms();
    all = VisibleSubjects();
  }
  // Runs Execute while steps drive the form; returns Execute's result.
  bool Execute(std::function<void(TsfFilterDlg&)> steps) {
    WhenModal<TsfFilterDlg>([this, steps](TsfFilterDlg* dlg) {
      form.reset();
      steps(*dlg);
    });
    return component.Execute();
  }
  static void ClickIn(TsfFilterDlg& f, const std::string& name) {
    const auto items = f.FieldsListBox()->findItems(QString::fromStdString(name), Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty()) << name;
    QListWidget* list = f.FieldsListBox();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.front()).center());
  }
  std::set<std::string> all;
};

TEST_F(FilterExecuteTest, OkAppliesTheWorkingCopyAndCancelChangesNothing) {
  bool shownDuringDialog = false;
  EXPECT_TRUE(Execute([&](TsfFilterDlg& f) {
    ClickIn(f, "Group");
    Type(f.FilterValueEdit(), "cook");
    ClickIn(f, "Title");
    // While the form is open the component and the table are untouched.
    shownDuringDialog = component.FieldInfo().empty() && !table.Filtered();
    QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  }));
  EXPECT_TRUE(shownDuringDialog);
  ASSERT_EQ(component.FieldInfo().size(), 1u);
  EXPECT_EQ(component.FieldInfo()[0]->FieldName, "Group");
  EXPECT_EQ(component.FieldInfo()[0]->FilterValue, "cook");
  EXPECT_TRUE(table.Filtered());
  const std::set<std::string> cooking = VisibleSubjects();
  EXPECT_FALSE(cooking.empty());
  EXPECT_LT(cooking.size(), all.size());
  EXPECT_TRUE(cooking.count("Sourdough starter from scratch"));
  EXPECT_FALSE(cooking.count("Night trains are back"));

  // Cancel after changing the value: criteria and table as they were.
  EXPECT_FALSE(Execute([&](TsfFilterDlg& f) {
    // It opens on the Searched tab with the criterion loaded.
    EXPECT_EQ(f.FieldTabSet()->currentIndex(), 1);
    EXPECT_EQ(f.FilterValueEdit()->text(), "cook");
    Type(f.FilterValueEdit(), "Tech");
    ClickIn(f, "Group");
    QTest::keyClick(&f, Qt::Key_Escape);
  }));
  ASSERT_EQ(component.FieldInfo().size(), 1u);
  EXPECT_EQ(component.FieldInfo()[0]->FilterValue, "cook");
  EXPECT_TRUE(table.Filtered());
  EXPECT_EQ(VisibleSubjects(), cooking);

  // Enter presses OK (loading the criterion enabled it); with nothing
  // changed the filtered table is not filtered again, so it stays on its record.
  table.Last();
  const std::string current = table.FieldByName("Subject")->AsString();
  EXPECT_TRUE(Execute([&](TsfFilterDlg& f) {
    EXPECT_TRUE(f.OKButton()->isEnabled());
    QTest::keyClick(f.FieldsListBox(), Qt::Key_Return);
  }));
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), current);
  EXPECT_EQ(VisibleSubjects(), cooking);
}

TEST_F(FilterExecuteTest, NewSearchThenOkSwitchesFilteringOff) {
  ASSERT_TRUE(Execute([&](TsfFilterDlg& f) {
    ClickIn(f, "Key");
    Type(f.MinValueEdit(), "3");
    Type(f.MaxValueEdit(), "5");
    QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  }));
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_TRUE(Execute([&](TsfFilterDlg& f) {
    QTest::mouseClick(f.ClearSearchButton(), Qt::LeftButton);
    EXPECT_TRUE(f.FieldInfoList().empty());
    QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  }));
  EXPECT_TRUE(component.FieldInfo().empty());
  EXPECT_FALSE(table.Filtered());
  EXPECT_EQ(VisibleSubjects(), all);
}

TEST_F(FilterExecuteTest, InitDialogAndCaptionReachTheForm) {
  TsfFilterForm* seen = nullptr;
  component.OnInitDialog = [&](TsfFilterForm* f) { seen = f; };
  component.SetCaption("Find ideas");
  QString title;
  EXPECT_FALSE(Execute([&](TsfFilterDlg& f) {
    title = f.windowTitle();
    EXPECT_EQ(seen, static_cast<TsfFilterForm*>(&f));
    QTest::mouseClick(f.CancelButton(), Qt::LeftButton);
  }));
  EXPECT_EQ(title, "Find ideas");
}

TEST_F(FilterExecuteTest, ExactMatchOnADateAndARangeOfDates) {
  ASSERT_TRUE(Execute([&](TsfFilterDlg& f) {
    ClickIn(f, "PubDate");
    Type(f.MinDateEdit(), "1/1/2019");
    Type(f.MaxDateEdit(), "12/31/2021");
    QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  }));
  const std::set<std::string> recent = VisibleSubjects();
  EXPECT_TRUE(recent.count("Packing light for a week in Lisbon"));   // 2019
  EXPECT_TRUE(recent.count("Crème brûlée without a torch") || recent.size() > 0);
  EXPECT_FALSE(recent.count("Visiting Kyoto in the rainy season"));  // 2023
  EXPECT_FALSE(recent.count("Night trains are back"));               // no date
  for (table.First(); !table.Eof(); table.Next()) {
    const double day = table.FieldByName("PubDate")->AsDateTime();
    EXPECT_GE(day, EncodeDate(2019, 1, 1));
    EXPECT_LE(day, EncodeDate(2021, 12, 31));
  }
}


// A date range typed as the window shows dates, or picked, filters the ideas
// between its ends in every locale; a bound that is no date is refused with
// a word next to it.
class FilterDateLocales : public FilterExecuteTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FilterDateLocales, ARangeTypedAsShownFiltersAndARefusalSaysWhy) {
  localematrix::Scope scope(GetParam());
  std::vector<std::pair<TDateTime, std::string>> dated;
  for (table.First(); !table.Eof(); table.Next())
    if (!table.FieldByName("PubDate")->IsNull())
      dated.emplace_back(table.FieldByName("PubDate")->AsDateTime(), table.FieldByName("Subject")->AsString());
  std::sort(dated.begin(), dated.end());
  ASSERT_GE(dated.size(), 4u);
  const TDateTime low = dated[1].first, high = dated[dated.size() - 2].first;
  std::set<std::string> between;
  for (const auto& [date, subject] : dated)
    if (date >= low && date <= high) between.insert(subject);

  EXPECT_TRUE(Execute([&](TsfFilterDlg& f) {
    ClickIn(f, "PubDate");
    Type(f.MinDateEdit(), ToQString(DateToStr(low)));
    Type(f.MaxDateEdit(), ToQString(DateToStr(high)));
    ClickIn(f, "Key");
    EXPECT_FALSE(f.RefusalLbl()->isVisible());
    QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  }));
  EXPECT_EQ(VisibleSubjects(), between);

  EXPECT_FALSE(Execute([&](TsfFilterDlg& f) {
    QTest::mouseClick(f.FieldTabSet(), Qt::LeftButton, {}, f.FieldTabSet()->tabRect(0).center());  // All
    ClickIn(f, "PubDate");
    // A picked day reads back as that day.
    QTest::mouseClick(f.MinDateEdit()->DropButton(), Qt::LeftButton);
    f.MinDateEdit()->Calendar()->SetDate(EncodeDate(2024, 2, 1));
    QTest::keyClick(f.MinDateEdit(), Qt::Key_Return);
    TDateTime picked = 0;
    EXPECT_TRUE(TryStrToDate(f.MinDateEdit()->Text(), picked));
    EXPECT_EQ(picked, EncodeDate(2024, 2, 1));
    Type(f.MaxDateEdit(), "soon");
    ClickIn(f, "Key");
    EXPECT_TRUE(f.RefusalLbl()->isVisible());
    EXPECT_EQ(f.RefusalLbl()->text().toStdString(),
              "\"soon\" is not a date; type one like " + DateToStr(EncodeDate(2019, 5, 17)));
    // Typing again takes the word away.
    Type(f.MaxDateEdit(), ToQString(DateToStr(high)));
    EXPECT_FALSE(f.RefusalLbl()->isVisible());
    QTest::keyClick(&f, Qt::Key_Escape);
  }));
}

INSTANTIATE_TEST_SUITE_P(Locales, FilterDateLocales, ::testing::ValuesIn(localematrix::Names()));

}  // namespace
