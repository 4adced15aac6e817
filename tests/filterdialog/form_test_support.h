// The filter forms' tests: the sample idea table as a real table file, the
// filter component over it, a form on top, and ways to drive the form with
// mouse and keys and to act inside a modal loop.
#pragma once

#include <algorithm>

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "dataset/data_source.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "platform/format_settings.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"
#include "tools/idea_schema.h"
#include "../gui/when_modal.h"

using namespace notarra;

namespace formtest {

// Keeps every box it is asked to show.
class Messages : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back("I:" + text); }
  void Warning(const std::string& text) override { shown.push_back("W:" + text); }
  void Error(const std::string& text) override { shown.push_back("E:" + text); }
  bool ConfirmOkCancel(const std::string&) override { return false; }
  bool ConfirmYesNo(const std::string&) override { return false; }
  std::vector<std::string> shown;
};


class IdeaTable : public ::testing::Test {
protected:
  // The test's name as a file name (a parameterized test's has a "/").
  static std::string TestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
  }
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    previous = SetMessageService(&messages);
    path = (std::filesystem::temp_directory_path() /
            ("notarra-filterform-" + std::to_string(::getpid()) + "-" +
             TestName() + ".d"))
               .string();
    TVelaCursor ideas;
    AddIdeaFields(ideas);
    AddSampleIdeas(ideas);
    ideas.SaveToFile(path, 0, false, "");
    table.SetName("BlogI_");
    table.SetTableName(path);
    table.SetLoadMode(lmFile);
    table.Open();
    source.SetDataSet(&table);
    component.SetDataSource(&source);
  }
  void TearDown() override {
    form.reset();
    SetMessageService(previous);
    std::filesystem::remove(path);
  }

  // A form as Execute makes it, shown (not modal) so the test can drive it.
  TsfFilterDlg& OpenForm() {
    form = std::make_unique<TsfFilterDlg>(component);
    form->FillFieldList(true);
    form->show();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    return *form;
  }

  int Row(const std::string& name) const {
    const auto items = form->FieldsListBox()->findItems(QString::fromStdString(name), Qt::MatchExactly);
    return items.isEmpty() ? -1 : form->FieldsListBox()->row(items.front());
  }
  std::string Selected() const {
    const QListWidgetItem* item = form->FieldsListBox()->currentItem();
    return item != nullptr ? item->text().toStdString() : std::string();
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < form->FieldsListBox()->count(); ++i)
      names.push_back(form->FieldsListBox()->item(i)->text().toStdString());
    return names;
  }
  void ClickField(const std::string& name) {
    const int row = Row(name);
    ASSERT_GE(row, 0) << name;
    QListWidget* list = form->FieldsListBox();
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  void ClickFieldTab(int index) {
    QTabBar* bar = form->FieldTabSet();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  void ClickPage(int index) {
    QTabBar* bar = form->SelectNotebook()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  void ClickMatchType(int index) {
    QTest::mouseClick(form->MatchTypeItem(index), Qt::LeftButton);
  }
  // Replaces the text of a line edit as a person does: select all, type.
  static void Type(QWidget* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
      QTest::keyClick(edit, Qt::Key_Delete);
    else
      QTest::keyClicks(edit, text);
  }

  std::set<std::string> VisibleSubjects() {
    std::set<std::string> subjects;
    for (table.First(); !table.Eof(); table.Next()) subjects.insert(table.FieldByName("Subject")->AsString());
    return subjects;
  }

  Messages messages;
  TMessageService* previous = nullptr;
  std::string path;
  TVelaTable table;
  TDataSource source;
  TsfFilterDialog component;
  std::unique_ptr<TsfFilterDlg> form;
};

}  // namespace formtest
