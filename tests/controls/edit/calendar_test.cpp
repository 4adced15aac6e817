#include "controls/edit/calendar.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "edit_test_support.h"
#include "gui/dpi_scale.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"

using namespace notarra;

namespace {

class CalendarTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = FormatSettings();
    FormatSettings() = TFormatSettings::UsEnglish();
  }
  void TearDown() override {
    calendar.reset();
    FormatSettings() = saved;
  }
  // A calendar for a locale whose week starts on firstDay (0 = Sunday).
  TVelaCalendar* Make(int firstDay = 0) {
    FormatSettings().FirstDayOfWeek = firstDay;
    calendar = std::make_unique<TVelaCalendar>();
    calendar->OnChangeDate = [this](TVelaCalendar*) { ++changes; };
    calendar->OnSelectDate = [this](TVelaCalendar*) { ++selects; };
    calendar->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(calendar.get()));
    return calendar.get();
  }
  // Shown day numbers of the 42 buttons ("" for blank ones).
  QStringList Buttons() const {
    QStringList texts;
    for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n) texts << calendar->DayButton(n)->text();
    return texts;
  }
  QToolButton* Pressed() const {
    for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n)
      if (calendar->DayButton(n)->isChecked()) return calendar->DayButton(n);
    return nullptr;
  }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
  void ResetCounts() { changes = selects = 0; }

  TFormatSettings saved;
  std::unique_ptr<TVelaCalendar> calendar;
  int changes = 0;
  int selects = 0;
};

TEST_F(CalendarTest, StartsOnTodayWithTodayPressed) {
  Make();
  int y = 0, m = 0, d = 0;
  DecodeDate(Date(), y, m, d);
  EXPECT_EQ(calendar->Year(), y);
  EXPECT_EQ(calendar->Month(), m);
  EXPECT_EQ(calendar->Day(), d);
  EXPECT_EQ(calendar->Date(), Date());
  ASSERT_NE(Pressed(), nullptr);
  EXPECT_EQ(Pressed()->text().toInt(), d);
  EXPECT_EQ(calendar->TodayBar()->text().toStdString(), "Today is " + DateToStr(Date()));
  EXPECT_EQ(calendar->YearLabel()->text().toInt(), y);
}

TEST_F(CalendarTest, MonthStepsKeepTheDayInsideTheMonth) {
  Make();
  calendar->SetDate(EncodeDate(2023, 1, 31));
  Click(calendar->NextMonthButton());
  EXPECT_EQ(calendar->Month(), 2);
  EXPECT_EQ(calendar->Day(), 28);
  EXPECT_EQ(Pressed()->text(), "28");
  EXPECT_EQ(calendar->Date(), EncodeDate(2023, 2, 28));
  EXPECT_EQ(calendar->MonthLabel()->text(), "February");

  calendar->SetDate(EncodeDate(2024, 1, 31));
  Click(calendar->NextMonthButton());
  EXPECT_EQ(calendar->Day(), 29);  // leap year
  EXPECT_EQ(Pressed()->text(), "29");
  // A shorter month is not undone by stepping on: the day stays cut.
  Click(calendar->NextMonthButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2024, 3, 29));
}

TEST_F(CalendarTest, MonthStepsCrossTheYearEnds) {
  Make();
  calendar->SetDate(EncodeDate(2023, 12, 15));
  Click(calendar->NextMonthButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2024, 1, 15));
  Click(calendar->PrevMonthButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2023, 12, 15));
  Click(calendar->PrevYearButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2022, 12, 15));
  Click(calendar->NextYearButton());
  Click(calendar->NextYearButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2024, 12, 15));
  // 29 February steps to 28 February a year on.
  calendar->SetDate(EncodeDate(2024, 2, 29));
  Click(calendar->NextYearButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2025, 2, 28));
}

TEST_F(CalendarTest, YearsOutsideTheRangeAreRefusedButTheMonthButtonsPassThem) {
  Make();
  calendar->SetDate(EncodeDate(1901, 1, 10));
  ResetCounts();
  calendar->SetYear(1900);
  EXPECT_EQ(calendar->Year(), 1901);
  EXPECT_EQ(changes, 1);  // refreshed all the same
  calendar->SetYear(2100);
  EXPECT_EQ(calendar->Year(), 1901);
  Click(calendar->PrevYearButton());
  EXPECT_EQ(calendar->Year(), 1901);

  Click(calendar->PrevMonthButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(1900, 12, 10));
  EXPECT_EQ(calendar->YearLabel()->text(), "1900");
  Click(calendar->PrevYearButton());  // 1899 is refused
  EXPECT_EQ(calendar->Year(), 1900);

  calendar->SetDate(EncodeDate(2099, 12, 1));
  Click(calendar->NextMonthButton());
  EXPECT_EQ(calendar->Date(), EncodeDate(2100, 1, 1));
  Click(calendar->NextYearButton());
  EXPECT_EQ(calendar->Year(), 2100);
}

