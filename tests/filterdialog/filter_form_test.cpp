#include "filterdialog/filter_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "controls/edit/calendar.h"
#include "filterdialog/date_edit.h"
#include "form_test_support.h"
#include "gui/mask_edit.h"
#include "gui/popup_window.h"
#include "platform/conversions.h"

using namespace notarra;
using formtest::IdeaTable;

namespace {

class FilterFormTest : public IdeaTable {};

TEST_F(FilterFormTest, OpensWithoutCriteriaOnTheFirstFieldOfTheAllTab) {
  TsfFilterDlg& f = OpenForm();
  EXPECT_EQ(f.FieldTabSet()->currentIndex(), 0);
  // Every field but the binary kinds, in the table's order (memo included).
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Flag", "Subject", "Group", "Title", "Keywords", "Notes", "Published",
                                                "PubDate", "Key", "UserField1", "UserField2"}));
  EXPECT_EQ(Selected(), "Flag");
  EXPECT_EQ(f.FieldCriteria()->text(), "Flag");
  EXPECT_TRUE(f.FilterValueEdit()->text().isEmpty());
  EXPECT_TRUE(f.MinEdit()->text().isEmpty());
  EXPECT_FALSE(f.OKButton()->isEnabled());
  EXPECT_FALSE(f.ClearSearchButton()->isEnabled());
  EXPECT_FALSE(f.FilterValueClearButton()->isEnabled());
  EXPECT_TRUE(f.Activated());
  EXPECT_FALSE(f.Modified());
  // The default options: no non-matching box, partial-match-anywhere kept.
  EXPECT_TRUE(f.Nonmatching()->isHidden());
  EXPECT_FALSE(f.CaseSensitive()->isHidden());
  ASSERT_NE(f.MatchTypeItem(2), nullptr);
  // The texts table: captions and hints, and the regular font it gives.
  EXPECT_EQ(f.ViewButton()->text(), "View Su&mmary");
  EXPECT_EQ(f.ClearSearchButton()->toolTip(), "Start a new search");
  EXPECT_EQ(f.FieldTabSet()->tabText(1), "&Searched");
  EXPECT_EQ(f.MatchTypeItem(2)->text(), "Partial Match Any&where");
  EXPECT_FALSE(f.font().bold());
  EXPECT_EQ(f.font().pointSize(), 8);
}

TEST_F(FilterFormTest, DefaultFieldIsSelectedFirst) {
  component.SetDefaultField("pubdate");
  TsfFilterDlg& f = OpenForm();
  EXPECT_EQ(Selected(), "PubDate");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 1);
}

TEST_F(FilterFormTest, FieldsOpenOnTheirPagesWithTheirEditors) {
  TsfFilterDlg& f = OpenForm();
  // A string field: the value page, partial match at the beginning.
  ClickField("Subject");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 0);
  EXPECT_TRUE(f.MatchTypeItem(1)->isChecked());
  EXPECT_EQ(f.FieldCriteria()->text(), "Subject");
  EXPECT_EQ(f.ValueEdit(), f.FilterValueEdit());
  // A date field: the range page with date pickers.
  ClickField("PubDate");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 1);
  EXPECT_EQ(f.MinEdit(), f.MinDateEdit());
  EXPECT_EQ(f.MaxEdit(), f.MaxDateEdit());
  EXPECT_TRUE(f.MinDateEdit()->isVisible());
  EXPECT_FALSE(f.MinValueEdit()->isVisible());
  // The automatic key opens on the range page with plain edits; a Boolean
  // is a typed field but opens on the value page.
  ClickField("Key");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 1);
  EXPECT_EQ(f.MinEdit(), f.MinValueEdit());
  EXPECT_TRUE(f.MinValueEdit()->isVisible());
  ClickField("Flag");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 0);
}

