// An in-memory dataset that drives the framework the way the table engine
// will: a vector of records in visible order, the cursor an index into it
// (-1 before the first, count after the last), bookmarks are record ids.
// Its own record layout per field: a has-value byte, then the field's
// platform form. Values are encoded here independently of the field
// classes, so tests can check what the fields wrote.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/field_types.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"
#include "platform/memory_stream.h"

using namespace notarra;

struct TTestColumn {
  std::string name;
  TFieldType type;
  int size = 0;
  bool required = false;
};

// The platform form of a value, built without the field classes.
inline std::vector<char> EncodeValue(TFieldType type, int size, const TVariant& v) {
  auto bytes = [](const auto& x) {
    std::vector<char> b(sizeof x);
    std::memcpy(b.data(), &x, sizeof x);
    return b;
  };
  switch (type) {
    case ftString: {
      std::vector<char> b(static_cast<std::size_t>(size) + 1, '\0');
      std::string s = v.AsString();
      std::memcpy(b.data(), s.data(), std::min(s.size(), static_cast<std::size_t>(size)));
      return b;
    }
    case ftSmallint: return bytes(static_cast<int16_t>(v.AsInteger()));
    case ftWord: return bytes(static_cast<uint16_t>(v.AsInteger()));
    case ftBoolean: return bytes(static_cast<int16_t>(v.AsBoolean() ? -1 : 0));
    case ftInteger: case ftAutoInc: return bytes(v.AsInteger());
    case ftLargeint: return bytes(v.AsInt64());
    case ftFloat: case ftCurrency: return bytes(v.AsFloat());
    case ftDate: return bytes(DateTimeToTimeStamp(v.AsDateTime()).Date);
    case ftTime: return bytes(DateTimeToTimeStamp(v.AsDateTime()).Time);
    case ftDateTime: return bytes(TimeStampToMSecs(DateTimeToTimeStamp(v.AsDateTime())));
    default: return {};
  }
}

class TTestDataSet : public TDataSet {
public:
  explicit TTestDataSet(std::vector<TTestColumn> schema, TComponent* owner = nullptr)
      : TDataSet(owner), schema_(std::move(schema)) {
    for (const auto& s : schema_) {
      offsets_.push_back(recordSize_);
      recordSize_ += 1 + WidthOf(s);
    }
  }
  ~TTestDataSet() override {
    Destroying();
    Close();
  }

  // Adds a stored record (nulls and unassigned values stay empty).
  void AddRow(const std::vector<TVariant>& values) {
    auto r = std::make_unique<Rec>();
    r->id = ++lastId_;
    r->data.assign(static_cast<std::size_t>(recordSize_), '\0');
    for (std::size_t i = 0; i < values.size() && i < schema_.size(); ++i) {
      if (VarIsClear(values[i]) || IsBlobType(schema_[i].type)) {
        if (IsBlobType(schema_[i].type) && !VarIsClear(values[i])) r->blobs[static_cast<int>(i)] = values[i].AsString();
        continue;
      }
      std::vector<char> b = EncodeValue(schema_[i].type, schema_[i].size, values[i]);
      r->data[static_cast<std::size_t>(offsets_[i])] = 1;
      std::memcpy(&r->data[static_cast<std::size_t>(offsets_[i]) + 1], b.data(), b.size());
    }
    rows_.push_back(std::move(r));
  }
  // Another party removes a stored record behind the dataset's back.
  void RemoveStoredRow(int row) { rows_.erase(rows_.begin() + row); }
  int StoredCount() const { return static_cast<int>(rows_.size()); }
  // The stored bytes of field i of row (has-value byte dropped); empty when null.
  std::vector<char> StoredValue(int row, int field) const {
    const auto& d = rows_.at(static_cast<std::size_t>(row))->data;
    auto off = static_cast<std::size_t>(offsets_[static_cast<std::size_t>(field)]);
    if (d[off] == 0) return {};
    return std::vector<char>(d.begin() + static_cast<long>(off) + 1,
                             d.begin() + static_cast<long>(off) + 1 + WidthOf(schema_[static_cast<std::size_t>(field)]));
  }
  std::string StoredBlob(int row, int field) const {
    const auto& b = rows_.at(static_cast<std::size_t>(row))->blobs;
    auto it = b.find(field);
    return it == b.end() ? std::string() : it->second;
  }
  std::vector<int> StoredIds() const {
    std::vector<int> ids;
    for (const auto& r : rows_) ids.push_back(r->id);
    return ids;
  }