TEST_F(CalendarTest, DatesOutsideTheRangeShowToday) {
  Make();
  calendar->SetDate(EncodeDate(1950, 6, 1));
  calendar->SetDate(EncodeDate(1899, 12, 31));
  EXPECT_EQ(calendar->Date(), Date());
  calendar->SetDate(EncodeDate(1950, 6, 1));
  calendar->SetDate(EncodeDate(2100, 1, 2));
  EXPECT_EQ(calendar->Date(), Date());
  calendar->SetDate(EncodeDate(2100, 1, 1) + 0.5);  // noon is after midnight
  EXPECT_EQ(calendar->Date(), Date());
  calendar->SetDate(EncodeDate(2100, 1, 1));
  EXPECT_EQ(calendar->Date(), EncodeDate(2100, 1, 1));
  calendar->SetDate(EncodeDate(1900, 1, 1));
  EXPECT_EQ(calendar->Date(), EncodeDate(1900, 1, 1));
  // The time of day is dropped.
  calendar->SetDate(EncodeDate(2001, 5, 6) + 0.75);
  EXPECT_EQ(calendar->Date(), EncodeDate(2001, 5, 6));
}

TEST_F(CalendarTest, DayAndMonthAreClamped) {
  Make();
  calendar->SetDate(EncodeDate(2023, 4, 10));
  calendar->SetDay(31);
  EXPECT_EQ(calendar->Day(), 30);
  calendar->SetDay(0);
  EXPECT_EQ(calendar->Day(), 1);
  calendar->SetMonth(13);
  EXPECT_EQ(calendar->Month(), 12);
  calendar->SetMonth(0);
  EXPECT_EQ(calendar->Month(), 1);
  calendar->SetDay(31);
  calendar->SetMonth(2);
  EXPECT_EQ(calendar->Date(), EncodeDate(2023, 2, 28));
}

TEST_F(CalendarTest, TextUsesTheShortDateFormat) {
  FormatSettings().ShortDateFormat = "dd.mm.yyyy";
  FormatSettings().DateSeparator = '.';
  Make();
  calendar->SetDate(EncodeDate(2022, 3, 4));
  EXPECT_EQ(calendar->Text(), "04.03.2022");
  calendar->SetText("25.12.2021");
  EXPECT_EQ(calendar->Date(), EncodeDate(2021, 12, 25));
  ResetCounts();
  EXPECT_NO_THROW(calendar->SetText("not a date"));
  EXPECT_NO_THROW(calendar->SetText("31.02.2021"));
  EXPECT_EQ(calendar->Date(), EncodeDate(2021, 12, 25));
  EXPECT_EQ(changes, 0);
}

// October 2023 begins on a Sunday.
TEST_F(CalendarTest, SundayFirstLayout) {
  Make(0);
  EXPECT_FALSE(calendar->MondayFirst());
  calendar->SetDate(EncodeDate(2023, 10, 5));
  const QStringList b = Buttons();
  EXPECT_EQ(b[0], "1");
  EXPECT_EQ(b[30], "31");
  EXPECT_EQ(b[31], "");
  EXPECT_FALSE(calendar->DayButton(32)->isEnabled());
  EXPECT_TRUE(calendar->DayButton(31)->isEnabled());
  EXPECT_EQ(calendar->WeekdayLabel(1)->text(), "Sun");
  EXPECT_EQ(calendar->WeekdayLabel(2)->text(), "Mon");
  EXPECT_EQ(calendar->WeekdayLabel(7)->text(), "Sat");
  // Weekends in red: Sunday and Saturday columns.
  const auto red = [](QWidget* w) { return w->palette().color(QPalette::WindowText) == QColor(Qt::red); };
  EXPECT_TRUE(red(calendar->WeekdayLabel(1)));
  EXPECT_TRUE(red(calendar->WeekdayLabel(7)));
  EXPECT_FALSE(red(calendar->WeekdayLabel(6)));
  EXPECT_EQ(calendar->DayButton(8)->palette().color(QPalette::ButtonText), QColor(Qt::red));
  EXPECT_NE(calendar->DayButton(9)->palette().color(QPalette::ButtonText), QColor(Qt::red));
  calendar->grab().save(QString::fromStdString(TestOutputPath("calendar_sunday_first.png")));
}

