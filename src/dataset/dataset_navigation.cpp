// TDataSet: the record-buffer window and moving through it.
//
// buffers_ holds bufferCount_ + 1 buffers. The first recordCount_ hold
// consecutive records of the source with the active record at
// activeRecord_; the one after them is the spare that GetRecord fills
// before it joins the window. currentRecord_ is the buffer the source's
// own cursor stands on, or -1 when unknown.
#include <algorithm>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/scope_guard.h"

namespace notarra {

using namespace db_messages;

void TDataSet::SetBufListSize(int value) {
  auto target = static_cast<std::size_t>(value);
  if (buffers_.size() < target) {
    buffers_.reserve(target);
    while (buffers_.size() < target) buffers_.push_back(AllocRecordBuffer());
  } else {
    while (buffers_.size() > target) {
      TRecordBuffer b = buffers_.back();
      buffers_.pop_back();
      FreeRecordBuffer(b);
    }
  }
}

void TDataSet::UpdateBufferCount() {
  if (!IsCursorOpen() || !internalOpenComplete_) return;
  int maxCount = 1;
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->dataLinks_) maxCount = std::max(maxCount, l->bufferCount_);
  SetBufferCount(maxCount);
}

void TDataSet::SetBufferCount(int value) {
  if (bufferCount_ == value) return;
  auto adjustFirstRecords = [this](int delta) {
    if (delta == 0) return;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->dataLinks_)
        if (l->active_) l->firstRecord_ += delta;
  };
  if (bufferCount_ > value && recordCount_ > 0) {
    // Keep the records the links show: drop from the top what no link's window starts above.
    int delta = activeRecord_;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->dataLinks_)
        if (l->active_ && l->firstRecord_ < delta) delta = l->firstRecord_;
    delta = std::max(0, std::min(delta, recordCount_ - 1));
    // Never leave the active record outside the smaller window.
    delta = std::max(delta, activeRecord_ - value + 1);
    for (int i = 0; i < delta; ++i) MoveBuffer(0, static_cast<int>(buffers_.size()) - 1);
    activeRecord_ -= delta;
    if (currentRecord_ != -1) currentRecord_ -= delta;
    recordCount_ = std::max(0, std::min(recordCount_ - delta, value));
    if (currentRecord_ >= recordCount_) currentRecord_ = -1;
    adjustFirstRecords(-delta);
  }
  SetBufListSize(value + 1);
  bufferCount_ = value;
  if (!HasState(csDestroying)) {
    GetNextRecords();
    adjustFirstRecords(GetPriorRecords());
  }
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = true;
  eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = false;
  eof_ = false;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  auto first = buffers_.begin();
  if (curIndex < newIndex)
    std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
  else
    std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index) return;
  TRecordBuffer buffer = buffers_[static_cast<std::size_t>(index)];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
      InternalSetToRecord(buffer);
      break;
    case bfBOF:
      InternalFirst();
      break;
    case bfEOF:
      InternalLast();
      break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

// Fetches the record after the window into it. *shift, when given, gets
// how many places the window's buffers moved up (1 when the window was full).
bool TDataSet::GetNextRecord(int* shift) {
  if (shift != nullptr) *shift = 0;
  TGetMode mode = gmNext;
  if (recordCount_ > 0) {
    SetCurrentRecord(recordCount_ - 1);
    // An inserted record not yet in the source: the source's cursor is
    // still on the record it was inserted before, which comes next.
    if (state_ == dsInsert && currentRecord_ == activeRecord_ && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      mode = gmCurrent;
  }
  if (GetRecord(buffers_[static_cast<std::size_t>(recordCount_)], mode, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else if (recordCount_ < bufferCount_) {
    ++recordCount_;
  } else {
    MoveBuffer(0, recordCount_);
    if (shift != nullptr) *shift = 1;
  }
  currentRecord_ = recordCount_ - 1;
  return true;
}

// Fetches the record before the window into its first place; the window's
// buffers always move down one (*shift = 1) unless the window was empty.
bool TDataSet::GetPriorRecord(int* shift) {
  if (shift != nullptr) *shift = 0;
  if (recordCount_ > 0) SetCurrentRecord(0);
  if (GetRecord(buffers_[static_cast<std::size_t>(recordCount_)], gmPrior, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(recordCount_, 0);
    if (shift != nullptr) *shift = 1;
    if (recordCount_ < bufferCount_) {
      ++recordCount_;
      ++activeRecord_;
    } else if (activeRecord_ < recordCount_ - 1) {
      ++activeRecord_;
    }
  }
  currentRecord_ = 0;
  return true;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
  return n;
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    ScopeExit atTop([&] {
      bof_ = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  }
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    ScopeExit atBottom([&] {
      eof_ = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  }
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = false;
    eof_ = false;
    // Buffer movement in dataset terms: negative when the window's
    // records moved up (the cursor went forward past the last buffer).
    int scroll = 0;
    {
      ScopeExit finish([&] { DataEvent(deDataSetScroll, scroll); });
      while (distance > 0) {
        if (activeRecord_ < recordCount_ - 1) {
          ++activeRecord_;
        } else {
          int shift = 0;
          int before = recordCount_;
          if (!GetNextRecord(&shift)) {
            eof_ = true;
            break;
          }
          scroll -= shift;
          if (recordCount_ > before) ++activeRecord_;
        }
        --distance;
        ++result;
      }
      while (distance < 0) {
        if (activeRecord_ > 0) {
          --activeRecord_;
        } else {
          int shift = 0;
          if (!GetPriorRecord(&shift)) {
            bof_ = true;
            break;
          }
          scroll += shift;
          // The new record went in at 0; GetPriorRecord may have moved the active one down.
          activeRecord_ = 0;
        }
        ++distance;
        --result;
      }
    }
    DoAfterScroll();
  }
  return result;
}

void TDataSet::SetRecNo(int) {}

void TDataSet::Resync(TResyncMode mode) {
  TRecordBuffer spare = buffers_[static_cast<std::size_t>(recordCount_)];
  if (mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(kRecordNotFound, this);
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  ScopeExit tellLinks([&] { DataEvent(deDataSetChange, 0); });
  while (count > 0 && GetPriorRecord()) --count;
  GetNextRecords();
  GetPriorRecords();
}

void TDataSet::Refresh() {
  DoBeforeRefresh();
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync({});
  DoAfterRefresh();
}

// --------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() const {
  return (state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert) && !IsEmpty() &&
         GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::Bookmark() const {
  TBookmark result;
  if (BookmarkAvailable() && bookmarkSize_ > 0) {
    result.resize(static_cast<std::size_t>(bookmarkSize_));
    GetBookmarkData(ActiveBuffer(), result.data());
  }
  return result;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark.data());
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }

}  // namespace notarra