TEST_F(FilterFormTest, InvalidKeyValueIsRefusedWithTheTextSelected) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Key");
  ClickPage(0);
  Type(f.FilterValueEdit(), "abc");
  EXPECT_TRUE(f.OKButton()->isEnabled());
  ClickField("Title");
  // No box: the list goes back to the key, the value page shows the text selected.
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(Selected(), "Key");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 0);
  EXPECT_EQ(f.FilterValueEdit()->selectedText(), "abc");
  EXPECT_TRUE(f.FilterValueEdit()->hasFocus());
  EXPECT_TRUE(f.FieldInfoList().empty());
  // OK refuses the same way and the form stays open.
  QTest::mouseClick(f.OKButton(), Qt::LeftButton);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.result(), 0);
  EXPECT_TRUE(f.FieldInfoList().empty());
}

TEST_F(FilterFormTest, OrWordJoinsValidValuesButTheAndWordIsTestedWhole) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Key");
  ClickPage(0);
  Type(f.FilterValueEdit(), "1 and 2");
  ClickField("Title");
  EXPECT_EQ(Selected(), "Key");
  EXPECT_TRUE(f.FieldInfoList().empty());
  Type(f.FilterValueEdit(), "1 OR 2 or null");
  ClickField("Title");
  EXPECT_EQ(Selected(), "Title");
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  const TsfFieldInfo& info = *f.FieldInfoList()[0];
  EXPECT_EQ(info.DisplayName, "Key");
  EXPECT_EQ(info.FilterValue, "1 OR 2 or null");
  EXPECT_EQ(info.MatchType, fdMatchStart);
  EXPECT_TRUE(f.Modified());
  EXPECT_TRUE(f.ClearSearchButton()->isEnabled());
}

TEST_F(FilterFormTest, InvalidRangeBoundIsRefusedOnItsEditor) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Key");
  Type(f.MinValueEdit(), "3");
  Type(f.MaxValueEdit(), "x9");
  ClickField("Title");
  EXPECT_EQ(Selected(), "Key");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 1);
  EXPECT_EQ(f.MaxValueEdit()->selectedText(), "x9");
  EXPECT_TRUE(f.FieldInfoList().empty());
  Type(f.MaxValueEdit(), "9");
  ClickField("Title");
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  EXPECT_EQ(f.FieldInfoList()[0]->MatchType, fdMatchRange);
  EXPECT_EQ(f.FieldInfoList()[0]->MinValue, "3");
  EXPECT_EQ(f.FieldInfoList()[0]->MaxValue, "9");
  // Coming back loads the stored bounds onto the range page.
  ClickField("Key");
  EXPECT_EQ(f.SelectNotebook()->currentIndex(), 1);
  EXPECT_EQ(f.MinValueEdit()->text(), "3");
  EXPECT_EQ(f.MaxValueEdit()->text(), "9");
}

TEST_F(FilterFormTest, ClearingAValueRemovesItsCriterion) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Group");
  Type(f.FilterValueEdit(), "Tra");
  QTest::mouseClick(f.CaseSensitive(), Qt::LeftButton);
  ClickField("Title");
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  EXPECT_TRUE(f.FieldInfoList()[0]->CaseSensitive);
  ClickField("Group");
  EXPECT_EQ(f.FilterValueEdit()->text(), "Tra");
  EXPECT_TRUE(f.CaseSensitive()->isChecked());
  EXPECT_TRUE(f.FilterValueClearButton()->isEnabled());
  QTest::mouseClick(f.FilterValueClearButton(), Qt::LeftButton);
  EXPECT_TRUE(f.FilterValueEdit()->text().isEmpty());
  EXPECT_FALSE(f.FilterValueClearButton()->isEnabled());
  ClickField("Title");
  EXPECT_TRUE(f.FieldInfoList().empty());
  // And back on it: no criterion, so the options' case setting again.
  ClickField("Group");
  EXPECT_FALSE(f.CaseSensitive()->isChecked());
}

