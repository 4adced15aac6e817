#include "controls/edit/vela_db_edit.h"

#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidgetItem>

#include "controls/edit/calculator.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/popup_tree.h"
#include "controls/edit/vela_listbox.h"
#include "data_edit_support.h"
#include "platform/conversions.h"

using namespace notarra;
using edtest::DataEditTest;

namespace {

const std::vector<std::string> kGroups = {"Blog", "Logic", "Catalog", "Music", "Travel", "Biology"};

void Open(TVelaDBEdit* edit) { QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier); }

QPoint CentreOf(const QRect& r) { return r.center(); }

// ------------------------------------------------------------- combo

TEST_F(DataEditTest, ComboWithValuesShowsItemsAndStoresValues) {
  OpenIdeas({{"One", "", "", "", "b"}, {"Two", "", "", "", "zz"}});
  TVelaDBEdit* edit = AddEdit("Kind", vdsCombo, [](TVelaDBEdit* e) {
    e->ComboProps().SetComboItems({"Alpha", "Beta", "Gamma"});
    e->ComboProps().SetComboValues({"a", "b", "c"});
  });
  ASSERT_TRUE(Show(edit));
  // Values make the list the only source of text, opened by typing.
  EXPECT_EQ(edit->Style(), vcsDropDownList);
  EXPECT_TRUE(edit->AutoDropDown());
  EXPECT_EQ(edit->Text(), "Beta");

  Open(edit);
  ASSERT_TRUE(WaitShown(edit->ItemList()));
  EXPECT_EQ(edit->ItemList()->currentRow(), 1);
  EXPECT_TRUE(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_FALSE(edit->ItemList()->isVisible());
  EXPECT_EQ(Stored("Kind"), "b");
  EXPECT_EQ(edit->Text(), "Beta");
  EXPECT_EQ(ideas.State(), dsBrowse);

  Open(edit);
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(edit->ItemList()->isVisible());
  EXPECT_EQ(Stored("Kind"), "c");
  EXPECT_EQ(edit->Text(), "Gamma");
  EXPECT_EQ(ideas.State(), dsEdit);
  ideas.Post();
  // A stored value that is not among the values shows nothing.
  ideas.Next();
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(DataEditTest, ComboWithoutValuesShowsTheStoredTextAndSearchesAsYouType) {
  OpenIdeas({{"One", "", "", "", "free text"}});
  TVelaDBEdit* edit = AddEdit("Kind", vdsCombo, [](TVelaDBEdit* e) {
    e->ComboProps().SetComboItems({"blue", "Black", "blossom", "blot"});
  });
  ASSERT_TRUE(Show(edit));
  EXPECT_EQ(edit->Style(), vcsDropDown);
  EXPECT_FALSE(edit->AutoDropDown());
  EXPECT_EQ(edit->Text(), "free text");
  Open(edit);
  TVelaListbox* list = edit->ItemList();
  ASSERT_TRUE(WaitShown(list));
  EXPECT_EQ(list->currentRow(), -1);
  // Four items under ten rows: the list is as high as its items.
  EXPECT_EQ(list->height(), 4 * list->ItemHeight() + 2 * list->frameWidth());
  QTest::keyClicks(edit, "blo");
  EXPECT_EQ(list->SearchText(), "blo");
  EXPECT_EQ(list->currentRow(), 2);
  QTest::keyClick(edit, 't');
  EXPECT_EQ(list->currentRow(), 3);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(list->SearchText(), "");
  QTest::keyClick(edit, 'B');
  EXPECT_EQ(list->currentRow(), 0);  // case is ignored: the first "b" item
  for (int i = 0; i < 40; ++i) QTest::keyClick(edit, 'x');
  EXPECT_EQ(list->SearchText().size(), 32u);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("Kind"), "blue");
  EXPECT_EQ(edit->Text(), "blue");
}

TEST_F(DataEditTest, DraggingFromTheButtonIntoTheListTakesTheItemReleasedOn) {
  OpenIdeas({{"One", "", "", "", ""}});
  TVelaDBEdit* edit = AddEdit("Kind", vdsCombo, [](TVelaDBEdit* e) {
    e->ComboProps().SetComboItems({"red", "green", "blue"});
  });
  ASSERT_TRUE(Show(edit));
  const QPoint button = CentreOf(edit->ButtonRect());
  QTest::mousePress(edit, Qt::LeftButton, {}, button);
  TVelaListbox* list = edit->ItemList();
  ASSERT_TRUE(WaitShown(list));
  EXPECT_TRUE(edit->ButtonPressed());
  const QRect third = list->visualItemRect(list->item(2));
  const QPoint over = edit->mapFromGlobal(list->viewport()->mapToGlobal(third.center()));
  QTest::mouseMove(edit, over);
  EXPECT_FALSE(edit->ButtonPressed());
  EXPECT_EQ(list->currentRow(), 2);
  QTest::mouseRelease(edit, Qt::LeftButton, {}, over);
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(Stored("Kind"), "blue");
}

TEST_F(DataEditTest, OnUpdateDataTakesTheTextInsteadOfTheField) {
  OpenIdeas({{"One", "", "", "", "red"}});
  std::vector<std::string> got;
  TVelaDBEdit* edit = AddEdit("Kind", vdsCombo, [&](TVelaDBEdit* e) {
    e->ComboProps().SetComboItems({"red", "green"});
    e->OnUpdateData = [&got, e](TVelaDBEdit* sender, const std::string& text) {
      EXPECT_EQ(sender, e);
      got.push_back(text);
    };
  });
  ASSERT_TRUE(Show(edit));
  Open(edit);
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "green");
  EXPECT_EQ(Stored("Kind"), "red");
}

