// The surroundings the data grid tests share: a folder with an idea table
// and a group table on disk (the program's own schemas), the tables opened
// from there, a shown window with a grid set up like the List page's and a
// plain edit to move the focus to, and a message service that records the
// questions and answers them as the test says.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "controls/grid/db_grid.h"
#include "dataset/data_source.h"
#include "dataset/field.h"
#include "gui/inplace_edit.h"
#include "platform/format_settings.h"
#include "platform/services.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace gridtest {

inline std::string TestOutputPath(const std::string& name) { return std::string(GUI_TEST_OUTPUT_DIR) + "/" + name; }

inline bool ShowActive(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

class RecordingMessages : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back("I:" + text); }
  void Warning(const std::string& text) override { shown.push_back("W:" + text); }
  void Error(const std::string& text) override { shown.push_back("E:" + text); }
  bool ConfirmOkCancel(const std::string& text) override {
    shown.push_back("Q:" + text);
    return answer;
  }
  bool ConfirmYesNo(const std::string& text) override {
    shown.push_back("Y:" + text);
    return answer;
  }
  std::vector<std::string> shown;
  bool answer = true;
};

class TempDir {
public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("notarra-grid-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string Path() const { return path_.string(); }

private:
  std::filesystem::path path_;
};

// Ideas: the sample ideas (ideas < 0), none (0) or that many generated ones.
class GridTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedFormats = FormatSettings();
    FormatSettings() = TFormatSettings::UsEnglish();
    previousMessages = SetMessageService(&messages);
  }
  void TearDown() override {
    window.reset();
    ideaSource.SetDataSet(nullptr);
    ideas.reset();
    groups.reset();
    db.reset();
    SetMessageService(previousMessages);
    FormatSettings() = savedFormats;
  }

  void WriteTables(int count) {
    TVelaCursor ideaFile, groupFile;
    if (count > 0) {
      GenerateIdeas(ideaFile, count, 11);
    } else {
      AddIdeaFields(ideaFile);
      if (count < 0) AddSampleIdeas(ideaFile);
    }
    AddGroupFields(groupFile);
    AddSampleGroups(groupFile);
    ideaFile.SaveToFile(dir.Path() + "/" + kIdeaTableName, 0, false, "");
    groupFile.SaveToFile(dir.Path() + "/" + kGroupTableName, 0, false, "");
  }

  std::unique_ptr<TVelaTable> OpenTable(const char* file) {
    auto table = std::make_unique<TVelaTable>();
    table->SetDatabase(db.get());
    table->SetTableName(file);
    table->SetLoadMode(lmFile);
    table->Open();
    return table;
  }

  // Writes the tables, opens them (ideas by Group;Subject) and shows a grid on them.
  void Open(int count = -1, bool listColumns = true) {
    WriteTables(count);
    db = std::make_unique<TVelaDatabase>();
    db->SetDatabasePath(dir.Path());
    groups = OpenTable(kGroupTableName);
    groups->SetIndexFieldNames("CATEGORY");
    ideas = OpenTable(kIdeaTableName);
    ideas->SetIndexFieldNames("Group;Subject");
    ideas->First();
    ideaSource.SetDataSet(ideas.get());
    window = std::make_unique<QWidget>();
    window->resize(900, 420);
    auto* layout = new QVBoxLayout(window.get());
    other = new QLineEdit(window.get());
    other->setObjectName("other");
    layout->addWidget(other);
    grid = new TVelaDBGrid(window.get());
    grid->setObjectName("grid");
    layout->addWidget(grid, 1);
    if (listColumns) AddListColumns();
    grid->SetDataSource(&ideaSource);
  }

  // The List page's columns.
  void AddListColumns() {
    auto add = [this](const char* name) {
      TVelaColumn* c = grid->Columns().Add();
      c->SetFieldName(name);
      return c;
    };
    TVelaColumn* flag = add("Flag");
    flag->SetButtonStyle(cbsCheck);
    flag->SetValueChecked("True");
    TVelaColumn* subject = add("Subject");
    subject->SetCanClick(true);
    subject->SetWidth(300);
    TVelaColumn* group = add("Group");
    group->SetAutoDropDown(true);
    group->SetButtonStyle(cbsLookup);
    group->SetCanClick(true);
    group->SetLookupDropDownFields("CATEGORY");
    group->SetLookupKeyField("Group");
    group->SetLookupLinkField("CATEGORY");
    group->SetLookupDataSet(groups.get());
    add("UserField1")->SetCanClick(true);
    add("UserField2")->SetCanClick(true);
    add("Title")->SetWidth(300);
    add("Keywords")->SetCanClick(true);
    add("Published");
    add("PubDate")->SetButtonStyle(cbsCalendar);
    add("Key");
  }

  bool Show() {
    if (!ShowActive(window.get())) return false;
    grid->setFocus();
    return QTest::qWaitFor([this] { return grid->hasFocus(); });
  }

  // Grid column of the column showing that field.
  int ColOf(const std::string& field) const {
    for (int i = 0; i < grid->Columns().Count(); ++i)
      if (grid->Columns()[i]->FieldName() == field) return grid->ColumnIndexToGridCol(i);
    return -1;
  }
  QPoint CellCenter(int col, int row) const { return grid->CellRect(col, row).center(); }
  // A click; a second one on the same cell waits out the double-click time.
  void Click(int col, int row, Qt::KeyboardModifiers mods = {}) {
    if (col == lastClickCol && row == lastClickRow) QTest::qWait(QApplication::doubleClickInterval() + 20);
    lastClickCol = col;
    lastClickRow = row;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellCenter(col, row));
  }
  int lastClickCol = -1;
  int lastClickRow = -1;
  void Key(int key, Qt::KeyboardModifiers mods = {}) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
  }
  std::string Current(const char* field) const { return ideas->FieldByName(field)->AsString(); }
  int DataRow() const { return grid->Row() - grid->TitleRows(); }

  // The stored value of one idea, read from the saved file afresh.
  std::string OnDisk(int key, const char* field) {
    TVelaDatabase other;
    other.SetDatabasePath(dir.Path());
    TVelaTable table;
    table.SetDatabase(&other);
    table.SetTableName(kIdeaTableName);
    table.SetLoadMode(lmFile);
    table.Open();
    for (table.First(); !table.Eof(); table.Next())
      if (table.FieldByName("Key")->AsInteger() == key) return table.FieldByName(field)->AsString();
    return "<no idea " + std::to_string(key) + ">";
  }

  TFormatSettings savedFormats;
  RecordingMessages messages;
  TMessageService* previousMessages = nullptr;
  TempDir dir;
  std::unique_ptr<TVelaDatabase> db;
  std::unique_ptr<TVelaTable> groups;
  std::unique_ptr<TVelaTable> ideas;
  TDataSource ideaSource;
  std::unique_ptr<QWidget> window;
  QLineEdit* other = nullptr;
  TVelaDBGrid* grid = nullptr;
};

}  // namespace gridtest