TEST_F(FilterFormTest, SearchedTabListsOnlySearchedFieldsAndDeleteRemovesOne) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Group");
  Type(f.FilterValueEdit(), "Cooking");
  ClickField("Subject");
  Type(f.FilterValueEdit(), "Sour");
  ClickFieldTab(1);
  EXPECT_EQ(f.FieldTabSet()->currentIndex(), 1);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Subject", "Group"}));
  ASSERT_EQ(f.FieldInfoList().size(), 2u);
  f.FieldsListBox()->setFocus();
  EXPECT_EQ(Selected(), "Subject");
  QTest::keyClick(f.FieldsListBox(), Qt::Key_Delete);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Group"}));
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  EXPECT_EQ(f.FieldInfoList()[0]->DisplayName, "Group");
  EXPECT_EQ(Selected(), "Group");
  EXPECT_EQ(f.FilterValueEdit()->text(), "Cooking");
  EXPECT_TRUE(f.FieldsListBox()->hasFocus());
  // Back to all fields, the selection kept.
  ClickFieldTab(0);
  EXPECT_EQ(Listed().size(), 11u);
  EXPECT_EQ(Selected(), "Group");
}

TEST_F(FilterFormTest, SearchedTabWithoutCriteriaTellsAndStays) {
  TsfFilterDlg& f = OpenForm();
  ClickFieldTab(1);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"I:You have not selected any search criteria"}));
  EXPECT_EQ(f.FieldTabSet()->currentIndex(), 0);
  EXPECT_EQ(Listed().size(), 11u);
  // View Summary says the same.
  QTest::mouseClick(f.ViewButton(), Qt::LeftButton);
  EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(FilterFormTest, ArrowAndPageKeysMoveTheFieldListFromAnyEditor) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Subject");
  f.FilterValueEdit()->setFocus();
  QTest::keyClick(f.FilterValueEdit(), Qt::Key_Down);
  EXPECT_EQ(Selected(), "Group");
  EXPECT_TRUE(f.FilterValueEdit()->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(Selected(), "Subject");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  const int page = f.FieldsListBox()->viewport()->height() / f.FieldsListBox()->sizeHintForRow(0);
  EXPECT_EQ(Row(Selected()), std::min(10, 1 + page));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(Selected(), "UserField2");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
  EXPECT_EQ(Selected(), "Flag");
  // A date picker holding a date keeps Up and Down; an empty one does not.
  ClickField("PubDate");
  Type(f.MinDateEdit(), "1/2/2020");
  f.MinDateEdit()->setFocus();
  QTest::keyClick(f.MinDateEdit(), Qt::Key_Down);
  EXPECT_EQ(Selected(), "PubDate");
  Type(f.MinDateEdit(), "");
  QTest::keyClick(f.MinDateEdit(), Qt::Key_Down);
  EXPECT_EQ(Selected(), "Key");
}