// ------------------------------------------------------------ lookup

TEST_F(DataEditTest, LookupShowsTheLocatedNameAndWritesTheChosenKey) {
  OpenGroups(kGroups);
  OpenIdeas({{"One", "Music"}, {"Two", "Gone"}, {"Three", ""}});
  TVelaDBEdit* edit = AddGroupEdit();
  ASSERT_TRUE(Show(edit));
  EXPECT_EQ(edit->Text(), "Music");
  ideas.Next();  // a group the group table no longer has
  EXPECT_EQ(edit->Text(), "");
  ideas.Next();
  EXPECT_EQ(edit->Text(), "");
  ideas.First();

  Open(edit);
  TVelaPopupData* list = edit->LookupList();
  ASSERT_TRUE(WaitShown(list));
  EXPECT_EQ(list->SelectedItem(), "Music");
  QTest::keyClicks(edit, "tr");
  EXPECT_EQ(list->SelectedItem(), "Travel");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(Stored("Group"), "Music");
  EXPECT_EQ(edit->Text(), "Music");

  Open(edit);
  QTest::keyClicks(edit, "ca");
  EXPECT_EQ(list->SelectedItem(), "Catalog");
  QTest::keyClick(edit, Qt::Key_Up, Qt::AltModifier);  // closes taking the choice
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(Stored("Group"), "Catalog");
  EXPECT_EQ(edit->Text(), "Catalog");
  ideas.Post();
  // Opening is also a click anywhere on a drop-down-list edit.
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(WaitShown(list));
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(list->isVisible());
}

TEST_F(DataEditTest, ALetterOpensAnAutoDropDownLookupAndStartsItsSearch) {
  OpenGroups(kGroups);
  OpenIdeas({{"One", "Music"}});
  TVelaDBEdit* edit = AddGroupEdit();
  ASSERT_TRUE(Show(edit));
  QTest::keyClick(edit, 'b');
  TVelaPopupData* list = edit->LookupList();
  ASSERT_TRUE(WaitShown(list));
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->SelectedItem(), "Blog");
  QTest::keyClick(edit, 'i');
  EXPECT_EQ(list->SelectedItem(), "Biology");
  EXPECT_EQ(edit->Text(), "Music");  // the letters went to the list
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("Group"), "Biology");
  // A space opens a drop-down-list edit; other typing while it is closed
  // would make a text that is no list entry.
  edit->SetAutoDropDown(false);
  QTest::keyClick(edit, 'm');
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(edit->Text(), "Biology");
  QTest::keyClick(edit, Qt::Key_Space);
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->SelectedItem(), "Biology");
}