TEST_F(CalendarTest, MondayFirstLayout) {
  Make(1);
  EXPECT_TRUE(calendar->MondayFirst());
  calendar->SetDate(EncodeDate(2023, 10, 5));
  const QStringList b = Buttons();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b[i], "") << i;
  EXPECT_EQ(b[6], "1");
  EXPECT_EQ(b[36], "31");
  EXPECT_EQ(calendar->WeekdayLabel(1)->text(), "Mon");
  EXPECT_EQ(calendar->WeekdayLabel(6)->text(), "Sat");
  EXPECT_EQ(calendar->WeekdayLabel(7)->text(), "Sun");
  const auto red = [](QWidget* w) { return w->palette().color(QPalette::WindowText) == QColor(Qt::red); };
  EXPECT_TRUE(red(calendar->WeekdayLabel(6)));
  EXPECT_TRUE(red(calendar->WeekdayLabel(7)));
  EXPECT_FALSE(red(calendar->WeekdayLabel(1)));
  // A month beginning on a Monday fills the first button.
  calendar->SetDate(EncodeDate(2024, 1, 1));
  EXPECT_EQ(Buttons()[0], "1");
  calendar->grab().save(QString::fromStdString(TestOutputPath("calendar_monday_first.png")));
}

TEST_F(CalendarTest, AnyFirstDayButSundayStartsTheWeekOnMonday) {
  Make(6);  // Saturday
  EXPECT_TRUE(calendar->MondayFirst());
  EXPECT_EQ(calendar->WeekdayLabel(1)->text(), "Mon");
}

TEST_F(CalendarTest, KeepsItsSize) {
  Make();
  const QSize fixed = ScaledSize(calendar.get(), TVelaCalendar::kWidth, TVelaCalendar::kHeight);
  EXPECT_EQ(calendar->size(), fixed);
  calendar->SetBounds(10, 20, 400, 30);
  EXPECT_EQ(calendar->size(), fixed);
  calendar->resize(50, 50);
  EXPECT_EQ(calendar->size(), fixed);
}

TEST_F(CalendarTest, WhichEventsFire) {
  Make();
  calendar->SetDate(EncodeDate(2023, 10, 5));

  struct Step {
    const char* what;
    std::function<void()> act;
    int changes, selects;
  };
  const std::vector<Step> steps = {
      {"Day", [&] { calendar->SetDay(3); }, 1, 0},
      {"Month", [&] { calendar->SetMonth(4); }, 1, 0},
      {"Year", [&] { calendar->SetYear(2020); }, 1, 0},
      {"Date", [&] { calendar->SetDate(EncodeDate(2023, 10, 5)); }, 1, 0},
      {"Text", [&] { calendar->SetText("10/6/2023"); }, 1, 0},
      {"<<", [&] { Click(calendar->PrevYearButton()); }, 1, 0},
      {"<", [&] { Click(calendar->PrevMonthButton()); }, 1, 0},
      {">", [&] { Click(calendar->NextMonthButton()); }, 1, 0},
      {">>", [&] { Click(calendar->NextYearButton()); }, 1, 0},
      {"day button", [&] { Click(calendar->DayButton(20)); }, 0, 1},
      {"today bar", [&] { Click(calendar->TodayBar()); }, 1, 1},
      {"Enter", [&] { QTest::keyClick(calendar.get(), Qt::Key_Return); }, 0, 1},
      {"Escape", [&] { QTest::keyClick(calendar.get(), Qt::Key_Escape); }, 0, 0},
      {"blank day button", [&] { Click(calendar->DayButton(42)); }, 0, 0},
  };
  for (const Step& step : steps) {
    ResetCounts();
    step.act();
    EXPECT_EQ(changes, step.changes) << step.what;
    EXPECT_EQ(selects, step.selects) << step.what;
  }
}

TEST_F(CalendarTest, ADayClickPicksThatDateWithoutRefreshing) {
  Make(0);
  calendar->SetDate(EncodeDate(2023, 10, 5));
  Click(calendar->DayButton(20));  // Sunday-first, the month starts on button 1
  EXPECT_EQ(calendar->Date(), EncodeDate(2023, 10, 20));
  EXPECT_EQ(calendar->Day(), 20);
  EXPECT_TRUE(calendar->DayButton(20)->isChecked());
  EXPECT_FALSE(calendar->DayButton(5)->isChecked());
}

TEST_F(CalendarTest, TheTodayBarGoesToToday) {
  Make();
  calendar->SetDate(EncodeDate(1999, 1, 1));
  Click(calendar->TodayBar());
  EXPECT_EQ(calendar->Date(), Date());
}

TEST_F(CalendarTest, TheMonthMenuSetsTheMonth) {
  Make();
  calendar->SetDate(EncodeDate(2023, 10, 31));
  QMenu* menu = calendar->MonthMenu();
  ASSERT_EQ(menu->actions().size(), 12);
  EXPECT_EQ(menu->actions()[0]->text(), "01. January");
  EXPECT_EQ(menu->actions()[11]->text(), "12. December");
  EXPECT_EQ(menu->actions()[8]->objectName(), "N9");

  Click(calendar->MonthLabel());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  EXPECT_EQ(menu->pos(), calendar->MonthLabel()->mapToGlobal(QPoint(0, calendar->MonthLabel()->height())));
  ResetCounts();
  QAction* september = menu->actions()[8];
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(september).center());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }));
  EXPECT_EQ(calendar->Date(), EncodeDate(2023, 9, 30));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(selects, 0);
}

}  // namespace