  bool readOnly = false;
  bool failOpenAfterBind = false;  // InternalOpen raises after creating and binding fields
  std::vector<std::string> log;  // the before/after events in order

  // Protected services opened up for tests.
  using TDataSet::ActiveBuffer;
  using TDataSet::BufferCount;
  using TDataSet::CalcBuffer;
  using TDataSet::RestoreState;
  using TDataSet::SetTempState;
  using TDataSet::TempBuffer;

  int CurrentIndex() const { return index_; }

  bool GetFieldData(TField* field, void* buffer) override {
    TRecordBuffer src = SourceBuffer();
    if (buffer != nullptr && field->DataSize() > 0) std::memset(buffer, 0, static_cast<std::size_t>(field->DataSize()));
    if (src == nullptr) return false;
    if (field->FieldNo() <= 0) return GetCalcFieldData(src, field, buffer);
    auto i = static_cast<std::size_t>(field->FieldNo() - 1);
    if (IsBlobType(schema_[i].type)) return !BlobOf(field).empty();
    const char* p = src + offsets_[i];
    if (p[0] == 0) return false;
    if (buffer != nullptr) std::memcpy(buffer, p + 1, static_cast<std::size_t>(field->DataSize()));
    return true;
  }

  void SetFieldData(TField* field, const void* buffer) override {
    TDataSetState s = State();
    if (!(s == dsEdit || s == dsInsert || s == dsSetKey || s == dsCalcFields || s == dsFilter || s == dsNewValue ||
          s == dsInternalCalc))
      DatabaseError("Dataset not in edit or insert mode", this);
    TRecordBuffer dst = SourceBuffer();
    if (field->FieldNo() <= 0) {
      SetCalcFieldData(dst, field, buffer);
    } else {
      if (s == dsCalcFields) DatabaseError("Cannot edit CalcFields", this);
      if (field->ReadOnly()) DatabaseErrorFmt(this, "Field '%s' cannot be modified", field->DisplayName().c_str());
      field->Validate(buffer);
      char* p = dst + offsets_[static_cast<std::size_t>(field->FieldNo() - 1)];
      p[0] = buffer != nullptr ? 1 : 0;
      if (buffer != nullptr)
        std::memcpy(p + 1, buffer, static_cast<std::size_t>(field->DataSize()));
      else
        std::memset(p + 1, 0, static_cast<std::size_t>(field->DataSize()));
    }
    if (s != dsSetKey && s != dsCalcFields && s != dsFilter) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }

  bool Locate(const std::string& keyFields, const TVariant& keyValues, TLocateOptions) override {
    CheckBrowseMode();
    int found = Find(keyFields, keyValues);
    if (found < 0) return false;
    DoBeforeScroll();
    index_ = found;
    Resync({rmExact, rmCenter});
    DoAfterScroll();
    return true;
  }

  TVariant Lookup(const std::string& keyFields, const TVariant& keyValues, const std::string& resultFields) override {
    CheckActive();
    int found = Find(keyFields, keyValues);
    if (found < 0) return Null();
    TDataSetState saved = SetTempState(dsCalcFields);
    TVariant result;
    try {
      std::memcpy(TempBuffer(), rows_[static_cast<std::size_t>(found)]->data.data(), static_cast<std::size_t>(recordSize_));
      CalculateFields(TempBuffer());
      result = GetFieldValue(resultFields);
    } catch (...) {
      RestoreState(saved);
      throw;
    }
    RestoreState(saved);
    return result;
  }

  void SetRecNo(int value) override {
    CheckBrowseMode();
    if (value == RecNo()) return;
    value = std::max(1, std::min(value, StoredCount()));
    DoBeforeScroll();
    index_ = value - 1;
    Resync({rmCenter});
    DoAfterScroll();
  }

  bool BookmarkValid(const TBookmark& b) override { return b.size() == 4 && PositionOf(IdOf(b.data())) >= 0; }
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) override {
    if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
    int x = IdOf(a.data()), y = IdOf(b.data());
    return x < y ? -1 : (x > y ? 1 : 0);
  }

  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;