TEST_F(DataEditTest, FilterSearchNarrowsTheListAndRestoresTheTablesOwnFiltering) {
  OpenGroups(kGroups);
  OpenIdeas({{"One", "Music"}});
  // The group table already hides "Catalog" with a handler of its own.
  int ownCalls = 0;
  const TFilterRecordEvent own = [&](TDataSet* ds, bool& accept) {
    ++ownCalls;
    accept = ds->FieldByName("CATEGORY")->AsString() != "Catalog";
  };
  groups.OnFilterRecord = own;
  groups.SetFiltered(true);
  ASSERT_EQ(groups.RecordCount(), 5);

  TVelaDBEdit* edit = AddGroupEdit(vksFilter);
  ASSERT_TRUE(Show(edit));
  Open(edit);
  TVelaPopupData* list = edit->LookupList();
  ASSERT_TRUE(WaitShown(list));
  EXPECT_TRUE(list->HookInstalled());
  ownCalls = 0;
  QTest::keyClicks(edit, "LOG");
  EXPECT_EQ(list->FilterText(), "LOG");
  EXPECT_GT(ownCalls, 0);  // the table's own handler still decides first
  EXPECT_EQ(groups.RecordCount(), 3);  // Blog, Logic, Biology; never Catalog
  EXPECT_EQ(list->RowText(0, 0), "Blog");
  EXPECT_EQ(list->FilledRows(), 3);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, 'u');
  EXPECT_EQ(list->FilterText(), "Lu");
  EXPECT_EQ(groups.RecordCount(), 0);
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_FALSE(list->HookInstalled());
  EXPECT_TRUE(groups.Filtered());
  EXPECT_TRUE(groups.OnFilterRecord == own);
  EXPECT_EQ(groups.RecordCount(), 5);
  EXPECT_EQ(Stored("Group"), "Music");

  // A table without filtering gets exactly that back.
  groups.OnFilterRecord = nullptr;
  groups.SetFiltered(false);
  Open(edit);
  QTest::keyClicks(edit, "av");
  EXPECT_EQ(groups.RecordCount(), 1);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("Group"), "Travel");
  EXPECT_FALSE(groups.Filtered());
  EXPECT_FALSE(static_cast<bool>(groups.OnFilterRecord));
  EXPECT_EQ(groups.RecordCount(), 6);
}

TEST_F(DataEditTest, ALookupDatasetEqualToTheEditedOneIsRefused) {
  OpenIdeas({{"One"}});
  TVelaDBEdit* edit = AddEdit("Group", vdsLookup);
  edit->setObjectName("GroupEdit");
  try {
    edit->SetLookupDataSet(&ideas);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "GroupEdit: Lookup Dataset cannot be equal to Source DataSet");
  }
  EXPECT_EQ(edit->LookupDataSet(), nullptr);
}

// ---------------------------------------------------------- calendar

TEST_F(DataEditTest, CalendarOpensOnTodayWhenEmptyAndWritesThePickedDay) {
  OpenIdeas({{"One", "", ""}, {"Two", "", "3/15/2021"}});
  TVelaDBEdit* edit = AddEdit("PubDate", vdsCalendar);
  ASSERT_TRUE(Show(edit));
  EXPECT_EQ(edit->Text(), "");
  Open(edit);
  TVelaDlgCalendar* calendar = edit->Calendar();
  ASSERT_TRUE(WaitShown(calendar));
  EXPECT_EQ(calendar->Date(), Date());
  // The button showing 15 in today's month.
  QToolButton* fifteen = nullptr;
  for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n)
    if (calendar->DayButton(n)->text() == "15") fifteen = calendar->DayButton(n);
  ASSERT_NE(fifteen, nullptr);
  QTest::mouseClick(fifteen, Qt::LeftButton);
  EXPECT_FALSE(calendar->isVisible());
  const TDateTime picked = EncodeDate(calendar->Year(), calendar->Month(), 15);
  EXPECT_EQ(Stored("PubDate"), DateToStr(picked));
  EXPECT_EQ(edit->Text(), DateToStr(picked));
  ideas.Post();

  ideas.Next();
  EXPECT_EQ(edit->Text(), "3/15/2021");
  Open(edit);
  EXPECT_EQ(calendar->Date(), EncodeDate(2021, 3, 15));
  QTest::keyClick(edit, Qt::Key_Right);  // one day on
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(Stored("PubDate"), "3/15/2021");
  Open(edit);
  QTest::keyClick(edit, Qt::Key_Down);  // a week on
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("PubDate"), "3/22/2021");
}

