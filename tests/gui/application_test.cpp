#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "gui/application.h"
#include "gui/qt_services.h"
#include "gui/exception_guard.h"
#include "gui/string_grid.h"
#include "gui_test_support.h"
#include "platform/exceptions.h"
#include "platform/services.h"

using namespace notarra;

namespace {

class RecordingMessages : public TMessageService {
public:
  void Information(const std::string&) override {}
  void Warning(const std::string&) override {}
  void Error(const std::string& text) override { errors.push_back(text); }
  bool ConfirmOkCancel(const std::string&) override { return false; }
  bool ConfirmYesNo(const std::string&) override { return false; }
  std::vector<std::string> errors;
};

// A widget whose click fails the way an operation of the program can; it
// guards its handler as our controls do.
class FailingWidget : public QWidget {
public:
  int failure = 0;

protected:
  void mousePressEvent(QMouseEvent*) override {
    RunGuarded([this] {
      switch (failure) {
        case 0: throw EDatabaseError("BlogI_: Key violation");
        case 1: Abort();
        default: throw std::runtime_error("plain failure");
      }
    });
  }
};

// A grid whose cell selection fails, as a data grid's does when the row
// it leaves cannot be posted.
class FailingGrid : public TStringGrid {
protected:
  bool SelectCell(int, int) override { throw EDatabaseError("BlogI_: Key violation"); }
};

}  // namespace

TEST(ApplicationTest, GuardedHandlerErrorsAreShownAndTheProgramGoesOn) {
  ASSERT_NE(TApplication::Instance(), nullptr);
  RecordingMessages messages;
  TMessageService* previous = SetMessageService(&messages);
  FailingWidget widget;
  widget.resize(50, 50);
  ASSERT_TRUE(ShowActive(&widget));
  QTest::mouseClick(&widget, Qt::LeftButton);
  widget.failure = 1;  // EAbort is silent
  QTest::mouseClick(&widget, Qt::LeftButton);
  widget.failure = 2;
  QTest::mouseClick(&widget, Qt::LeftButton);
  SetMessageService(previous);
  ASSERT_EQ(messages.errors.size(), 2u);
  EXPECT_EQ(messages.errors[0], "BlogI_: Key violation");
  EXPECT_EQ(messages.errors[1], "plain failure");
  EXPECT_TRUE(widget.isVisible());
}

TEST(ApplicationTest, GridErrorsAreShownAndTheGridKeepsItsCell) {
  RecordingMessages messages;
  TMessageService* previous = SetMessageService(&messages);
  FailingGrid grid;
  grid.resize(300, 200);
  ASSERT_TRUE(ShowActive(&grid));
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(2, 2).center());
  SetMessageService(previous);
  EXPECT_EQ(messages.errors, (std::vector<std::string>{"BlogI_: Key violation", "BlogI_: Key violation"}));
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Col(), 1);
}

TEST(ApplicationTest, OnExceptionReplacesTheMessageBox) {
  TApplication* app = TApplication::Instance();
  RecordingMessages messages;
  TMessageService* previous = SetMessageService(&messages);
  std::string seen;
  app->OnException = [&](const std::exception& e) { seen = e.what(); };
  RunGuarded([] { throw EConvertError("'x' is not a valid date"); });
  app->OnException = nullptr;
  RunGuarded([] { throw EConvertError("'y' is not a valid date"); });
  SetMessageService(previous);
  EXPECT_EQ(seen, "'x' is not a valid date");
  EXPECT_EQ(messages.errors, (std::vector<std::string>{"'y' is not a valid date"}));
}

TEST(ApplicationTest, TitleAndHelpGoThroughTheApplication) {
  TApplication* app = TApplication::Instance();
  app->SetTitle("Notarra");
  EXPECT_EQ(app->Title(), "Notarra");
  EXPECT_EQ(MessageBoxTitle(), "Notarra");
  // The toolkit appends a display name to every title bar; the title must
  // not become one, or the main window would read "Notarra- — Notarra".
  EXPECT_NE(QApplication::applicationDisplayName(), "Notarra");

  app->SetHelpFile("notarra.chm");
  EXPECT_FALSE(app->HelpContext(30)) << "nobody handles help yet";
  std::string file;
  int topic = 0;
  app->OnHelp = [&](const std::string& f, int context, bool& handled) {
    file = f;
    topic = context;
    handled = true;
  };
  EXPECT_TRUE(app->HelpContext(30));
  EXPECT_EQ(file, "notarra.chm");
  EXPECT_EQ(topic, 30);
  app->OnHelp = nullptr;
}
