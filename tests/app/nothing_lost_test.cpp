// Nothing a person posted is lost in the window: Escape takes back only the
// edit in progress, closing asks, a crash or a kill leaves a journal that the
// next start offers back, empty new rows are not saved, check boxes show and
// keep the truth.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "controls/edit/vela_db_edit.h"
#include "controls/grid/db_grid.h"
#include "data_folder.h"
#include "dataset/field_types.h"
#include "gui/db_edit.h"
#include "gui/db_navigator.h"

extern char** environ;

using namespace notarra;
using namespace apptest;

namespace {

namespace fs = std::filesystem;

const std::string kJournal = std::string(kIdeaTableName) + ".journal";

bool OnDisk(const DataFolder& data, const std::string& subject) {
  const auto subjects = SubjectsOnDisk(data);
  return std::find(subjects.begin(), subjects.end(), subject) != subjects.end();
}

// Answers the next message box by clicking the button with this text.
void AnswerWith(const QString& buttonText, QString* question = nullptr) {
  WhenModal<QMessageBox>([buttonText, question](QMessageBox* box) {
    if (question) *question = box->text();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == buttonText) return QTest::mouseClick(b, Qt::LeftButton);
    ADD_FAILURE() << "no button " << buttonText.toStdString();
    box->reject();
  });
}

class NothingLost : public ::testing::Test {
protected:
  void SetUp() override {
    window = OpenWindow(data);
    ASSERT_TRUE(ShowActive(window.get()));
  }
  void PostAnIdea(const std::string& subject = "Never saved") {
    window->BlogI_()->Append();
    window->BlogI_Subject()->SetAsString(subject);
    window->BlogI_()->Post();
  }
  // The List grid's Subject cell of the current idea, in the editor.
  QWidget* EditSubjectCell() {
    TVelaDBGrid* grid = window->VelaDBGrid1();
    const int row = grid->DataLink()->ActiveRecord();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, grid->TitleRows() + row).center());
    QTest::keyClick(grid, Qt::Key_F2);
    return QApplication::focusWidget();
  }

  DataFolder data;
  TMessageRecorder messages;
  std::unique_ptr<TfrmBlog> window;
};

TEST_F(NothingLost, EscapeInTheGridTakesBackOnlyTheEditInProgress) {
  window->BlogI_()->First();
  const int key = window->BlogI_Key()->AsInteger();
  QWidget* editor = EditSubjectCell();
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Posted subject");
  QTest::keyClick(editor, Qt::Key_Down);  // posts
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  ASSERT_EQ(window->BlogI_Key()->AsInteger(), key);
  editor = EditSubjectCell();
  QTest::keyClicks(editor, "x");
  QTest::keyClick(editor, Qt::Key_Escape);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_EQ(window->BlogI_()->State(), dsBrowse);
  EXPECT_EQ(window->BlogI_Subject()->AsString(), "Posted subject");
  EXPECT_TRUE(window->HasUnsavedChanges());
  EXPECT_TRUE(window->isWindowModified());
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Subject"), "Posted subject");
  EXPECT_FALSE(window->isWindowModified());
}

TEST_F(NothingLost, EscapeInAnEditAndTheNavigatorsCancelKeepAPickedGroup) {
  ClickTab(*window, 1);
  TVelaTable* ideas = window->BlogI_();
  for (ideas->First(); !ideas->Eof() && window->BlogI_Group()->AsString() == "Fitness";) ideas->Next();
  const int key = window->BlogI_Key()->AsInteger();
  TVelaDBEdit* group = window->VelaDBEdit1();
  group->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(group, "fit");
  QTest::keyClick(group, Qt::Key_Return);
  ASSERT_EQ(window->BlogI_Group()->AsString(), "Fitness");
  ideas->Post();

  TypeOver(window->DBEsubject(), "Thrown away");
  QTest::keyClick(window->DBEsubject(), Qt::Key_Escape);
  EXPECT_EQ(window->BlogI_Group()->AsString(), "Fitness");
  TypeOver(window->DBEtitle(), "Thrown away too");
  window->DBNavigator1()->BtnClick(nbCancel);
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(window->BlogI_Group()->AsString(), "Fitness");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Group"), "Fitness");
  EXPECT_NE(IdeaOnDisk(data, key).at("Subject"), "Thrown away");
}

TEST_F(NothingLost, QuitAsksAndReturnSaves) {
  PostAnIdea();
  EXPECT_TRUE(window->isWindowModified());
  QString question;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    question = box->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(question, TfrmBlog::QuitQuestion());
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(OnDisk(data, "Never saved"));
  EXPECT_FALSE(fs::exists(data / kJournal));
}