TEST_F(DataEditTest, ADateTypedByHandThatIsNoDateKeepsTheTextAndTheRecord) {
  OpenIdeas({{"One", "", "3/15/2021"}});
  TVelaDBEdit* edit = AddEdit("PubDate", vdsCalendar);
  ASSERT_TRUE(Show(edit));
  edit->selectAll();
  QTest::keyClicks(edit, "13/45/2021");
  EXPECT_EQ(edit->Text(), "13/45/2021");
  before->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.shown[0].substr(0, 2), "E:");
  EXPECT_NE(messages.shown[0].find("13/45/2021"), std::string::npos);
  EXPECT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
  EXPECT_EQ(edit->Text(), "13/45/2021");
  ideas.Cancel();
  EXPECT_EQ(Stored("PubDate"), "3/15/2021");
}

// -------------------------------------------------------------- tree

TEST_F(DataEditTest, TreeIsBuiltFromLevelNumbers) {
  OpenTree({{1, "Work", "W"},
            {2, "Projects", "WP"},
            {3, "Notes", "WPN"},
            {2, "Clients", "WC"},
            {3, "Calls", "WCC"},
            {1, "Home", "H"},
            {3, "Garden", "HG"},  // hangs under the latest level 2: Clients
            {9, "Deep", "D"},     // no level 6 yet: top level
            {0, "Zero", "Z"}});
  OpenIdeas({{"One", "", "", "", "", "WPN"}, {"Two", "", "", "", "", "nope"}});
  TVelaDBEdit* edit = AddEdit("Node", vdsTree, [&](TVelaDBEdit* e) {
    e->SetLookupDataSet(&tree);
    e->TreeProps().SetLevelField("Lvl");
    e->TreeProps().SetTextField("Name");
    e->TreeProps().SetUniqueField("Code");
  });
  TVelaPopupTree* popup = edit->PopupTree();
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(popup->topLevelItemCount(), 4);
  QTreeWidgetItem* work = popup->topLevelItem(0);
  ASSERT_EQ(work->childCount(), 2);
  EXPECT_EQ(TVelaPopupTree::NodeText(work->child(0)->child(0)), "Notes");
  QTreeWidgetItem* clients = work->child(1);
  ASSERT_EQ(clients->childCount(), 2);
  EXPECT_EQ(TVelaPopupTree::NodeText(clients->child(1)), "Garden");
  EXPECT_EQ(popup->topLevelItem(1)->childCount(), 0);  // Home
  EXPECT_EQ(TVelaPopupTree::NodeText(popup->topLevelItem(2)), "Deep");
  EXPECT_EQ(TVelaPopupTree::NodeText(popup->topLevelItem(3)), "Zero");
  EXPECT_TRUE(tree.Eof());  // left on its last row
  EXPECT_EQ(edit->Style(), vcsDropDownList);

  // The edit shows the path of the stored unique value.
  EXPECT_EQ(edit->Text(), "Work/Projects/Notes");
  ideas.Next();
  EXPECT_EQ(edit->Text(), "");
  ideas.First();
  edit->TreeProps().SetPathSeparator('\\');
  ideas.Refresh();
  EXPECT_EQ(edit->Text(), "Work\\Projects\\Notes");

  // A unique value past 255 characters is kept cut, so never found whole.
  const std::string longValue(300, 'u');
  popup->AddNode(nullptr, "Long", longValue);
  EXPECT_EQ(popup->FindNode(longValue), nullptr);
  EXPECT_NE(popup->FindNode(longValue.substr(0, 255)), nullptr);
}