TEST_F(FilterFormTest, DatePickerDropsItsCalendarAndReadsTwoDigitYearsFrom1950) {
  TsfFilterDlg& f = OpenForm();
  ClickField("PubDate");
  TsfDateEdit* min = f.MinDateEdit();
  Type(min, "3/15/2021");
  QTest::mouseClick(min->DropButton(), Qt::LeftButton);
  ASSERT_TRUE(min->DroppedDown());
  EXPECT_EQ(min->Calendar()->Year(), 2021);
  EXPECT_EQ(min->Calendar()->Month(), 3);
  // The popup leaves the focus in the picker; a day click picks the date.
  EXPECT_TRUE(min->hasFocus());
  QToolButton* day = nullptr;
  for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n)
    if (min->Calendar()->DayButton(n)->text() == "20" && min->Calendar()->DayButton(n)->isEnabled()) {
      day = min->Calendar()->DayButton(n);
      break;
    }
  ASSERT_NE(day, nullptr);
  QTest::mouseClick(day, Qt::LeftButton);
  EXPECT_FALSE(min->DroppedDown());
  EXPECT_EQ(min->text(), "3/20/2021");
  // Escape closes without picking; Alt+Down opens from the keyboard.
  QTest::keyClick(min, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(min->DroppedDown());
  QTest::keyClick(min, Qt::Key_Right);
  QTest::keyClick(min, Qt::Key_Escape);
  EXPECT_FALSE(min->DroppedDown());
  EXPECT_EQ(min->text(), "3/20/2021");
  QTest::keyClick(min, Qt::Key_Down, Qt::AltModifier);
  QTest::keyClick(min, Qt::Key_Right);
  QTest::keyClick(min, Qt::Key_Return);
  EXPECT_EQ(min->text(), "3/21/2021");

  TDateTime value = 0;
  ASSERT_TRUE(ReadPickerText("1/1/49", false, value));
  EXPECT_EQ(value, EncodeDate(2049, 1, 1));
  ASSERT_TRUE(ReadPickerText("1/1/50", false, value));
  EXPECT_EQ(value, EncodeDate(1950, 1, 1));
  ASSERT_TRUE(ReadPickerText("12/31/99", false, value));
  EXPECT_EQ(value, EncodeDate(1999, 12, 31));
  ASSERT_TRUE(ReadPickerText("2/29/00", false, value));
  EXPECT_EQ(value, EncodeDate(2000, 2, 29));
  ASSERT_TRUE(ReadPickerText("7/4/1920", false, value));
  EXPECT_EQ(value, EncodeDate(1920, 7, 4));
  EXPECT_FALSE(ReadPickerText("13/1/20", false, value));

  // Two-digit bounds are stored as full dates.
  Type(min, "1/1/98");
  Type(f.MaxDateEdit(), "6/30/05");
  ClickField("Key");
  ASSERT_EQ(f.FieldInfoList().size(), 1u);
  EXPECT_EQ(f.FieldInfoList()[0]->MinValue, "1/1/1998");
  EXPECT_EQ(f.FieldInfoList()[0]->MaxValue, "6/30/2005");
}

TEST_F(FilterFormTest, DatePickerTextThatIsNoDateIsRefused) {
  TsfFilterDlg& f = OpenForm();
  ClickField("PubDate");
  Type(f.MaxDateEdit(), "soon");
  ClickField("Key");
  EXPECT_EQ(Selected(), "PubDate");
  EXPECT_EQ(f.MaxDateEdit()->selectedText(), "soon");
  EXPECT_TRUE(f.FieldInfoList().empty());
}

TEST_F(FilterFormTest, PartialMatchAnywhereUsesThePlainEditAndNoMask) {
  component.OnSelectField = [](TObject*, const std::string& field, std::string& mask, std::vector<std::string>& list) {
    if (field == "Group") {
      list = {"Cooking", "Tech", "Travel"};
      mask = ">aaaaaaaaaa;0; ";
    }
  };
  TsfFilterDlg& f = OpenForm();
  ClickField("Group");
  EXPECT_EQ(f.ValueEdit(), f.FilterValueCombo());
  EXPECT_TRUE(f.FilterValueCombo()->isVisible());
  EXPECT_EQ(f.FilterValueCombo()->count(), 3);
  Type(f.FilterValueCombo()->lineEdit(), "te");
  ClickMatchType(2);
  EXPECT_EQ(f.ValueEdit(), f.FilterValueEdit());
  EXPECT_FALSE(f.FilterValueCombo()->isVisible());
  EXPECT_FALSE(f.FilterValueEdit()->IsMasked());
  EXPECT_EQ(f.FilterValueEdit()->Text().substr(0, 2), "TE");
  ClickMatchType(0);
  EXPECT_EQ(f.ValueEdit(), f.FilterValueCombo());
  // A field without a list goes back to the plain edit.
  ClickField("Title");
  EXPECT_EQ(f.ValueEdit(), f.FilterValueEdit());
}

