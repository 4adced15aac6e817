#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/qt_services.h"
#include "platform/services.h"

using namespace notarra;

namespace {

class ScriptedMessages : public TMessageService {
public:
  void Information(const std::string& text) override { shown += "I:" + text + ";"; }
  void Warning(const std::string& text) override { shown += "W:" + text + ";"; }
  void Error(const std::string& text) override { shown += "E:" + text + ";"; }
  bool ConfirmOkCancel(const std::string& text) override {
    shown += "Q:" + text + ";";
    return answer;
  }
  bool ConfirmYesNo(const std::string& text) override {
    shown += "Y:" + text + ";";
    return answer;
  }
  std::string shown;
  bool answer = true;
};

class CountingCursor : public TBusyCursorService {
public:
  void BeginBusy() override { ++depth, ++begins; }
  void EndBusy() override { --depth; }
  int depth = 0;
  int begins = 0;
};

// Restores the message service and busy cursor a test replaced.
struct ServiceGuard {
  ~ServiceGuard() {
    SetMessageService(nullptr);
    SetBusyCursorService(nullptr);
    SetPasswordPrompt(nullptr);
  }
};

}  // namespace

TEST(MessageServiceTest, DefaultWritesToStandardErrorAndDeclines) {
  ServiceGuard guard;
  testing::internal::CaptureStderr();
  ShowMessage("Saved");
  ShowError("Disk full");
  const bool ok = ConfirmOkCancel("Delete record ?");
  const bool yes = ConfirmYesNo("Overwrite?");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(ok);
  EXPECT_FALSE(yes);
  EXPECT_NE(err.find("Saved"), std::string::npos);
  EXPECT_NE(err.find("Disk full"), std::string::npos);
  EXPECT_NE(err.find("Delete record ?"), std::string::npos);
}

TEST(MessageServiceTest, InstalledServiceAnswersAndSetterReturnsPrevious) {
  ServiceGuard guard;
  ScriptedMessages first;
  ScriptedMessages second;
  TMessageService* original = SetMessageService(&first);
  EXPECT_NE(original, &first);
  EXPECT_TRUE(ConfirmOkCancel("Delete record ?"));
  first.answer = false;
  EXPECT_FALSE(ConfirmYesNo("Sure?"));
  MessageService().Warning("careful");
  EXPECT_EQ(first.shown, "Q:Delete record ?;Y:Sure?;W:careful;");

  EXPECT_EQ(SetMessageService(&second), &first);
  ShowMessage("x");
  EXPECT_EQ(second.shown, "I:x;");
  EXPECT_EQ(SetMessageService(original), &second);
  EXPECT_EQ(&MessageService(), original);
}

TEST(BusyCursorTest, NestsAndEndsWhenAnErrorLeavesTheScope) {
  ServiceGuard guard;
  CountingCursor cursor;
  SetBusyCursorService(&cursor);
  {
    TBusyCursor outer;
    {
      TBusyCursor inner;
      EXPECT_EQ(cursor.depth, 2);
    }
    EXPECT_EQ(cursor.depth, 1);
  }
  EXPECT_EQ(cursor.depth, 0);
  try {
    TBusyCursor busy;
    throw std::runtime_error("load failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(cursor.depth, 0);
  EXPECT_EQ(cursor.begins, 3);
}

TEST(PasswordPromptTest, DefaultCancelsAndInstalledPromptAnswers) {
  ServiceGuard guard;
  std::string password = "unchanged";
  EXPECT_FALSE(PromptForPassword("Blog_Ideas.d", password));
  EXPECT_EQ(password, "unchanged");
  SetPasswordPrompt([](const std::string& table, std::string& out) {
    if (table != "Blog_Ideas.d") return false;
    out = "secret";
    return true;
  });
  EXPECT_TRUE(PromptForPassword("Blog_Ideas.d", password));
  EXPECT_EQ(password, "secret");
  EXPECT_FALSE(PromptForPassword("group.d", password));
  TPasswordPrompt previous = SetPasswordPrompt(nullptr);
  EXPECT_TRUE(static_cast<bool>(previous));
  EXPECT_FALSE(PromptForPassword("Blog_Ideas.d", password));
}

namespace {

// Presses a button of the next message box that opens and records its text.
void AnswerNextBox(QMessageBox::StandardButton button, QString* text, QString* title) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      ADD_FAILURE() << "no message box open";
      return;
    }
    *text = box->text();
    *title = box->windowTitle();
    box->button(button)->click();
  });
}

}  // namespace

TEST(QtServicesTest, MessageBoxesReturnTheButtonPressed) {
  ServiceGuard guard;
  InstallQtServices();
  QApplication::setApplicationDisplayName("Notarra");
  QString text, title;
  AnswerNextBox(QMessageBox::Cancel, &text, &title);
  EXPECT_FALSE(ConfirmOkCancel("Delete record ?"));
  EXPECT_EQ(text, "Delete record ?");
  EXPECT_EQ(title, "Notarra");

  AnswerNextBox(QMessageBox::Ok, &text, &title);
  EXPECT_TRUE(ConfirmOkCancel("Delete selected records ?"));
  EXPECT_EQ(text, "Delete selected records ?");

  AnswerNextBox(QMessageBox::Yes, &text, &title);
  EXPECT_TRUE(ConfirmYesNo("Save changes?"));
  AnswerNextBox(QMessageBox::No, &text, &title);
  EXPECT_FALSE(ConfirmYesNo("Save changes?"));

  // Windows-1252 text arrives as the right characters.
  AnswerNextBox(QMessageBox::Ok, &text, &title);
  ShowError("Caf\xE9 \x80");
  EXPECT_EQ(text, QString::fromUtf8("Caf\u00e9 \u20ac"));
}

TEST(QtServicesTest, BusyCursorShowsTheHourglass) {
  ServiceGuard guard;
  InstallQtServices();
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    TBusyCursor busy;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