TEST_F(DataEditTest, TreeChoiceStoresTheUniqueValueAndTheExpandButtonKeepsItOpen) {
  OpenTree({{1, "Work", "W"}, {2, "Projects", "WP"}, {1, "Home", "H"}});
  OpenIdeas({{"One", "", "", "", "", "H"}});
  TVelaDBEdit* edit = AddEdit("Node", vdsTree, [&](TVelaDBEdit* e) {
    e->SetLookupDataSet(&tree);
    e->TreeProps().SetLevelField("Lvl");
    e->TreeProps().SetTextField("Name");
    e->TreeProps().SetUniqueField("Code");
  });
  ASSERT_TRUE(Show(edit));
  Open(edit);
  TVelaPopupTree* popup = edit->PopupTree();
  ASSERT_TRUE(WaitShown(popup));
  EXPECT_EQ(TVelaPopupTree::NodeText(popup->currentItem()), "Home");
  QTreeWidgetItem* work = popup->topLevelItem(0);
  EXPECT_FALSE(work->isExpanded());
  const QRect row = popup->visualItemRect(work);
  const QPoint expander(row.left() - popup->indentation() / 2, row.center().y());
  ASSERT_TRUE(popup->OnExpandButton(expander));
  QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, expander);
  EXPECT_TRUE(work->isExpanded());
  EXPECT_TRUE(popup->isVisible());
  // A release on a node closes the tree taking it.
  const QRect child = popup->visualItemRect(work->child(0));
  QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, child.center());
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(Stored("Node"), "WP");
  EXPECT_EQ(edit->Text(), "Work/Projects");
}

// -------------------------------------------------------- calculator

TEST_F(DataEditTest, CalculatorWorksInTheEditAndWritesItsResult) {
  OpenIdeas({{"One", "", "", "2"}});
  TVelaDBEdit* edit = AddEdit("Amount", vdsCalculator);
  ASSERT_TRUE(Show(edit));
  EXPECT_EQ(edit->Alignment(), taRightJustify);
  // A character the number field does not take is refused.
  edit->setCursorPosition(0);
  QTest::keyClick(edit, 'x');
  EXPECT_EQ(edit->Text(), "2");
  Open(edit);
  TVelaCalculator* calc = edit->Calculator();
  ASSERT_TRUE(WaitShown(calc));
  EXPECT_EQ(edit->Text(), "2");
  EXPECT_TRUE(edit->isReadOnly());  // no caret while the calculator writes
  QTest::keyClick(edit, Qt::Key_Asterisk, Qt::KeypadModifier);
  QTest::keyClick(edit, '3');
  QTest::keyClick(edit, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(edit->Text(), "6");
  QTest::keyClick(edit, '5');
  QTest::keyClick(edit, Qt::Key_Escape);  // thrown away: the field's value shows again
  EXPECT_FALSE(calc->isVisible());
  EXPECT_FALSE(edit->isReadOnly());
  EXPECT_EQ(edit->Text(), "2");
  EXPECT_EQ(Stored("Amount"), "2");

  Open(edit);
  QTest::keyClick(edit, Qt::Key_Slash, Qt::KeypadModifier);
  QTest::keyClick(edit, '0');
  QTest::keyClick(edit, Qt::Key_Equal);
  EXPECT_TRUE(calc->InError());
  QTest::keyClick(edit, Qt::Key_Return);  // an error is no result
  EXPECT_FALSE(calc->isVisible());
  EXPECT_EQ(Stored("Amount"), "2");

  Open(edit);
  QTest::keyClick(edit, Qt::Key_Plus, Qt::KeypadModifier);
  QTest::keyClicks(edit, "1.5");
  QTest::keyClick(edit, Qt::Key_Equal);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("Amount"), "3.5");
  EXPECT_EQ(edit->Text(), "3.5");
}

// --------------------------------------------------------- custom dialog