TEST_F(FilterFormTest, OptionsShapeTheForm) {
  component.SetOptions({fdShowOKCancel, fdShowNonMatching, fdHidePartialAnywhere, fdDisableDateTimePicker});
  component.SetSortBy(fdSortByFieldName);
  TsfFilterDlg& f = OpenForm();
  EXPECT_EQ(f.MatchTypeItem(2), nullptr);
  EXPECT_TRUE(f.CaseSensitive()->isHidden());
  EXPECT_FALSE(f.Nonmatching()->isHidden());
  EXPECT_TRUE(f.FieldOrder()->isHidden());
  EXPECT_TRUE(f.ViewButton()->isHidden());
  EXPECT_EQ(f.ClearSearchButton()->pos(), f.ViewButton()->pos());
  EXPECT_FALSE(f.SelectNotebook()->tabBar()->isVisible());
  // Alphabetic order, and no pickers for dates.
  EXPECT_EQ(Listed().front(), "Flag");
  EXPECT_EQ(Listed()[1], "Group");
  EXPECT_EQ(Listed().back(), "UserField2");
  ClickField("PubDate");
  EXPECT_EQ(f.MinEdit(), f.MinValueEdit());
  // Without fdSizeable the border is fixed.
  EXPECT_EQ(f.minimumSize(), f.maximumSize());
}

TEST_F(FilterFormTest, SizeableFormWithTabsAtTheTop) {
  TsfFilterDialogOptions options = component.Options();
  component.SetOptions(options.Include(fdTabsAtTop));
  form = std::make_unique<TsfFilterDlg>(component);
  form->SetSizeable(true);
  form->FillFieldList(true);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_NE(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->SelectNotebook()->tabPosition(), QTabWidget::North);
  EXPECT_LT(form->FieldTabSet()->y(), form->FieldsListBox()->y());
  // Growing the form grows the list and the pages with it.
  const int listHeight = form->FieldsListBox()->height();
  const int pagesHeight = form->SelectNotebook()->height();
  form->resize(form->width() + 100, form->height() + 80);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->FieldsListBox()->height(), listHeight + 80);
  EXPECT_EQ(form->SelectNotebook()->height(), pagesHeight + 80);
  EXPECT_EQ(form->OKCancelPanel()->geometry().right(), form->width() - 1);
}

TEST_F(FilterFormTest, FieldOrderSwitchesBetweenAlphabeticAndLogical) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Keywords");
  QTest::mouseClick(f.FieldOrderItem(0), Qt::LeftButton);
  EXPECT_EQ(Listed()[1], "Group");
  EXPECT_EQ(Selected(), "Keywords");
  EXPECT_EQ(f.LastFieldIndex(), Row("Keywords"));
  QTest::mouseClick(f.FieldOrderItem(1), Qt::LeftButton);
  EXPECT_EQ(Listed()[1], "Subject");
  EXPECT_EQ(Selected(), "Keywords");
}

TEST_F(FilterFormTest, NewSearchDiscardsEveryCriterion) {
  TsfFilterDlg& f = OpenForm();
  ClickField("Group");
  Type(f.FilterValueEdit(), "Tech");
  ClickField("Key");
  Type(f.MinValueEdit(), "2");
  ClickField("Title");
  ASSERT_EQ(f.FieldInfoList().size(), 2u);
  ClickFieldTab(1);
  QTest::mouseClick(f.ClearSearchButton(), Qt::LeftButton);
  EXPECT_TRUE(f.FieldInfoList().empty());
  EXPECT_FALSE(f.ClearSearchButton()->isEnabled());
  EXPECT_EQ(f.FieldTabSet()->currentIndex(), 0);
  EXPECT_EQ(Listed().size(), 11u);
  EXPECT_TRUE(f.MatchTypeItem(1)->isChecked());
  EXPECT_TRUE(f.Modified());
}

}  // namespace
