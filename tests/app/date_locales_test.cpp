// Every date the window shows is taken back as typed, and every date picker
// writes a value that reads back, whatever the locale's short date format.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "../gui/locale_matrix.h"
#include "controls/edit/calendar.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/vela_db_edit.h"
#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_inplace_edit.h"
#include "controls/grid/db_grid_popups.h"
#include "data_folder.h"
#include "dataset/field_types.h"
#include "platform/conversions.h"

using namespace notarra;
using namespace apptest;

namespace {

// The calendar's button for that day of the month shown.
QToolButton* DayButton(TVelaCalendar* calendar, int day) {
  for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n) {
    QToolButton* b = calendar->DayButton(n);
    // Days of the neighbouring months show too: the 20th is never in the first week.
    if (b->text() == QString::number(day) && b->isEnabled() && (day < 20 || n > 14) && (day > 7 || n < 14)) return b;
  }
  return nullptr;
}

class DateLocales : public ::testing::TestWithParam<std::string> {
protected:
  void SetUp() override {
    scope = std::make_unique<localematrix::Scope>(GetParam());
    window = OpenWindow(data);
    ASSERT_TRUE(ShowActive(window.get()));
    window->BlogI_()->First();
    key = window->BlogI_Key()->AsInteger();
  }
  void TearDown() override {
    window.reset();
    scope.reset();
  }
  TDateTime PubDate() const { return window->BlogI_PubDate()->AsDateTime(); }

  DataFolder data;
  TMessageRecorder messages;
  std::unique_ptr<localematrix::Scope> scope;
  std::unique_ptr<TfrmBlog> window;
  int key = 0;
};

TEST_P(DateLocales, TheShownTextTypedBackIsTheSameDate) {
  ClickTab(*window, 1);
  TVelaDBEdit* edit = window->VelaDBEdit2();
  for (TDateTime date : localematrix::Dates()) {
    const std::string shown = DateToStr(date);
    TypeOver(edit, shown.c_str());
    QTest::keyClick(edit, Qt::Key_Tab);
    window->BlogI_()->Post();
    ASSERT_TRUE(messages->errors.empty()) << shown << ": " << messages->errors.front();
    EXPECT_EQ(PubDate(), date) << shown;
    EXPECT_EQ(edit->Text(), shown);
  }
  window->Save1()->trigger();
  EXPECT_EQ(IdeaOnDisk(data, key).at("PubDate"), DateToStr(localematrix::Dates().back()));
}

TEST_P(DateLocales, TheEditsCalendarWritesADateThatReadsBack) {
  ClickTab(*window, 1);
  TVelaDBEdit* edit = window->VelaDBEdit2();
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
  TVelaDlgCalendar* calendar = edit->Calendar();
  ASSERT_TRUE(calendar != nullptr && calendar->isVisible());
  calendar->SetDate(EncodeDate(2019, 5, 1));
  QToolButton* day = DayButton(calendar, 17);
  ASSERT_NE(day, nullptr);
  QTest::mouseClick(day, Qt::LeftButton);
  EXPECT_EQ(PubDate(), EncodeDate(2019, 5, 17));
  TDateTime typedBack = 0;
  EXPECT_TRUE(TryStrToDate(edit->Text(), typedBack)) << edit->Text();
  EXPECT_EQ(typedBack, EncodeDate(2019, 5, 17));
  window->BlogI_()->Post();
  EXPECT_TRUE(messages->errors.empty());
}

TEST_P(DateLocales, TheGridsCalendarWritesADateThatIsPostedAndSaved) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  grid->setFocus();
  grid->SetSelectedIndex(8);  // PubDate
  grid->ShowEditor();
  ASSERT_TRUE(grid->EditorMode());
  auto* editor = static_cast<TVelaDBGridInplaceEdit*>(grid->InplaceEditor());
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  TVelaPopupCalendar* calendar = editor->Calendar();
  ASSERT_TRUE(calendar != nullptr && calendar->isVisible());
  calendar->SetDate(EncodeDate(1999, 12, 1));
  QToolButton* day = DayButton(calendar, 31);
  ASSERT_NE(day, nullptr);
  QTest::mouseClick(day, Qt::LeftButton);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // posts
  ASSERT_TRUE(messages->errors.empty()) << messages->errors.front();
  window->Save1()->trigger();
  EXPECT_EQ(IdeaOnDisk(data, key).at("PubDate"), DateToStr(EncodeDate(1999, 12, 31)));
}

INSTANTIATE_TEST_SUITE_P(Locales, DateLocales, ::testing::ValuesIn(localematrix::Names()));

}  // namespace