TEST_F(DataEditTest, CustomDialogRunsFromTheButtonAndCtrlEnter) {
  OpenIdeas({{"One"}});
  int calls = 0;
  std::vector<bool> dropped;
  TVelaDBEdit* edit = AddEdit("Subject", vdsCustomDlg, [&](TVelaDBEdit* e) {
    e->OnCustomDlg = [&](TVelaDBEdit* sender) {
      ++calls;
      dropped.push_back(sender->DroppedDown());
    };
  });
  ASSERT_TRUE(Show(edit));
  const QPoint button = CentreOf(edit->ButtonRect());
  QTest::mousePress(edit, Qt::LeftButton, {}, button);
  EXPECT_TRUE(edit->ButtonPressed());
  EXPECT_EQ(calls, 0);
  QTest::mouseRelease(edit, Qt::LeftButton, {}, button);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(dropped, std::vector<bool>{true});  // shown pushed while it runs
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(ideas.State(), dsEdit);
  // A release away from the button is no click.
  QTest::mousePress(edit, Qt::LeftButton, {}, button);
  QTest::mouseMove(edit, QPoint(5, 5));
  QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(calls, 1);
  QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(calls, 2);
}

// ---------------------------------------------- geometry and properties

TEST_F(DataEditTest, ButtonWidthStaysBetweenTwelveAndHalfTheWidth) {
  OpenIdeas({{"One"}});
  TVelaDBEdit* edit = AddEdit("Subject", vdsCustomDlg);
  EXPECT_EQ(edit->ButtonWidth(), 15);
  edit->resize(26, 24);
  edit->SetButtonWidth(11);
  EXPECT_EQ(edit->ButtonWidth(), 15);
  edit->SetButtonWidth(12);
  EXPECT_EQ(edit->ButtonWidth(), 12);
  edit->SetButtonWidth(13);  // not below half of 26
  EXPECT_EQ(edit->ButtonWidth(), 12);
  edit->resize(25, 24);
  edit->SetButtonWidth(15);
  edit->SetButtonWidth(12);  // half of 25 rounds to 12
  EXPECT_EQ(edit->ButtonWidth(), 12);
  edit->resize(27, 24);      // half of 27 rounds to 14
  edit->SetButtonWidth(13);
  EXPECT_EQ(edit->ButtonWidth(), 13);
  edit->resize(200, 24);
  edit->SetButtonWidth(20);
  EXPECT_EQ(edit->ButtonWidth(), 20);
  EXPECT_EQ(edit->ButtonRect().width(), 20);
  EXPECT_EQ(edit->ButtonRect().right(), edit->rect().right() - edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

TEST_F(DataEditTest, PopupsOpenAboveNearTheBottomAndLeftNearTheRightEdge) {
  OpenGroups(kGroups);
  OpenIdeas({{"One", "Music"}});
  TVelaDBEdit* edit = AddGroupEdit();
  edit->SetDropDownWidth(260);
  const QRect screen = Screen();
  window->move(screen.right() - 250, screen.bottom() - 120);
  ASSERT_TRUE(Show(edit));
  Open(edit);
  TVelaPopupData* list = edit->LookupList();
  ASSERT_TRUE(WaitShown(list));
  const QPoint editTop = edit->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(list->width(), 260);
  EXPECT_EQ(list->geometry().bottom() + 1, editTop.y());       // above
  EXPECT_EQ(list->geometry().right(), screen.right());         // ends at the edge
  QTest::keyClick(edit, Qt::Key_Escape);

  window->move(screen.left() + 10, screen.top() + 10);
  Open(edit);
  ASSERT_TRUE(WaitShown(list));
  const QPoint below = edit->mapToGlobal(QPoint(0, edit->height()));
  EXPECT_EQ(list->geometry().topLeft(), below);
}

TEST_F(DataEditTest, PopupsCloseWhenTheWindowMovesOrTheEditIsHidden) {
  OpenGroups(kGroups);
  OpenIdeas({{"One", "Music"}});
  TVelaDBEdit* edit = AddGroupEdit();
  bool closedSelected = true;
  int closes = 0;
  edit->OnCloseUp = [&](TVelaDBEdit*, bool selected) {
    ++closes;
    closedSelected = selected;
  };
  ASSERT_TRUE(Show(edit));
  Open(edit);
  ASSERT_TRUE(WaitShown(edit->LookupList()));
  QTest::keyClick(edit, 't');
  window->move(window->pos() + QPoint(15, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !edit->LookupList()->isVisible(); }));
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(closedSelected);
  EXPECT_EQ(Stored("Group"), "Music");

  Open(edit);
  ASSERT_TRUE(WaitShown(edit->LookupList()));
  edit->hide();
  EXPECT_FALSE(edit->LookupList()->isVisible());
  EXPECT_FALSE(edit->DroppedDown());
}

// -------------------------------------------------------------- keys

TEST_F(DataEditTest, UpDownAndEnterMoveBetweenControlsWhileNoPopupShows) {
  OpenIdeas({{"One", "", "3/15/2021"}});
  TVelaDBEdit* edit = AddEdit("PubDate", vdsCalendar);
  auto* after = new QLineEdit(window.get());
  after->setGeometry(10, 90, 150, 24);
  ASSERT_TRUE(Show(edit));
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }));
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(QTest::qWaitFor([&] { return before->hasFocus(); }));
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return after->hasFocus(); }));
  edit->SetEnterAsTab(false);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(edit->hasFocus());
  // Alt+Down twice: opens, then closes taking the shown date.
  Open(edit);
  ASSERT_TRUE(WaitShown(edit->Calendar()));
  QTest::keyClick(edit, Qt::Key_Left);
  Open(edit);
  EXPECT_FALSE(edit->Calendar()->isVisible());
  EXPECT_EQ(Stored("PubDate"), "3/14/2021");
  // Escape while closed throws the change away.
  ideas.Post();
  edit->selectAll();
  QTest::keyClicks(edit, "01/01/2001");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->Text(), "3/14/2021");
}


