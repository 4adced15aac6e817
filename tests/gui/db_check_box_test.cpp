#include "gui/db_check_box.h"

#include <gtest/gtest.h>

#include <QTest>

#include "data_controls_support.h"

using namespace notarra;

namespace {

using dctest::DataForm;

class DBCheckBoxTest : public DataForm {
protected:
  // On the box itself: the check box answers clicks on its indicator and caption only.
  static void Click(TDBCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
  TDBCheckBox* Shown(const std::string& field) {
    TDBCheckBox* box = Add<TDBCheckBox>(field);
    box->setText("Flag");
    EXPECT_TRUE(Show());
    return box;
  }
};

TEST_F(DBCheckBoxTest, FollowsABooleanFieldAndClickingEditsIt) {
  OpenSample();
  TDBCheckBox* box = Shown("Flag");
  EXPECT_EQ(box->ValueChecked(), "True");
  EXPECT_EQ(box->ValueUnchecked(), "False");
  EXPECT_EQ(box->checkState(), Qt::Checked);
  table.Next();
  EXPECT_EQ(box->checkState(), Qt::Unchecked);

  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  EXPECT_EQ(table.State(), dsEdit);
  table.Post();  // posting writes the box's value
  EXPECT_TRUE(table.FieldByName("Flag")->AsBoolean());
  table.Next();
  table.Prior();
  EXPECT_EQ(box->checkState(), Qt::Checked);
}

TEST_F(DBCheckBoxTest, SpaceTogglesAndLeavingWrites) {
  OpenSample();
  TDBCheckBox* box = Shown("Flag");
  box->setFocus(Qt::TabFocusReason);
  QTest::keyClick(box, Qt::Key_Space);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_TRUE(table.FieldByName("Flag")->AsBoolean());  // not yet written
  QTest::keyClick(box, Qt::Key_Space);
  QTest::keyClick(box, Qt::Key_Space);
  QTest::keyClick(box, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_FALSE(table.FieldByName("Flag")->AsBoolean());
}

TEST_F(DBCheckBoxTest, EscapeThrowsTheToggleAway) {
  OpenSample();
  TDBCheckBox* box = Shown("Flag");
  box->setFocus(Qt::TabFocusReason);
  QTest::keyClick(box, Qt::Key_Space);
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  table.Post();
  EXPECT_TRUE(table.FieldByName("Flag")->AsBoolean());
}

TEST_F(DBCheckBoxTest, TextFieldsMatchTheValueListsAndTakeTheFirst) {
  Open({{"Yes", 0, 0, false, "y"}, {"No", 0, 0, false, "N"}, {"Other", 0, 0, false, "maybe"}, {"Null", 0, 0, false, ""}});
  TDBCheckBox* box = Shown("Code");
  box->SetValueChecked("Yes;Y");
  box->SetValueUnchecked("No; N");
  EXPECT_EQ(box->checkState(), Qt::Checked);  // "y", without regard to case
  table.Next();
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  table.Next();
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
  table.Next();
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);  // null

  // From grayed a click checks: the field gets the first checked value.
  Click(box);
  table.Post();
  EXPECT_EQ(Stored("Code"), "Yes");
  Click(box);
  table.Post();
  EXPECT_EQ(Stored("Code"), "No");
}

TEST_F(DBCheckBoxTest, AllowGrayedCyclesThroughNull) {
  OpenSample();
  TDBCheckBox* box = Shown("Code");
  box->SetValueChecked("A1");
  box->SetValueUnchecked("B2");
  box->SetAllowGrayed(true);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
  table.Post();
  EXPECT_TRUE(table.FieldByName("Code")->IsNull());
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  table.Post();
  EXPECT_EQ(Stored("Code"), "A1");
}

TEST_F(DBCheckBoxTest, StaysAsItIsWhenTheDatasetCannotBeModified) {
  OpenSample();
  table.SetReadOnly(true);
  TDBCheckBox* box = Shown("Flag");
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DBCheckBoxTest, StaysAsItIsWithoutAutoEditOrWhenReadOnly) {
  OpenSample();
  source.SetAutoEdit(false);
  TDBCheckBox* box = Shown("Flag");
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  EXPECT_EQ(table.State(), dsBrowse);
  box->SetReadOnly(true);
  table.Edit();
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  box->SetReadOnly(false);
  Click(box);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
}

}  // namespace