protected:
  int GetRecordSize() const override { return recordSize_; }
  int RecBufSize() const override { return recordSize_ + CalcFieldsSize() + 5; }

  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override {
    int count = StoredCount();
    if (count == 0) return grEOF;
    switch (mode) {
      case gmCurrent:
        if (index_ < 0 || index_ >= count) {
          if (doCheck) DatabaseError("Record not found", this);
          return grError;
        }
        break;
      case gmNext:
        if (index_ >= count - 1) {
          index_ = count;
          return grEOF;
        }
        ++index_;
        break;
      case gmPrior:
        if (index_ <= 0) {
          index_ = -1;
          return grBOF;
        }
        --index_;
        break;
    }
    const Rec& r = *rows_[static_cast<std::size_t>(index_)];
    std::memcpy(buffer, r.data.data(), static_cast<std::size_t>(recordSize_));
    std::memcpy(buffer + InfoOffset(), &r.id, 4);
    buffer[InfoOffset() + 4] = static_cast<char>(bfCurrent);
    GetCalcFields(buffer);
    return grOK;
  }

  void InternalFirst() override { index_ = -1; }
  void InternalLast() override { index_ = StoredCount(); }
  int GetRecNo() const override {
    TRecordBuffer b = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
    if (b == nullptr || IsEmpty() || GetBookmarkFlag(b) != bfCurrent) return -1;
    int id;
    std::memcpy(&id, b + InfoOffset(), 4);
    return PositionOf(id) + 1;
  }
  int GetRecordCount() const override { return StoredCount(); }
  void GetBookmarkData(TRecordBuffer buffer, void* data) const override { std::memcpy(data, buffer + InfoOffset(), 4); }
  void SetBookmarkData(TRecordBuffer buffer, const void* data) override { std::memcpy(buffer + InfoOffset(), data, 4); }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override {
    return static_cast<TBookmarkFlag>(buffer[InfoOffset() + 4]);
  }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override { buffer[InfoOffset() + 4] = static_cast<char>(flag); }
  void InternalGotoBookmark(const void* bookmark) override {
    // A vanished record leaves the cursor past the end.
    int pos = PositionOf(IdOf(bookmark));
    index_ = pos >= 0 ? pos : StoredCount();
  }
  void InternalSetToRecord(TRecordBuffer buffer) override { InternalGotoBookmark(buffer + InfoOffset()); }

  void InternalPost() override {
    log.push_back("InternalPost");
    TRecordBuffer b = ActiveBuffer();
    if (State() == dsEdit) {
      int pos = PositionOf(IdOf(b + InfoOffset()));
      Rec& r = *rows_.at(static_cast<std::size_t>(pos));
      std::memcpy(r.data.data(), b, static_cast<std::size_t>(recordSize_));
      ApplyPendingBlobs(r);
    } else {
      AddFromBuffer(b, GetBookmarkFlag(b) == bfEOF || GetBookmarkFlag(b) == bfBOF);
    }
  }
  void InternalAddRecord(TRecordBuffer buffer, bool append) override {
    log.push_back("InternalAddRecord");
    AddFromBuffer(buffer, append || GetBookmarkFlag(buffer) != bfInserted);
  }
  void InternalDelete() override {
    log.push_back("InternalDelete");
    rows_.erase(rows_.begin() + index_);
  }
  void InternalCancel() override {
    log.push_back("InternalCancel");
    pendingBlobs_.clear();
  }
  void InternalOpen() override {
    FieldDefs().SetUpdated(false);
    FieldDefs().Update();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    if (failOpenAfterBind) DatabaseError("Error opening table: damaged", this);
    SetBookmarkSize(4);
    index_ = -1;
    open_ = true;
  }
  void InternalClose() override {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    open_ = false;
  }
  bool IsCursorOpen() const override { return open_; }
  void InternalInitFieldDefs() override {
    FieldDefs().Clear();
    for (const auto& s : schema_) FieldDefs().Add(s.name, s.type, s.type == ftString ? s.size : 0, s.required);
  }
  bool GetCanModify() const override { return !readOnly; }

  void DoBeforeOpen() override { log.push_back("BeforeOpen"); TDataSet::DoBeforeOpen(); }
  void DoAfterOpen() override { log.push_back("AfterOpen"); TDataSet::DoAfterOpen(); }
  void DoBeforeClose() override { log.push_back("BeforeClose"); TDataSet::DoBeforeClose(); }
  void DoAfterClose() override { log.push_back("AfterClose"); TDataSet::DoAfterClose(); }
  void DoBeforeEdit() override { log.push_back("BeforeEdit"); TDataSet::DoBeforeEdit(); }
  void DoAfterEdit() override { log.push_back("AfterEdit"); TDataSet::DoAfterEdit(); }
  void DoBeforeInsert() override { log.push_back("BeforeInsert"); TDataSet::DoBeforeInsert(); }
  void DoAfterInsert() override { log.push_back("AfterInsert"); TDataSet::DoAfterInsert(); }
  void DoBeforePost() override { log.push_back("BeforePost"); TDataSet::DoBeforePost(); }
  void DoAfterPost() override { log.push_back("AfterPost"); TDataSet::DoAfterPost(); }
  void DoBeforeCancel() override { log.push_back("BeforeCancel"); TDataSet::DoBeforeCancel(); }
  void DoAfterCancel() override { log.push_back("AfterCancel"); TDataSet::DoAfterCancel(); }
  void DoBeforeDelete() override { log.push_back("BeforeDelete"); TDataSet::DoBeforeDelete(); }
  void DoAfterDelete() override { log.push_back("AfterDelete"); TDataSet::DoAfterDelete(); }
  void DoBeforeScroll() override { log.push_back("BeforeScroll"); TDataSet::DoBeforeScroll(); }
  void DoAfterScroll() override { log.push_back("AfterScroll"); TDataSet::DoAfterScroll(); }
  void DoOnNewRecord() override { log.push_back("OnNewRecord"); TDataSet::DoOnNewRecord(); }