// -------------------------------------------------- smaller properties

TEST_F(DataEditTest, PropertyObjectsAreCopiedWholeAndStartAfreshWhenCleared) {
  OpenIdeas({{"One", "", "", "", "1"}});
  TVelaDBEdit* edit = AddEdit("Kind", vdsCombo, [](TVelaDBEdit* e) {
    e->ComboProps().SetComboItems({"x", "y"});
    e->ComboProps().SetComboValues({"1", "2"});
  });
  EXPECT_EQ(edit->Text(), "x");
  EXPECT_TRUE(edit->Prepared());
  TVelaDBEdit other(window.get());
  other.ComboProps().SetComboItems({"p", "q"});
  other.ComboProps().SetComboValues({"1", "2"});
  edit->SetComboProps(&other.ComboProps());
  EXPECT_FALSE(edit->Prepared());
  EXPECT_EQ(edit->ComboProps().ComboItems(), (std::vector<std::string>{"p", "q"}));
  ideas.Refresh();
  EXPECT_EQ(edit->Text(), "p");
  edit->SetComboProps(nullptr);
  EXPECT_TRUE(edit->ComboProps().ComboItems().empty());
  EXPECT_FALSE(edit->ComboProps().HasValues());

  other.LookupProps().SetKindSearch(vksFilter);
  other.LookupProps().SetViewFieldIndex(1);
  other.LookupProps().SetSourceKeyField("Group");
  other.LookupProps().SetLookupKeyField("CATEGORY");
  other.LookupProps().SetListFieldNames("CATEGORY;CKEY");
  edit->SetLookupProps(&other.LookupProps());
  EXPECT_EQ(edit->LookupProps().ViewFieldIndex(), 1);
  EXPECT_EQ(edit->LookupProps().SourceKeyField(), "Group");
  EXPECT_EQ(edit->LookupProps().LookupKeyField(), "CATEGORY");
  EXPECT_EQ(edit->LookupProps().ListFieldNames(), "CATEGORY;CKEY");
  EXPECT_EQ(edit->LookupProps().KindSearch(), vksFindFirst);  // not among what is copied

  other.TreeProps().SetPathSeparator('|');
  other.TreeProps().SetLevelField("Lvl");
  other.TreeProps().SetTextField("Name");
  other.TreeProps().SetUniqueField("Code");
  edit->SetTreeProps(&other.TreeProps());
  EXPECT_EQ(edit->TreeProps().LevelField(), "Lvl");
  EXPECT_EQ(edit->TreeProps().TextField(), "Name");
  EXPECT_EQ(edit->TreeProps().UniqueField(), "Code");
  EXPECT_EQ(edit->TreeProps().PathSeparator(), '/');
  edit->SetTreeProps(nullptr);
  EXPECT_EQ(edit->TreeProps().LevelField(), "");
}

