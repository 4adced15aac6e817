// The surroundings the data-aware control tests share: an in-memory table
// of the engine with a data source, a shown window to put the controls on,
// a plain edit to move the focus to, and a message service that records
// what it is asked and answers confirmations as the test says.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "dataset/field.h"
#include "gui_test_support.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace dctest {

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

struct Row {
  std::string subject;
  int count = 0;
  TDateTime day = 0;
  bool flag = false;
  std::string code;
};

// Subject String(20), Count Integer, Day Date, Flag Boolean, Code String(10).
class DataForm : public ::testing::Test {
protected:
  void SetUp() override {
    savedFormats = FormatSettings();
    FormatSettings() = TFormatSettings::UsEnglish();
    previousMessages = SetMessageService(&messages);
    table.SetName("Ideas");
    table.FieldDefs().Add("Subject", ftString, 20);
    table.FieldDefs().Add("Count", ftInteger);
    table.FieldDefs().Add("Day", ftDate);
    table.FieldDefs().Add("Flag", ftBoolean);
    table.FieldDefs().Add("Code", ftString, 10);
    source.SetDataSet(&table);
    window = std::make_unique<QWidget>();
    window->resize(400, 300);
    layout = new QVBoxLayout(window.get());
    other = new QLineEdit(window.get());
    other->setObjectName("other");
    layout->addWidget(other);
  }
  void TearDown() override {
    window.reset();
    SetMessageService(previousMessages);
    FormatSettings() = savedFormats;
  }

  // Opens the table with these records, at the first one.
  void Open(const std::vector<Row>& rows) {
    table.Open();
    for (const Row& r : rows) {
      table.Append();
      table.FieldByName("Subject")->SetAsString(r.subject);
      table.FieldByName("Count")->SetAsInteger(r.count);
      if (r.day != 0) table.FieldByName("Day")->SetAsDateTime(r.day);
      table.FieldByName("Flag")->SetAsBoolean(r.flag);
      if (!r.code.empty()) table.FieldByName("Code")->SetAsString(r.code);
      table.Post();
    }
    table.First();
  }
  void OpenSample() {
    Open({{"Alpha", 1, EncodeDate(2020, 1, 2), true, "A1"},
          {"Beta", 2, EncodeDate(2021, 3, 4), false, "B2"},
          {"Gamma", 3, 0, false, ""}});
  }
  // Adds the control to the window (under the other edit) and shows it active.
  template <typename C>
  C* Add(const std::string& field) {
    auto* control = new C(window.get());
    control->SetDataSource(&source);
    control->SetDataField(field);
    layout->addWidget(control);
    return control;
  }
  bool Show() { return ShowActive(window.get()); }
  std::string Stored(const std::string& field) { return table.FieldByName(field)->AsString(); }

  TFormatSettings savedFormats;
  RecordingMessages messages;
  TMessageService* previousMessages = nullptr;
  TVelaTable table;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  QVBoxLayout* layout = nullptr;
  QLineEdit* other = nullptr;
};

}  // namespace dctest
