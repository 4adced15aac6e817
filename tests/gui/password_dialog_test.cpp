#include "gui/password_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <gtest/gtest.h>

#include "gui/dpi_scale.h"
#include "gui_test_support.h"

using namespace notarra;

namespace {

// Acts on the box once it is up in its modal loop.
void WhenShown(std::function<void(TPasswordDialog*)> action) {
  QTimer::singleShot(0, [action] {
    auto* box = qobject_cast<TPasswordDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return WhenShown(action);
    action(box);
  });
}

TEST(PasswordDialogTest, SizesPlacesAndTexts) {
  TPasswordDialog box;
  EXPECT_EQ(box.windowTitle(), "Login password");
  EXPECT_EQ(box.size(), ScaledSize(&box, 205, 116));
  EXPECT_EQ(box.Label()->text(), "Enter password:");
  EXPECT_TRUE(box.Label()->wordWrap());
  EXPECT_EQ(box.Label()->geometry(), ScaledRect(&box, 18, 7, 170, 28));
  EXPECT_EQ(box.Edit()->geometry(), ScaledRect(&box, 18, 45, 170, 21));
  EXPECT_EQ(box.Edit()->maxLength(), 255);
  EXPECT_EQ(box.Edit()->echoMode(), QLineEdit::Password);
  EXPECT_EQ(box.Edit()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box.Edit()), '*');
  EXPECT_EQ(box.OkButton()->text(), "OK");
  EXPECT_TRUE(box.OkButton()->isDefault());
  EXPECT_EQ(box.OkButton()->geometry(), ScaledRect(&box, 18, 77, 75, 25));
  EXPECT_EQ(box.CancelButton()->text(), "Cancel");
  EXPECT_EQ(box.CancelButton()->geometry(), ScaledRect(&box, 113, 77, 75, 25));
  EXPECT_TRUE(box.isModal());
}

TEST(PasswordDialogTest, HoldsTheTextSelectedAndOkReturnsTheEditedText) {
  std::string password = "old secret";
  QString selected;
  WhenShown([&](TPasswordDialog* box) {
    selected = box->Edit()->selectedText();
    EXPECT_EQ(box->focusWidget(), box->Edit());
    QTest::keyClicks(box->Edit(), "new one");  // replaces the selection
    QTest::keyClick(box->Edit(), Qt::Key_Return);
  });
  EXPECT_TRUE(TPasswordDialog::Ask(password));
  EXPECT_EQ(selected, "old secret");
  EXPECT_EQ(password, "new one");
  // 255 characters at most.
  WhenShown([&](TPasswordDialog* box) {
    QTest::keyClicks(box->Edit(), QString(300, 'x'));
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(TPasswordDialog::Ask(password));
  EXPECT_EQ(password, std::string(255, 'x'));
}

TEST(PasswordDialogTest, EscapeAndCancelKeepThePassword) {
  std::string password = "kept";
  WhenShown([](TPasswordDialog* box) {
    QTest::keyClicks(box->Edit(), "typed");
    QTest::keyClick(box->Edit(), Qt::Key_Escape);
  });
  EXPECT_FALSE(TPasswordDialog::Ask(password));
  EXPECT_EQ(password, "kept");
  WhenShown([](TPasswordDialog* box) { QTest::mouseClick(box->CancelButton(), Qt::LeftButton); });
  EXPECT_FALSE(TPasswordDialog::Ask(password));
  EXPECT_EQ(password, "kept");
}

}  // namespace