TEST_F(NothingLost, QuitDontSaveDiscardsAndEscapeStays) {
  PostAnIdea();
  WhenModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  window->Exit1()->trigger();
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->HasUnsavedChanges());

  AnswerWith("Don't Save");
  window->close();  // the window's close button
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(OnDisk(data, "Never saved"));
  EXPECT_FALSE(fs::exists(data / kJournal));
}

TEST_F(NothingLost, AFailedSaveKeepsTheWindowAndTheChanges) {
  PostAnIdea();
  // The folder goes away: the journal and the save cannot write, and say so.
  const fs::path moved = data.dir.Path().string() + "-moved";
  fs::rename(data.dir.Path(), moved);
  window->Group_()->Edit();
  window->Group_CATEGORY()->SetAsString("Gone");
  window->Group_()->Post();  // the change is made all the same
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_NE(messages->errors[0].find("cannot be kept safe from a crash"), std::string::npos);
  AnswerWith("Save");
  window->close();
  fs::rename(moved, data.dir.Path());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(messages->errors.size(), 2u);
  EXPECT_TRUE(window->HasUnsavedChanges());
  AnswerWith("Save");
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(OnDisk(data, "Never saved"));
}

TEST_F(NothingLost, NothingUnsavedClosesAtOnceAndAnEndingSessionKeepsTheJournal) {
  window->close();  // no question: it would wait here for an answer
  EXPECT_FALSE(window->isVisible());

  window = OpenWindow(data);
  PostAnIdea();
  EXPECT_TRUE(window->CommitData(false));  // the session ends without leave to ask
  EXPECT_TRUE(fs::exists(data / kJournal));
  AnswerWith("Cancel");
  EXPECT_FALSE(window->CommitData(true));
  EXPECT_TRUE(window->HasUnsavedChanges());
}

TEST_F(NothingLost, EmptyNewRowsAreNotSaved) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  const int ideas = window->BlogI_()->RecordCount();
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(grid, Qt::Key_Down);
  ASSERT_EQ(window->BlogI_()->State(), dsInsert);
  QTest::keyClick(grid, Qt::Key_Up);  // moving off drops it
  EXPECT_EQ(window->BlogI_()->State(), dsBrowse);
  QTest::keyClick(grid, Qt::Key_Down);
  ASSERT_EQ(window->BlogI_()->State(), dsInsert);
  ClickToolButton(*window, window->SaveButton());  // and so does Save
  EXPECT_EQ(SubjectsOnDisk(data).size(), static_cast<std::size_t>(ideas));
  EXPECT_FALSE(window->HasUnsavedChanges());

  ClickTab(*window, 2);
  TVelaDBGrid* groups = window->dbgGroup();
  const int groupCount = window->Group_()->RecordCount();
  QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, groups->CellRect(1, groups->TitleRows()).center());
  QTest::keyClick(groups, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(groups, Qt::Key_Down);
  ASSERT_EQ(window->Group_()->State(), dsInsert);
  window->Save1()->trigger();
  TVelaDatabase db;
  TVelaTable saved;
  data.Open(kGroupTableName, db, saved);
  EXPECT_EQ(saved.RecordCount(), groupCount);
  // A row with something typed in it is saved as before.
  QTest::keyClick(groups, Qt::Key_Down);
  QTest::keyClicks(groups, "Travel");
  window->Save1()->trigger();
  saved.Close();
  saved.Open();
  EXPECT_EQ(saved.RecordCount(), groupCount + 1);
}

// Whether the grid's check-box cell in the current row is ticked, as a screen
// reader (and the painting) sees it.
bool Ticked(TVelaDBGrid* grid) {
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
  QAccessibleInterface* cell = table->tableInterface()->cellAt(grid->DataLink()->ActiveRecord(), 0);
  EXPECT_TRUE(cell->state().checkable);
  return cell->state().checked;
}

TEST_F(NothingLost, BothGridsTickTheFlagAsStoredAndAClickTogglesIt) {
  TVelaTable* ideas = window->BlogI_();
  for (ideas->First(); !ideas->Eof() && !window->BlogI_Flag()->AsBoolean();) ideas->Next();
  ASSERT_FALSE(ideas->Eof()) << "the sample ideas have a flagged one";
  const int key = window->BlogI_Key()->AsInteger();
  EXPECT_TRUE(Ticked(window->VelaDBGrid1()));
  ClickTab(*window, 1);
  TVelaDBGrid* small = window->VelaDBGrid2();
  EXPECT_TRUE(Ticked(small));
  const QPoint box = small->CellRect(1, small->TitleRows() + small->DataLink()->ActiveRecord()).center();
  QTest::mouseClick(small->viewport(), Qt::LeftButton, {}, box);
  EXPECT_FALSE(window->BlogI_Flag()->AsBoolean());
  EXPECT_FALSE(Ticked(small));
  ideas->Post();
  window->Save1()->trigger();
  EXPECT_EQ(IdeaOnDisk(data, key).at("Flag"), "False");
  QTest::mouseClick(small->viewport(), Qt::LeftButton, {}, box);
  EXPECT_TRUE(Ticked(small));
  ideas->Post();
  window->Save1()->trigger();
  EXPECT_EQ(IdeaOnDisk(data, key).at("Flag"), "True");
}