private:
  struct Rec {
    int id = 0;
    std::vector<char> data;
    std::map<int, std::string> blobs;
  };
  friend class TTestBlobStream;

  static int WidthOf(const TTestColumn& s) {
    switch (s.type) {
      case ftString: return s.size + 1;
      case ftSmallint: case ftWord: case ftBoolean: return 2;
      case ftInteger: case ftAutoInc: case ftDate: case ftTime: return 4;
      case ftLargeint: case ftFloat: case ftCurrency: case ftDateTime: return 8;
      default: return 0;
    }
  }
  static int IdOf(const void* p) {
    int id;
    std::memcpy(&id, p, 4);
    return id;
  }
  int InfoOffset() const { return recordSize_ + CalcFieldsSize(); }
  int PositionOf(int id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i]->id == id) return static_cast<int>(i);
    return -1;
  }
  TRecordBuffer SourceBuffer() const {
    switch (State()) {
      case dsBrowse: return IsEmpty() ? nullptr : ActiveBuffer();
      case dsEdit: case dsInsert: case dsNewValue: case dsOldValue: return ActiveBuffer();
      case dsCalcFields: return CalcBuffer();
      default: return nullptr;
    }
  }
  // Field values searched for with Locate and Lookup, compared as variants.
  int Find(const std::string& keyFields, const TVariant& keyValues) {
    if (VarIsClear(keyValues)) return -1;
    std::vector<TField*> keys;
    GetFieldList(keys, keyFields);
    TDataSetState saved = SetTempState(dsCalcFields);
    int result = -1;
    try {
      for (std::size_t r = 0; r < rows_.size() && result < 0; ++r) {
        std::memcpy(TempBuffer(), rows_[r]->data.data(), static_cast<std::size_t>(recordSize_));
        CalculateFields(TempBuffer());
        bool all = true;
        for (std::size_t k = 0; k < keys.size() && all; ++k) {
          TVariant want = keyValues.IsArray() ? keyValues[static_cast<int>(k)] : keyValues;
          all = !keys[k]->IsNull() && VarSameValue(keys[k]->Value(), want);
        }
        if (all) result = static_cast<int>(r);
      }
    } catch (...) {
      RestoreState(saved);
      throw;
    }
    RestoreState(saved);
    return result;
  }
  void AddFromBuffer(TRecordBuffer b, bool append) {
    auto r = std::make_unique<Rec>();
    r->id = ++lastId_;
    r->data.assign(b, b + recordSize_);
    ApplyPendingBlobs(*r);
    int pos = append ? StoredCount() : std::max(0, PositionOf(IdOf(b + InfoOffset())));
    if (!append && PositionOf(IdOf(b + InfoOffset())) < 0) pos = StoredCount();
    rows_.insert(rows_.begin() + pos, std::move(r));
    std::memcpy(b + InfoOffset(), &lastId_, 4);
    SetBookmarkFlag(b, bfCurrent);
    index_ = pos;
  }
  std::string BlobOf(TField* field) const {
    int i = field->FieldNo() - 1;
    auto p = pendingBlobs_.find(i);
    if (p != pendingBlobs_.end() && (State() == dsEdit || State() == dsInsert)) return p->second;
    if (State() == dsInsert) return std::string();
    TRecordBuffer b = SourceBuffer();
    if (b == nullptr) return std::string();
    int pos = PositionOf(IdOf(b + InfoOffset()));
    if (pos < 0) return std::string();
    auto it = rows_[static_cast<std::size_t>(pos)]->blobs.find(i);
    return it == rows_[static_cast<std::size_t>(pos)]->blobs.end() ? std::string() : it->second;
  }
  void ApplyPendingBlobs(Rec& r) {
    for (auto& [i, text] : pendingBlobs_) r.blobs[i] = text;
    pendingBlobs_.clear();
  }

  std::vector<TTestColumn> schema_;
  std::vector<int> offsets_;
  int recordSize_ = 0;
  std::vector<std::unique_ptr<Rec>> rows_;
  std::map<int, std::string> pendingBlobs_;
  int lastId_ = 0;
  int index_ = -1;
  bool open_ = false;
};

