#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

#include "gui/popup_behavior.h"
#include "gui/popup_window.h"
#include "gui_test_support.h"

using namespace notarra;

namespace {

class PopupWindowTest : public testing::Test {
protected:
  void SetUp() override {
    form = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(form.get());
    owner = new QLineEdit(form.get());
    other = new QLineEdit(form.get());
    layout->addWidget(owner);
    layout->addWidget(other);
    form->resize(300, 200);
    ASSERT_TRUE(ShowActive(form.get()));
    owner->setFocus();
    ASSERT_TRUE(owner->hasFocus());
    popup = new TPopupWindow(owner);
    auto* popupLayout = new QVBoxLayout(popup);
    popupLayout->setContentsMargins(1, 1, 1, 1);
    list = new QListWidget(popup);
    list->addItems({"alpha", "beta", "gamma"});
    popupLayout->addWidget(list);
    popup->resize(150, 100);
  }

  std::unique_ptr<QWidget> form;
  QLineEdit* owner = nullptr;
  QLineEdit* other = nullptr;
  TPopupWindow* popup = nullptr;
  QListWidget* list = nullptr;
};

}  // namespace

TEST_F(PopupWindowTest, ShowsBelowItsOwnerWithoutTakingTheFocus) {
  popup->ShowBelow(owner);
  QApplication::processEvents();
  ASSERT_TRUE(popup->isVisible());
  EXPECT_TRUE(popup->isWindow());
  EXPECT_TRUE(popup->windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(popup->pos(), owner->mapToGlobal(QPoint(0, owner->height())));
  EXPECT_TRUE(owner->hasFocus());
  EXPECT_EQ(QApplication::activeWindow(), form.get());

  // Clicking into the popup leaves the focus in the owner too.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_TRUE(owner->hasFocus());
  // Typing still reaches the owner.
  QTest::keyClicks(owner, "ab");
  EXPECT_EQ(owner->text(), "ab");
  form->grab().save(QString::fromStdString(TestOutputPath("popup_owner.png")));
  popup->grab().save(QString::fromStdString(TestOutputPath("popup_window.png")));
}

TEST_F(PopupWindowTest, EscapeInTheOwnerClosesWithoutAccepting) {
  QSignalSpy closed(popup, &TPopupWindow::Closed);
  popup->ShowAt(owner->mapToGlobal(QPoint(0, 0)));
  QTest::keyClick(owner, Qt::Key_Escape);
  EXPECT_FALSE(popup->isVisible());
  ASSERT_EQ(closed.count(), 1);
  EXPECT_FALSE(closed.at(0).at(0).toBool());
  EXPECT_TRUE(owner->hasFocus());
}

TEST_F(PopupWindowTest, ClosesWhenTheOwnerLosesTheFocus) {
  QSignalSpy closed(popup, &TPopupWindow::Closed);
  popup->ShowBelow(owner);
  other->setFocus();
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(closed.count(), 1);
  popup->ShowBelow(owner);
  popup->ClosePopup(true);
  ASSERT_EQ(closed.count(), 2);
  EXPECT_TRUE(closed.at(1).at(0).toBool());
}

TEST_F(PopupWindowTest, StaysOnTheScreen) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  popup->ShowAt(QPoint(area.right() - 10, area.bottom() - 10));
  EXPECT_LE(popup->geometry().right(), area.right());
  EXPECT_LE(popup->geometry().bottom(), area.bottom());
  EXPECT_GE(popup->geometry().left(), area.left());
}

TEST_F(PopupWindowTest, ClosesWhenTheWindowMovesOrAPressLandsElsewhere) {
  QSignalSpy closed(popup, &TPopupWindow::Closed);
  popup->ShowBelow(owner);
  form->move(form->pos() + QPoint(10, 10));
  EXPECT_FALSE(popup->isVisible());
  ASSERT_EQ(closed.count(), 1);
  EXPECT_FALSE(closed.at(0).at(0).toBool());

  // A press on a part of the form that takes no focus closes it too; one
  // inside the popup or on the owner does not.
  auto* label = new QLabel("label", form.get());
  label->setGeometry(0, 150, 100, 20);
  label->show();
  popup->ShowBelow(owner);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
  QTest::mouseClick(owner, Qt::LeftButton);
  EXPECT_TRUE(popup->isVisible());
  QTest::mouseClick(label, Qt::LeftButton);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(closed.count(), 2);
}

TEST_F(PopupWindowTest, AnOwnerThatClosesItselfIsAskedInstead) {
  QSignalSpy closed(popup, &TPopupWindow::Closed);
  std::vector<bool> requests;
  popup->Behavior()->CloseRequest = [&](bool accept) { requests.push_back(accept); };
  popup->ShowBelow(owner);
  other->setFocus();
  EXPECT_TRUE(popup->isVisible());  // the owner decides
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0]);
  EXPECT_EQ(closed.count(), 0);
  popup->ClosePopup(true);
  EXPECT_FALSE(popup->isVisible());
}
