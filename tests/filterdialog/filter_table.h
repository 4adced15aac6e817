// A table with one field of each kind the record test distinguishes, a
// data source and a filter component over it, and helpers that apply
// criteria and read back which records are visible.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "filterdialog/filter_dialog.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"
#include "platform/memory_stream.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace ft {

struct Row {
  std::string name;
  std::optional<int> count;
  std::optional<double> amount;
  std::optional<TDateTime> day, at, stamp;
  std::optional<bool> flag;
};

inline TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }
inline TDateTime T(int h, int n, int s) { return EncodeTime(h, n, s, 0); }

// Keeps every box it is asked to show.
class RecordingMessages : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back("I:" + text); }
  void Warning(const std::string& text) override { shown.push_back("W:" + text); }
  void Error(const std::string& text) override { shown.push_back("E:" + text); }
  bool ConfirmOkCancel(const std::string&) override { return false; }
  bool ConfirmYesNo(const std::string&) override { return false; }
  std::vector<std::string> shown;
};

// The engine's own filter language has no parentheses and no "or", so the
// texts this component writes are refused by it; this table can instead take
// any text as it stands (and then filters nothing by it).
//
// Memo contents are given per record name here, read through the dataset's
// BLOB stream like any memo field.
class TextTakingTable : public TVelaTable {
public:
  bool takeAnyFilterText = false;
  std::map<std::string, std::string> memos;

  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override {
    if (memos.empty() || field->FieldName() != "Notes" || mode != bmRead)
      return TVelaTable::CreateBlobStream(field, mode);
    auto stream = std::make_unique<TMemoryStream>();
    const std::string& text = memos[FieldByName("Name")->AsString()];
    if (!text.empty()) stream->Write(text.data(), text.size());
    stream->SetPosition(0);
    return stream;
  }

protected:
  void SetFilterText(const std::string& text) override {
    if (takeAnyFilterText) {
      StoreFilterText(text);
    } else {
      TVelaTable::SetFilterText(text);
    }
  }
};

class FilterTable : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    oldMessages = SetMessageService(&messages);
    table.SetName("Things");
    table.FieldDefs().Add("Name", ftString, 20);
    table.FieldDefs().Add("Count", ftInteger);
    table.FieldDefs().Add("Amount", ftFloat);
    table.FieldDefs().Add("Day", ftDate);
    table.FieldDefs().Add("At", ftTime);
    table.FieldDefs().Add("Stamp", ftDateTime);
    table.FieldDefs().Add("Flag", ftBoolean);
    table.FieldDefs().Add("Key", ftAutoInc);
    table.FieldDefs().Add("Notes", ftMemo);
    table.Open();
    source.SetDataSet(&table);
    dialog.SetDataSource(&source);
  }
  void TearDown() override {
    SetMessageService(oldMessages);
    if (!path.empty()) std::filesystem::remove(path);
  }

  void AddRows(const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      table.Append();
      table.FieldByName("Name")->SetAsString(r.name);
      if (r.count) table.FieldByName("Count")->SetAsInteger(*r.count);
      if (r.amount) table.FieldByName("Amount")->SetAsFloat(*r.amount);
      if (r.day) table.FieldByName("Day")->SetAsDateTime(*r.day);
      if (r.at) table.FieldByName("At")->SetAsDateTime(*r.at);
      if (r.stamp) table.FieldByName("Stamp")->SetAsDateTime(*r.stamp);
      if (r.flag) table.FieldByName("Flag")->SetAsBoolean(*r.flag);
      table.Post();
    }
  }

  // Backs the table by a file, so closing and reopening keeps its records.
  void BackByFile() {
    path = (std::filesystem::temp_directory_path() /
            ("notarra-filterdialog-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             ".d"))
               .string();
    table.SaveToFile(path);
    table.SetTableName(path);  // closes the table
    table.SetLoadMode(lmFile);
    table.Open();
  }

  TsfFieldInfo& Criterion(const std::string& field, TsfFilterMatchType match, const std::string& value = {}) {
    auto info = std::make_unique<TsfFieldInfo>();
    info->FieldName = field;
    info->DisplayName = field;
    info->MatchType = match;
    info->FilterValue = value;
    dialog.FieldInfo().push_back(std::move(info));
    return *dialog.FieldInfo().back();
  }
  TsfFieldInfo& Range(const std::string& field, const std::string& min, const std::string& max) {
    TsfFieldInfo& info = Criterion(field, fdMatchRange);
    info.MinValue = min;
    info.MaxValue = max;
    return info;
  }

  std::set<std::string> Visible() {
    std::set<std::string> names;
    for (table.First(); !table.Eof(); table.Next()) names.insert(table.FieldByName("Name")->AsString());
    return names;
  }
  std::set<std::string> Apply() {
    dialog.ApplyFilter();
    return Visible();
  }
  // Applies the criteria afresh and forgets them afterwards.
  std::set<std::string> Only() {
    std::set<std::string> result = Apply();
    dialog.ClearFilter();
    return result;
  }

  std::string path;
  RecordingMessages messages;
  TMessageService* oldMessages = nullptr;
  TextTakingTable table;
  TDataSource source;
  TsfFilterDialog dialog;
};

}  // namespace ft