// A BLOB stream over a copy of the content; a writing stream stores its
// content as the record's pending value when it goes away.
class TTestBlobStream : public TMemoryStream {
public:
  TTestBlobStream(TTestDataSet* ds, TField* field, bool writing) : ds_(ds), field_(field), writing_(writing) {}
  ~TTestBlobStream() override {
    if (!writing_) return;
    std::string text(reinterpret_cast<const char*>(Memory()), static_cast<std::size_t>(Size()));
    ds_->pendingBlobs_[field_->FieldNo() - 1] = text;
    ds_->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field_));
  }

private:
  TTestDataSet* ds_;
  TField* field_;
  bool writing_;
};

inline std::unique_ptr<TStream> TTestDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  if (mode != bmRead && State() != dsEdit && State() != dsInsert) DatabaseError("Dataset not in edit or insert mode", this);
  auto s = std::make_unique<TTestBlobStream>(this, field, mode != bmRead);
  std::string content = BlobOf(field);
  if (mode != bmWrite && !content.empty()) s->WriteBuffer(content.data(), content.size());
  s->SetPosition(0);
  return s;
}

// A data link that records every notice it receives.
class TRecordingLink : public TDataLink {
public:
  std::vector<std::string> notices;
  std::vector<int> scrolls;
  std::vector<TField*> changedFields;
  int updateDataCalls = 0;
  int checkBrowseModeCalls = 0;
  void Clear() {
    notices.clear();
    scrolls.clear();
    changedFields.clear();
  }

protected:
  void ActiveChanged() override { notices.push_back("ActiveChanged"); }
  // Asked before every move and post; counted apart so the display notices read plainly.
  void CheckBrowseMode() override { ++checkBrowseModeCalls; }
  void DataSetChanged() override { notices.push_back("DataSetChanged"); }
  void DataSetScrolled(int distance) override {
    notices.push_back("DataSetScrolled");
    scrolls.push_back(distance);
  }
  void EditingChanged() override { notices.push_back("EditingChanged"); }
  void LayoutChanged() override { notices.push_back("LayoutChanged"); }
  void RecordChanged(TField* field) override {
    notices.push_back("RecordChanged");
    changedFields.push_back(field);
  }
  void UpdateData() override { ++updateDataCalls; }
};

// The people table most tests use: ID, Name (20), Amount, Active, Born.
inline std::unique_ptr<TTestDataSet> MakePeople(int rows, TComponent* owner = nullptr) {
  auto ds = std::make_unique<TTestDataSet>(std::vector<TTestColumn>{{"ID", ftInteger},
                                                                       {"Name", ftString, 20},
                                                                       {"Amount", ftFloat},
                                                                       {"Active", ftBoolean},
                                                                       {"Born", ftDate}},
                                           owner);
  ds->SetName("People");
  for (int i = 1; i <= rows; ++i)
    ds->AddRow({i, "Person " + std::to_string(i), i * 1.5, i % 2 == 0, EncodeDate(1990, 1, 1) + i});
  return ds;
}
