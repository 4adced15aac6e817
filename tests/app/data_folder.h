// A data folder with the program's three tables, and windows opened on it
// as the program opens them; shared by the window's test files.
#pragma once

#include <QAction>
#include <QDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/main_window.h"
#include "app_test_support.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

namespace apptest {

using namespace notarra;

// A data folder with the three tables; the user table's captions are ours.
class DataFolder {
public:
  // The sample ideas, or that many generated ones.
  explicit DataFolder(int generatedIdeas = 0, const std::string& folderName = "") : dir(folderName) {
    TVelaCursor ideas, groups, user;
    if (generatedIdeas > 0) {
      GenerateIdeas(ideas, generatedIdeas, 7);
    } else {
      AddIdeaFields(ideas);
      AddSampleIdeas(ideas);
    }
    AddGroupFields(groups);
    AddSampleGroups(groups);
    AddUserFields(user);
    ideas.SaveToFile(dir / kIdeaTableName, 0, false, "");
    groups.SaveToFile(dir / kGroupTableName, 0, false, "");
    user.SaveToFile(dir / kUserTableName, 0, false, "");
    for (const char* f : {kIdeaTableName, kGroupTableName, kUserTableName}) Mark(f);
  }
  // Opens one of the folder's table files afresh, as the next start would.
  void Open(const std::string& name, TVelaDatabase& db, TVelaTable& table) const {
    db.SetDatabasePath(dir.Path().string());
    table.SetDatabase(&db);
    table.SetTableName(name);
    table.SetLoadMode(lmFile);
    table.Open();
  }
  // Adds one user-table record with these captions.
  void SetCaptions(const std::string& first, const std::string& second) {
    TVelaDatabase db;
    TVelaTable table;
    Open(kUserTableName, db, table);
    table.Append();
    table.FieldByName("Fldname1")->SetAsString(first);
    table.FieldByName("Fldname2")->SetAsString(second);
    table.Post();
    db.SaveDatasets({&table});
    Mark(kUserTableName);
  }
  std::string operator/(const std::string& name) const { return dir / name; }
  // Takes note of the file as it is now, so that a rewrite shows. Only looks:
  // changing the file's time here would be a change by another program to
  // the window, which asks before it overwrites one.
  void Mark(const std::string& name) { marks_[name] = Version(name); }
  // Whether the file was written since it was marked: a write puts a new file
  // in place (another inode) with a new modification time.
  bool Written(const std::string& name) const {
    return Version(name) != marks_.at(name);
  }
  TempDir dir;

private:
  // The file's inode and modification time, read with stat() here rather
  // than through the code under test; a missing file reads as zeros.
  using FileVersion = std::tuple<ino_t, time_t, long>;
  FileVersion Version(const std::string& name) const {
    struct stat st {};
    if (::stat((dir / name).c_str(), &st) != 0) return {};
    return {st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  }
  std::map<std::string, FileVersion> marks_;
};

// Opens a window on the folder: the tables are read from the working directory.
inline std::unique_ptr<TfrmBlog> OpenWindow(const DataFolder& data) {
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(data.dir.Path().string()));
  auto window = std::make_unique<TfrmBlog>();
  QDir::setCurrent(before);
  return window;
}

inline std::vector<std::string> SubjectsOnDisk(const DataFolder& data) {
  TVelaDatabase db;
  TVelaTable table;
  data.Open(kIdeaTableName, db, table);
  std::vector<std::string> subjects;
  for (table.First(); !table.Eof(); table.Next()) subjects.push_back(table.FieldByName("Subject")->AsString());
  return subjects;
}

inline void ClickTab(TfrmBlog& window, int index) {
  QTabBar* bar = window.PageControl1()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

inline void ClickToolButton(TfrmBlog& window, QAction* action) {
  QWidget* button = window.Toolbar()->widgetForAction(action);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

// The idea with this key as the file holds it, field by field.
inline std::map<std::string, std::string> IdeaOnDisk(const DataFolder& data, int key) {
  TVelaDatabase db;
  TVelaTable table;
  data.Open(kIdeaTableName, db, table);
  std::map<std::string, std::string> idea;
  for (table.First(); !table.Eof(); table.Next()) {
    if (table.FieldByName("Key")->AsInteger() != key) continue;
    for (TField* f : table.Fields()) idea[f->FieldName()] = f->AsString();
  }
  return idea;
}

// Clicks into the edit, selects its text and types over it.
inline void TypeOver(QWidget* edit, const char* text) {
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, text);
}

}  // namespace apptest
