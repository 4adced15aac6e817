#include "gui/progress_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <chrono>
#include <thread>

#include "gui_test_support.h"

using namespace notarra;

using namespace std::chrono_literals;

namespace {

QProgressBar* Bar(TProgressDialog& dialog) { return dialog.findChild<QProgressBar*>(); }

TEST(ProgressDialog, StaysHiddenWhileTheOperationIsQuick) {
  TProgressDialog dialog;
  dialog.SetShowDelay(10s);
  dialog.Start("Opening big.d...");
  for (int p = 0; p <= 100; p += 10) dialog.SetPercent(p);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Percent(), 100);
  dialog.Finish();
  EXPECT_FALSE(dialog.Running());
}

TEST(ProgressDialog, ShowsThePercentageOnceTheDelayHasPassed) {
  TProgressDialog dialog;
  dialog.SetShowDelay(300ms);
  dialog.Start("Saving big.d...");
  dialog.SetPercent(5);
  EXPECT_FALSE(dialog.isVisible());
  std::this_thread::sleep_for(350ms);
  dialog.SetPercent(12);
  ASSERT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.Text(), "Saving big.d...");
  EXPECT_EQ(Bar(dialog)->value(), 12);
  dialog.SetPercent(70);
  EXPECT_EQ(Bar(dialog)->value(), 70);
  // Out-of-range values are held to the bar's range.
  dialog.SetPercent(140);
  EXPECT_EQ(Bar(dialog)->value(), 100);
  dialog.Finish();
  EXPECT_FALSE(dialog.isVisible());
  // Without an operation, percentages change nothing.
  dialog.SetPercent(30);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Bar(dialog)->value(), 100);
}

TEST(ProgressDialog, EachOperationStartsItsOwnClock) {
  TProgressDialog dialog;
  dialog.SetShowDelay(300ms);
  dialog.Start("first");
  std::this_thread::sleep_for(350ms);
  dialog.Finish();
  dialog.Start("second");
  dialog.SetPercent(50);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(Bar(dialog)->value(), 0);
  dialog.Finish();
}

TEST(ProgressDialog, EscapeAndCloseDoNotHideARunningOperation) {
  TProgressDialog dialog;
  dialog.SetShowDelay(0ms);
  dialog.Start("Opening big.d...");
  dialog.SetPercent(1);
  ASSERT_TRUE(dialog.isVisible());
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  dialog.close();
  EXPECT_TRUE(dialog.isVisible());
  dialog.Finish();
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDialog, ScopeFinishesAlsoWhenTheOperationFails) {
  TProgressDialog dialog;
  dialog.SetShowDelay(0ms);
  try {
    TProgressScope scope(&dialog, "Opening broken.d...");
    dialog.SetPercent(40);
    EXPECT_TRUE(dialog.isVisible());
    throw std::runtime_error("cannot read");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(dialog.Running());
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDialog, TheWindowItCameUpOverGetsTheKeyboardBack) {
  QWidget window;
  auto* edit = new QLineEdit(&window);
  ASSERT_TRUE(ShowActive(&window));
  // The widgets learn of the activation a moment after the window system.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
  edit->setFocus();
  TProgressDialog dialog(&window);
  dialog.SetShowDelay(0ms);
  {
    TProgressScope scope(&dialog, "Saving big.d...");
    dialog.SetPercent(10);
    ASSERT_TRUE(dialog.isVisible());
  }
  // Typing goes on where it was: the window is active again, its edit focused.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
  EXPECT_TRUE(edit->hasFocus());
  QTest::keyClicks(QApplication::focusWidget(), "typed on");
  EXPECT_EQ(edit->text(), "typed on");
}

TEST(ProgressDialog, NewDialogsTakeTheDefaultDelay) {
  const auto before = TProgressDialog::DefaultShowDelay();
  TProgressDialog::SetDefaultShowDelay(123ms);
  TProgressDialog dialog;
  TProgressDialog::SetDefaultShowDelay(before);
  EXPECT_EQ(dialog.ShowDelay(), 123ms);
}

}  // namespace
