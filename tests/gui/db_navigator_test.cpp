#include "gui/db_navigator.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include "data_controls_support.h"
#include "gui/db_edit.h"

using namespace notarra;

namespace {

using dctest::DataForm;

class DBNavigatorTest : public DataForm {
protected:
  TDBNavigator* AddNavigator() {
    auto* nav = new TDBNavigator(window.get());
    nav->SetDataSource(&source);
    nav->setFixedSize(228, 22);
    layout->addWidget(nav);
    return nav;
  }
  void Click(TDBNavigator* nav, TNavigateBtn button) { QTest::mouseClick(nav->Button(button), Qt::LeftButton); }
  // The enabled buttons, in button order, as one letter each.
  static std::string Enabled(TDBNavigator* nav) {
    std::string s;
    const char* letters = "FPNLIDEOCR";
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i)
      s += nav->Button(static_cast<TNavigateBtn>(i))->isEnabled() ? letters[i] : '-';
    return s;
  }
};

TEST_F(DBNavigatorTest, ButtonsFollowThePositionAndTheState) {
  TDBNavigator* nav = AddNavigator();
  EXPECT_EQ(Enabled(nav), "----------");  // closed dataset
  OpenSample();
  ASSERT_TRUE(Show());
  EXPECT_EQ(Enabled(nav), "--NLIDE--R");
  Click(nav, nbNext);
  EXPECT_EQ(Stored("Subject"), "Beta");
  EXPECT_EQ(Enabled(nav), "FPNLIDE--R");
  Click(nav, nbLast);
  EXPECT_EQ(Stored("Subject"), "Gamma");
  EXPECT_EQ(Enabled(nav), "FP--IDE--R");
  Click(nav, nbPrior);
  EXPECT_EQ(Stored("Subject"), "Beta");
  Click(nav, nbFirst);
  EXPECT_EQ(Stored("Subject"), "Alpha");
  EXPECT_EQ(Enabled(nav), "--NLIDE--R");

  Click(nav, nbEdit);
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(Enabled(nav), "--NLID-OCR");
  Click(nav, nbCancel);
  EXPECT_EQ(table.State(), dsBrowse);
  Click(nav, nbInsert);
  EXPECT_EQ(table.State(), dsInsert);
  table.FieldByName("Subject")->SetAsString("Inserted");
  Click(nav, nbPost);
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(table.RecordCount(), 4);
}

TEST_F(DBNavigatorTest, DeleteAsksFirstAndDeletesOnlyOnOk) {
  OpenSample();
  TDBNavigator* nav = AddNavigator();
  ASSERT_TRUE(Show());
  messages.answer = false;
  Click(nav, nbDelete);
  ASSERT_EQ(messages.shown, std::vector<std::string>{"Q:Delete record?"});
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(Stored("Subject"), "Alpha");

  messages.answer = true;
  Click(nav, nbDelete);
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(table.RecordCount(), 2);
  EXPECT_EQ(Stored("Subject"), "Beta");

  nav->SetConfirmDelete(false);
  Click(nav, nbDelete);
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(table.RecordCount(), 1);
  Click(nav, nbDelete);
  EXPECT_EQ(table.RecordCount(), 0);
  // Nothing left to delete or move to.
  EXPECT_EQ(Enabled(nav), "----I-E--R");
}

TEST_F(DBNavigatorTest, ReadOnlyDatasetOnlyMoves) {
  OpenSample();
  table.SetReadOnly(true);
  TDBNavigator* nav = AddNavigator();
  ASSERT_TRUE(Show());
  EXPECT_EQ(Enabled(nav), "--NL-----R");
}

TEST_F(DBNavigatorTest, DataSourceGoingAwayDisablesEveryButton) {
  OpenSample();
  auto temporary = std::make_unique<TDataSource>();
  temporary->SetDataSet(&table);
  TDBNavigator* nav = AddNavigator();
  nav->SetDataSource(temporary.get());
  EXPECT_EQ(Enabled(nav), "--NLIDE--R");
  temporary.reset();
  EXPECT_EQ(nav->DataSource(), nullptr);
  EXPECT_EQ(Enabled(nav), "----------");
  nav->BtnClick(nbNext);  // does nothing without a dataset
  EXPECT_EQ(Stored("Subject"), "Alpha");
}

TEST_F(DBNavigatorTest, HintsAndVisibleButtons) {
  TDBNavigator* nav = AddNavigator();
  const char* hints[] = {"First record", "Prior record", "Next record", "Last record", "Insert record", "Delete record"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(nav->Hint(static_cast<TNavigateBtn>(i)), hints[i]);
    EXPECT_EQ(nav->Button(static_cast<TNavigateBtn>(i))->toolTip().toStdString(), hints[i]);
  }
  nav->SetHint(nbNext, "Onwards|Go to the next idea");
  EXPECT_EQ(nav->Button(nbNext)->toolTip(), "Onwards");
  EXPECT_EQ(nav->Button(nbNext)->statusTip(), "Go to the next idea");
  nav->SetHint(nbNext, "");
  EXPECT_EQ(nav->Button(nbNext)->toolTip(), "Next record");

  nav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete});
  ASSERT_TRUE(Show());
  int width = 0;
  for (int i = 0; i < TDBNavigator::kButtonCount; ++i) {
    QToolButton* b = nav->Button(static_cast<TNavigateBtn>(i));
    EXPECT_EQ(b->isVisible(), i <= nbDelete) << i;
    if (b->isVisible()) width += b->width();
  }
  EXPECT_EQ(width, 228);
  // For a person to look at the glyphs.
  EXPECT_TRUE(nav->grab().save(QString::fromStdString(TestOutputPath("db_navigator.png"))));
}

TEST_F(DBNavigatorTest, MovingPostsWhatIsTypedAndTheEditKeepsTheFocus) {
  OpenSample();
  auto* edit = Add<TDBEdit>("Subject");
  TDBNavigator* nav = AddNavigator();
  ASSERT_TRUE(Show());
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "Renamed");
  Click(nav, nbNext);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(edit->Text(), "Beta");
  Click(nav, nbPrior);
  EXPECT_EQ(edit->Text(), "Renamed");
}

TEST_F(DBNavigatorTest, ActionErrorsAreShownAndEventsSeeTheButton) {
  OpenSample();
  TDBNavigator* nav = AddNavigator();
  ASSERT_TRUE(Show());
  std::vector<TNavigateBtn> before, after;
  nav->BeforeAction = [&](TDBNavigator*, TNavigateBtn b) { before.push_back(b); };
  nav->OnClick = [&](TDBNavigator*, TNavigateBtn b) { after.push_back(b); };
  table.BeforePost = [](TDataSet*) { throw EDatabaseError("Refused"); };
  Click(nav, nbEdit);
  Click(nav, nbPost);
  ASSERT_EQ(messages.shown, std::vector<std::string>{"E:Refused"});
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(before, (std::vector<TNavigateBtn>{nbEdit, nbPost}));
  // The click event is not reached when the action failed.
  EXPECT_EQ(after, (std::vector<TNavigateBtn>{nbEdit}));
  table.BeforePost = nullptr;
  Click(nav, nbCancel);
  EXPECT_EQ(table.State(), dsBrowse);
}

}  // namespace
