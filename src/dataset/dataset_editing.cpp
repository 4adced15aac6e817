// TDataSet: the edit / insert / post / cancel / delete state machine.
#include <algorithm>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/scope_guard.h"

namespace notarra {

using namespace db_messages;

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (state_) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::UpdateRecord() {
  if (!IsEditMode(state_)) DatabaseError(kNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  UpdateCursorPos();
  InternalEdit();
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  {
    // The new record is given up: back to browsing where the cursor was.
    ScopeFail giveUp([&] {
      UpdateCursorPos();
      SetState(dsBrowse);
      Resync({});
    });
    DoOnNewRecord();
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

// Opens a new buffer at the active record's place; the records from there
// on move down one (the last one leaves a full window).
void TDataSet::PrepareInsert() {
  TBookmark oldCurrent = Bookmark();
  MoveBuffer(recordCount_, activeRecord_);
  TRecordBuffer buffer = ActiveBuffer();
  InitRecord(buffer);
  if (recordCount_ == 0)
    SetBookmarkFlag(buffer, bfBOF);
  else if (!oldCurrent.empty())
    SetBookmarkData(buffer, oldCurrent.data());
  if (recordCount_ < bufferCount_) ++recordCount_;
  InternalInsert();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  PrepareInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer buffer = buffers_[0];
  InitRecord(buffer);
  SetBookmarkFlag(buffer, bfEOF);
  recordCount_ = 1;
  bof_ = false;
  GetPriorRecords();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Post() {
  UpdateRecord();
  switch (state_) {
    case dsEdit:
    case dsInsert:
      DataEvent(deCheckBrowseMode, 0);
      DoBeforePost();
      CheckRequiredFields();
      // The source's cursor may be anywhere in a window of several records.
      UpdateCursorPos();
      InternalPost();
      SetState(dsBrowse);
      Resync({});
      DoAfterPost();
      break;
    default:
      break;
  }
}

void TDataSet::Cancel() {
  switch (state_) {
    case dsEdit:
    case dsInsert: {
      DataEvent(deCheckBrowseMode, 0);
      DoBeforeCancel();
      const bool scrollEvents = state_ == dsInsert;
      if (scrollEvents) DoBeforeScroll();
      UpdateCursorPos();
      InternalCancel();
      SetState(dsBrowse);
      Resync({});
      DoAfterCancel();
      if (scrollEvents) DoAfterScroll();
      break;
    }
    default:
      break;
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError(kDataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  UpdateCursorPos();
  InternalDelete();
  SetState(dsBrowse);
  Resync({});
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::SetFields(const std::vector<TVariant>& values) {
  int n = std::min(static_cast<int>(values.size()), FieldCount());
  for (int i = 0; i < n; ++i)
    if (!values[static_cast<std::size_t>(i)].IsEmpty()) fields_[i]->SetValue(values[static_cast<std::size_t>(i)]);
}

void TDataSet::AddRecord(const std::vector<TVariant>& values, bool append) {
  BeginInsertAppend();
  if (append) {
    ClearBuffers();
    InitRecord(buffers_[0]);
    SetBookmarkFlag(buffers_[0], bfEOF);
    recordCount_ = 1;
    bof_ = false;
    InternalInsert();
  } else {
    PrepareInsert();
  }
  SetState(dsInsert);
  {
    ScopeFail giveUp([&] {
      UpdateCursorPos();
      SetState(dsBrowse);
      Resync({});
    });
    SetFields(values);
    DoBeforePost();
    CheckRequiredFields();
    InternalAddRecord(ActiveBuffer(), append);
  }
  SetState(dsBrowse);
  Resync({});
  DoAfterPost();
  DoAfterScroll();
}

void TDataSet::InsertRecord(const std::vector<TVariant>& values) { AddRecord(values, false); }
void TDataSet::AppendRecord(const std::vector<TVariant>& values) { AddRecord(values, true); }

}  // namespace notarra
