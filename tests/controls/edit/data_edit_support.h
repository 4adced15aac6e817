// The surroundings of the data edit tests: table files written to a
// folder and opened again from it (ideas, groups, a level tree), a shown
// window with a plain edit before the data edits, and a message service
// that records what it is asked.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/edit/vela_db_edit.h"
#include "dataset/data_source.h"
#include "dataset/field.h"
#include "edit_test_support.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"
#include "platform/services.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

namespace edtest {

class RecordingMessages : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back("I:" + text); }
  void Warning(const std::string& text) override { shown.push_back("W:" + text); }
  void Error(const std::string& text) override { shown.push_back("E:" + text); }
  bool ConfirmOkCancel(const std::string& text) override { return shown.push_back("Q:" + text), true; }
  bool ConfirmYesNo(const std::string& text) override { return shown.push_back("Y:" + text), true; }
  std::vector<std::string> shown;
};

struct TreeRow {
  int level;
  std::string name;
  std::string code;
};

class DataEditTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    savedFormats = FormatSettings();
    FormatSettings() = TFormatSettings::UsEnglish();
    previousMessages = SetMessageService(&messages);
    db.SetDatabasePath(dir.path().toStdString());
    window = std::make_unique<QWidget>();
    window->setGeometry(40, 40, 360, 220);
    before = new QLineEdit(window.get());
    before->setGeometry(10, 10, 150, 24);
  }
  void TearDown() override {
    window.reset();
    for (TVelaTable* t : {&ideas, &groups, &tree}) t->Close();
    SetMessageService(previousMessages);
    FormatSettings() = savedFormats;
  }

  // Ideas: Subject String(20), Group String(15), PubDate Date, Amount Float,
  // Kind String(10), Node String(20); one record per subject given.
  void OpenIdeas(const std::vector<std::vector<std::string>>& rows) {
    TVelaTable build;
    build.FieldDefs().Add("Subject", ftString, 20);
    build.FieldDefs().Add("Group", ftString, 15);
    build.FieldDefs().Add("PubDate", ftDate);
    build.FieldDefs().Add("Amount", ftFloat);
    build.FieldDefs().Add("Kind", ftString, 10);
    build.FieldDefs().Add("Node", ftString, 20);
    build.Open();
    for (const auto& row : rows) {
      build.Append();
      for (std::size_t i = 0; i < row.size(); ++i)
        if (!row[i].empty()) build.Fields()[static_cast<int>(i)]->SetAsString(row[i]);
      build.Post();
    }
    Reopen(build, ideas, "ideas.d");
    source.SetDataSet(&ideas);
  }
  // Groups: CATEGORY String(15), CKEY Integer.
  void OpenGroups(const std::vector<std::string>& names) {
    TVelaTable build;
    build.FieldDefs().Add("CATEGORY", ftString, 15);
    build.FieldDefs().Add("CKEY", ftInteger);
    build.Open();
    int key = 0;
    for (const std::string& n : names) {
      build.Append();
      build.FieldByName("CATEGORY")->SetAsString(n);
      build.FieldByName("CKEY")->SetAsInteger(++key);
      build.Post();
    }
    Reopen(build, groups, "group.d");
  }
  // Tree: Lvl Integer, Name String(20), Code String(255).
  void OpenTree(const std::vector<TreeRow>& rows) {
    TVelaTable build;
    build.FieldDefs().Add("Lvl", ftInteger);
    build.FieldDefs().Add("Name", ftString, 20);
    build.FieldDefs().Add("Code", ftString, 255);
    build.Open();
    for (const TreeRow& r : rows) {
      build.Append();
      build.FieldByName("Lvl")->SetAsInteger(r.level);
      build.FieldByName("Name")->SetAsString(r.name);
      build.FieldByName("Code")->SetAsString(r.code);
      build.Post();
    }
    Reopen(build, tree, "tree.d");
  }

  // An edit on the window, configured (as a form would) before it is bound.
  TVelaDBEdit* AddEdit(const std::string& field, TVelaDialogStyle style,
                       const std::function<void(TVelaDBEdit*)>& configure = {}, int top = 50) {
    auto* edit = new TVelaDBEdit(window.get());
    edit->setGeometry(10, top, 200, 24);
    edit->SetDialogStyle(style);
    if (configure) configure(edit);
    edit->SetDataSource(&source);
    edit->SetDataField(field);
    return edit;
  }
  TVelaDBEdit* AddGroupEdit(TVelaKindSearch kind = vksFindFirst) {
    return AddEdit("Group", vdsLookup, [&](TVelaDBEdit* edit) {
      edit->SetLookupDataSet(&groups);
      edit->LookupProps().SetKindSearch(kind);
      edit->LookupProps().SetSourceKeyField("Group");
      edit->LookupProps().SetLookupKeyField("CATEGORY");
      edit->LookupProps().SetListFieldNames("CATEGORY");
      edit->SetStyle(vcsDropDownList);
      edit->SetAutoDropDown(true);
    });
  }

  bool Show(QWidget* focus) {
    if (!ShowActive(window.get())) return false;
    focus->setFocus();
    return QTest::qWaitFor([&] { return focus->hasFocus(); });
  }
  bool WaitShown(QWidget* popup) { return QTest::qWaitForWindowExposed(popup) && popup->isVisible(); }
  std::string Stored(const char* field) { return ideas.FieldByName(field)->AsString(); }
  QRect Screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

  QTemporaryDir dir;
  TFormatSettings savedFormats;
  RecordingMessages messages;
  TMessageService* previousMessages = nullptr;
  TVelaDatabase db;
  TVelaTable ideas, groups, tree;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  QLineEdit* before = nullptr;

private:
  void Reopen(TVelaTable& build, TVelaTable& table, const char* name) {
    build.SaveToFile(dir.filePath(name).toStdString());
    table.SetDatabase(&db);
    table.SetTableName(name);
    table.SetLoadMode(lmFile);
    table.Open();
  }
};

}  // namespace edtest