TEST_F(DataEditTest, DisplayEventCharCaseAlignmentAndClearValueShapeTextAndValue) {
  OpenIdeas({{"Alpha", "", "", "", "kept"}});
  TVelaDBEdit* edit = AddEdit("Subject", vdsEdit, [](TVelaDBEdit* e) {
    e->SetCharCase(ecUpperCase);
    e->OnDisplayText = [](TVelaDBEdit*, const std::string& value, std::string& shown) { shown = "[" + value + "]"; };
  });
  EXPECT_EQ(edit->Text(), "[ALPHA]");
  EXPECT_TRUE(edit->ButtonRect().isEmpty());

  // Only the plain style takes another alignment, and it shows unfocused.
  edit->SetAlignment(taRightJustify);
  EXPECT_EQ(edit->Alignment(), taRightJustify);
  EXPECT_TRUE(edit->alignment().testFlag(Qt::AlignRight));
  TVelaDBEdit* kind = AddEdit("Kind", vdsCombo, [](TVelaDBEdit* e) { e->SetClearValue("none"); }, 90);
  kind->SetAlignment(taRightJustify);
  EXPECT_EQ(kind->Alignment(), taLeftJustify);
  ASSERT_TRUE(Show(edit));
  EXPECT_TRUE(edit->alignment().testFlag(Qt::AlignLeft));
  QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);  // no popup in this style
  EXPECT_TRUE(edit->hasFocus());

  // Emptying the text stores ClearValue.
  kind->setFocus();
  kind->selectAll();
  QTest::keyClick(kind, Qt::Key_Delete);
  EXPECT_EQ(kind->Text(), "");
  before->setFocus();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Stored("Kind") == "none"; }));
  EXPECT_TRUE(edit->alignment().testFlag(Qt::AlignRight));
}

TEST_F(DataEditTest, ALookupDatasetThatGoesAwayIsForgotten) {
  OpenIdeas({{"One", "Music"}, {"Two", "Blog"}});
  auto lookup = std::make_unique<TVelaTable>();
  lookup->FieldDefs().Add("CATEGORY", ftString, 15);
  lookup->Open();
  lookup->AppendRecord({"Music"});
  TVelaDBEdit* edit = AddEdit("Group", vdsLookup, [&](TVelaDBEdit* e) {
    e->SetLookupDataSet(lookup.get());
    e->LookupProps().SetLookupKeyField("CATEGORY");
    e->LookupProps().SetListFieldNames("CATEGORY");
  });
  EXPECT_EQ(edit->Text(), "Music");
  lookup.reset();
  EXPECT_EQ(edit->LookupDataSet(), nullptr);
  ideas.Next();  // not ready: the field's own text shows
  EXPECT_EQ(edit->Text(), "Blog");
  ASSERT_TRUE(Show(edit));
  Open(edit);  // an empty list still opens and closes
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Stored("Group"), "Blog");
}

TEST_F(DataEditTest, APopupClosesWhenItsWindowLosesActivation) {
  OpenIdeas({{"One", "", "3/15/2021"}});
  TVelaDBEdit* edit = AddEdit("PubDate", vdsCalendar);
  ASSERT_TRUE(Show(edit));
  Open(edit);
  ASSERT_TRUE(WaitShown(edit->Calendar()));
  QWidget elsewhere;
  elsewhere.setGeometry(400, 300, 100, 80);
  ASSERT_TRUE(ShowActive(&elsewhere));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !edit->Calendar()->isVisible(); }));
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(Stored("PubDate"), "3/15/2021");
}

}  // namespace