// The program as a child process (app_test_main.cpp): it posts an idea and
// runs until a signal ends it. Returns its process id once it has posted.
pid_t StartPostingChild(const DataFolder& data) {
  int out[2];
  EXPECT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char self[4096] = {};
  EXPECT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string dir = data.dir.Path().string();
  char flag[] = "--post-and-wait";
  char* argv[] = {self, flag, dir.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, self, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  pollfd wait{out[0], POLLIN, 0};
  char line[16] = {};
  if (::poll(&wait, 1, 60000) == 1) {
    EXPECT_GT(::read(out[0], line, sizeof line - 1), 0);
  }
  ::close(out[0]);
  EXPECT_EQ(std::string(line), "posted\n");
  return pid;
}

int EndChild(pid_t pid, int signal) {
  ::kill(pid, signal);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(NothingLostAfterAKill, AKilledProgramsPostedIdeaIsOfferedBackAndRestored) {
  DataFolder data;
  TMessageRecorder messages;
  const int status = EndChild(StartPostingChild(data), SIGKILL);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(fs::exists(data / kJournal));
  EXPECT_FALSE(OnDisk(data, "Posted before the end"));

  QString question;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    question = box->text();
    QTest::keyClick(box, Qt::Key_Return);  // Restore
  });
  auto window = OpenWindow(data);
  EXPECT_TRUE(question.startsWith("Notarra was not closed properly. Restore the 1 unsaved changes from "))
      << question.toStdString();
  EXPECT_TRUE(window->BlogI_()->Locate("Subject", TVariant("Posted before the end"), {}));
  EXPECT_TRUE(window->isWindowModified());
  window->Save1()->trigger();
  EXPECT_TRUE(OnDisk(data, "Posted before the end"));
  EXPECT_FALSE(fs::exists(data / kJournal));
  EXPECT_TRUE(messages->errors.empty());
}

TEST(NothingLostAfterAKill, SigtermEndsCleanlyAndDiscardDropsTheJournal) {
  DataFolder data;
  TMessageRecorder messages;
  const int status = EndChild(StartPostingChild(data), SIGTERM);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ASSERT_TRUE(fs::exists(data / kJournal));
  AnswerWith("Discard");
  auto window = OpenWindow(data);
  EXPECT_FALSE(fs::exists(data / kJournal));
  EXPECT_FALSE(window->BlogI_()->Locate("Subject", TVariant("Posted before the end"), {}));
  EXPECT_FALSE(window->HasUnsavedChanges());
}

TEST(NothingLostAfterAKill, ARestoreQuestionClosedWithoutAnAnswerRestores) {
  DataFolder data;
  TMessageRecorder messages;
  EndChild(StartPostingChild(data), SIGKILL);
  WhenModal<QMessageBox>([](QMessageBox* box) { box->close(); });  // the title bar's close button
  auto window = OpenWindow(data);
  EXPECT_TRUE(window->BlogI_()->Locate("Subject", TVariant("Posted before the end"), {}));
  EXPECT_TRUE(fs::exists(data / kJournal));
}

TEST(NothingLostAfterAKill, AJournalThatCannotBeRestoredIsKeptAsideWithAWord) {
  DataFolder data;
  TMessageRecorder messages;
  EndChild(StartPostingChild(data), SIGKILL);
  // The table is written again by someone else: the journal no longer fits.
  {
    TVelaDatabase db;
    TVelaTable table;
    data.Open(kIdeaTableName, db, table);
    table.Edit();
    table.FieldByName("Title")->SetAsString("Changed elsewhere");
    table.Post();
    db.SaveDatasets({&table});
  }
  auto window = OpenWindow(data);  // no question: nothing may be restored
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_NE(messages->errors[0].find("cannot be restored: the table file was changed"), std::string::npos);
  EXPECT_FALSE(fs::exists(data / kJournal));
  EXPECT_TRUE(fs::exists(data / (kJournal + ".kept")));
  EXPECT_FALSE(window->HasUnsavedChanges());
}

}  // namespace
