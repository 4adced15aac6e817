// TVelaDataset's key buffers, Locate and Lookup, ranges over
// RangeFieldNames, and Refresh.
//
// A key buffer is a data area of the table's record size plus the
// descriptors and field objects of the fields it holds values for. Locate
// without options stores the key values in the search key and compares
// stored values (a binary search when the visible list is ordered by the
// key fields); with options it reads each record's fields as values.
#include <algorithm>
#include <cstring>

#include "dataset/field_types.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "platform/unaligned.h"
#include "tableengine/data_area.h"
#include "tableengine/vela_dataset.h"

namespace notarra {

namespace {

TVelaKey KeyOf(const TVelaKeyBuffer& kb) { return TVelaKey{kb.Data.get(), kb.Descriptors, kb.KeyCount}; }

// Element i of the key values when they are an array (unassigned past its
// end), else the key values themselves.
const TVariant& KeyValue(const TVariant& keyValues, int i) {
  static const TVariant kNone;
  if (!keyValues.IsArray()) return keyValues;
  return i < keyValues.Count() ? keyValues[i] : kNone;
}

bool FieldMatches(TField* field, const TVariant& key, TLocateOptions options) {
  if (VarIsClear(key)) return false;
  const TVariant value = field->Value();
  if (VarIsClear(value)) return false;
  TVariant converted;
  try {
    converted = VarAsType(value, key.VarType());
  } catch (const EVariantError&) {
    return false;  // a value that cannot take the key's type is not the key
  }
  if (field->DataType() != ftString) return VarSameValue(converted, key);
  std::string text = VarToStr(converted), wanted = VarToStr(key);
  if (options.Contains(loCaseInsensitive)) {
    text = AnsiUpperCase(text);
    wanted = AnsiUpperCase(wanted);
  }
  return options.Contains(loPartialKey) ? text.starts_with(wanted) : text == wanted;
}

// A text key on a text field, compared straight from the record's data
// area: the same answer as reading the field's value, converting it to text
// and upper-casing both, without building a value for every record.
struct TextKey {
  const TVelaField* field;
  std::size_t maxLength;
  std::string wanted;
  bool caseInsensitive, partial;

  bool Matches(const uint8_t* data) const {
    std::string_view text = field->Kind == TVelaFieldKind::String ? data_area::Text(data, *field)
                                                                   : data_area::SmallText(data, *field);
    // The field reads at most its size, up to a zero byte; empty reads as null.
    text = text.substr(0, std::min(maxLength, text.find('\0')));
    if (text.empty()) return false;
    if (partial ? text.size() < wanted.size() : text.size() != wanted.size()) return false;
    if (!caseInsensitive) return text.compare(0, wanted.size(), wanted) == 0;
    for (std::size_t i = 0; i < wanted.size(); ++i)
      if (static_cast<char>(AnsiUpperChar(static_cast<unsigned char>(text[i]))) != wanted[i]) return false;
    return true;
  }
};

// The same fields in the same places: the key buffers and record buffers
// made for the old layout stay valid for the new one.
bool SameLayout(const std::vector<TVelaField>& before, const TVelaCursor& store) {
  if (static_cast<int>(before.size()) != store.FieldCount()) return false;
  for (int i = 0; i < store.FieldCount(); ++i) {
    const TVelaField& a = before[static_cast<std::size_t>(i)];
    const TVelaField& b = *store.FieldByIndex(i);
    if (a.Kind != b.Kind || a.Offset != b.Offset || a.DataSize != b.DataSize || a.Size != b.Size) return false;
  }
  return true;
}

// Releases the texts and blocks of a data area laid out by descriptors that
// no longer belong to a store.
void ReleaseWithLayout(uint8_t* data, const std::vector<TVelaField>& layout) {
  if (!data) return;
  for (const TVelaField& f : layout) {
    if (f.Kind == TVelaFieldKind::String) data_area::FreeText(data_area::TextRef(data, f));
    else if (IsBlobKind(f.Kind)) data_area::FreeBlock(data_area::OwnedBlob(data, f));
    else continue;
    std::memset(data + f.Offset, 0, f.DataSize);
  }
}

}  // namespace

// ---- Key buffers ---------------------------------------------------------------

void TVelaDataset::ResolveKeyFields(const std::string& names, std::vector<TField*>& fieldObjects,
                                    TVelaFieldList& descriptors) {
  fieldObjects.clear();
  descriptors.clear();
  if (!store_ || names.empty()) return;
  GetFieldList(fieldObjects, names);
  descriptors = store_->ResolveFieldList(names);
  // The store leaves BLOB kinds out; calculated and lookup fields have no descriptor at all.
  bool dataFieldsOnly = descriptors.size() == fieldObjects.size();
  for (TField* field : fieldObjects) dataFieldsOnly = dataFieldsOnly && field->FieldKind() == fkData;
  if (!dataFieldsOnly) {
    fieldObjects.clear();
    descriptors.clear();
    DatabaseError("There are calc or BLOB fields in list of key fields", this);
  }
}

void TVelaDataset::PrepareKeyBuffer(TVelaKeyIndex slot) {
  switch (slot) {
    case kbIndex: PrepareKeyBuffer(slot, indexFieldNames_); break;
    case kbSearch: PrepareKeyBuffer(slot, std::string()); break;
    case kbRangeStart:
    case kbRangeEnd: PrepareKeyBuffer(slot, rangeFieldNames_); break;
  }
}

void TVelaDataset::PrepareKeyBuffer(TVelaKeyIndex slot, const std::string& fieldNames) {
  TVelaKeyBuffer& kb = keyBuffers_[slot];
  // The names are checked first: a wrong list leaves the key as it was.
  std::vector<TField*> fieldObjects;
  TVelaFieldList descriptors;
  ResolveKeyFields(fieldNames, fieldObjects, descriptors);
  if (kb.Data && store_) {
    store_->ReleaseRecordData(kb.Data.get());
    std::memset(kb.Data.get(), 0, store_->RecordDataSize());
  }
  kb.FieldObjects = std::move(fieldObjects);
  kb.Descriptors = std::move(descriptors);
  // A text field compares shorter-first exactly when its field is
  // right-aligned. The flag belongs to the store's descriptor; when it
  // changes for a field the visible list is sorted by, that order is no
  // longer the one a binary search would assume.
  const TVelaFieldList& indexFields = keyBuffers_[kbIndex].Descriptors;
  for (std::size_t i = 0; i < kb.Descriptors.size(); ++i) {
    const bool right = kb.FieldObjects[i]->Alignment() == taRightJustify;
    const TVelaField* f = kb.Descriptors[i];
    if (f->RightAligned == right) continue;
    store_->SetFieldRightAligned(f, right);
    if (slot != kbIndex && std::find(indexFields.begin(), indexFields.end(), f) != indexFields.end())
      sorted_ = false;
  }
  kb.KeyCount = static_cast<int>(kb.FieldObjects.size());
}

bool TVelaDataset::IsIndexPrefix(const std::string& fieldNames) const {
  if (!sorted_ || sortOptions_.Contains(vsoCaseInsensitive)) return false;
  const std::vector<std::string> names = SplitFieldNames(fieldNames);
  const std::vector<std::string> index = SplitFieldNames(indexFieldNames_);
  if (names.empty() || names.size() > index.size()) return false;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (AnsiUpperCase(names[i]) != AnsiUpperCase(index[i])) return false;
  return true;
}

// ---- Locate and Lookup ---------------------------------------------------------

int TVelaDataset::SearchKeyValues(TVelaKeyBuffer& kb, const std::string& keyFields, const TVariant& keyValues) {
  if (!kb.Data) return -1;
  const int lastField = static_cast<int>(kb.Descriptors.size()) - 1;
  if (keyValues.IsArray()) {
    const int last = std::min(lastField, VarArrayHighBound(keyValues));
    for (int i = 0; i <= last; ++i) {
      const TVariant& v = keyValues[i];
      if (!VarIsClear(v)) store_->TextToValue(VarToStr(v), *kb.Descriptors[static_cast<std::size_t>(i)], kb.Data.get());
    }
  } else {
    store_->TextToValue(VarToStr(keyValues), *kb.Descriptors[0], kb.Data.get());
  }
  if (IsIndexPrefix(keyFields)) return store_->SearchKey(visible_, KeyOf(kb), 0, true, sortOptions_.Contains(vsoDescendSort));
  return WalkForKey(KeyOf(kb));
}

// SearchKey's walk over a list that is not in key order. The visible order
// visits records all over memory; fetching the entries and data areas a few
// steps ahead keeps the walk from waiting on every one of them.
int TVelaDataset::WalkForKey(const TVelaKey& key) const {
  constexpr std::size_t kEntryAhead = 16, kDataAhead = 8;
  const std::size_t count = visible_.size();
  TVelaRecord* const* list = visible_.data();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kEntryAhead < count) __builtin_prefetch(list[i + kEntryAhead]);
    if (i + kDataAhead < count) __builtin_prefetch(list[i + kDataAhead]->Data);
    const uint8_t* data = list[i]->Data;
    if (data && store_->CompareRecords(data, key.Data, key.Fields, key.Count) == 0) return static_cast<int>(i);
  }
  return -1;
}

int TVelaDataset::WalkForKeyValues(TVelaKeyBuffer& kb, const TVariant& keyValues, TLocateOptions options) {
  // Text keys on text fields go first and straight to the data; the others
  // read the field's value.
  std::vector<TextKey> textKeys;
  std::vector<std::size_t> otherKeys;
  for (std::size_t f = 0; f < kb.FieldObjects.size(); ++f) {
    const TVariant& key = KeyValue(keyValues, static_cast<int>(f));
    const TVelaField* d = kb.Descriptors[f];
    const bool textField = d->Kind == TVelaFieldKind::SmallStr || d->Kind == TVelaFieldKind::String;
    if (key.VarType() == varString && textField && kb.FieldObjects[f]->DataType() == ftString) {
      const bool ci = options.Contains(loCaseInsensitive);
      const int size = kb.FieldObjects[f]->Size();
      textKeys.push_back({d, size > 0 ? static_cast<std::size_t>(size) : std::string_view::npos,
                          ci ? AnsiUpperCase(key.AsString()) : key.AsString(), ci, options.Contains(loPartialKey)});
    } else {
      otherKeys.push_back(f);
    }
  }
  int found = -1;
  TestRecordsInFilterState([&] {
    const int count = static_cast<int>(visible_.size());
    for (int i = 0; i < count && found < 0; ++i) {
      if (i + 16 < count) __builtin_prefetch(visible_[static_cast<std::size_t>(i) + 16]);
      if (i + 8 < count) __builtin_prefetch(visible_[static_cast<std::size_t>(i) + 8]->Data);
      filterRecord_ = visible_[static_cast<std::size_t>(i)];
      if (!filterRecord_->Data) continue;
      bool all = true;
      for (std::size_t k = 0; k < textKeys.size() && all; ++k) all = textKeys[k].Matches(filterRecord_->Data);
      for (std::size_t k = 0; k < otherKeys.size() && all; ++k) {
        const std::size_t f = otherKeys[k];
        all = FieldMatches(kb.FieldObjects[f], KeyValue(keyValues, static_cast<int>(f)), options);
      }
      if (all) found = i;
    }
  });
  return found;
}

bool TVelaDataset::LocateRecord(const std::string& keyFields, const TVariant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  CursorPosChanged();
  if (!store_ || visible_.empty() || keyFields.empty() || VarIsClear(keyValues)) return false;
  PrepareKeyBuffer(kbSearch, keyFields);
  TVelaKeyBuffer& kb = keyBuffers_[kbSearch];
  // A list of no fields names no key: it must not match every record.
  if (kb.FieldObjects.empty()) return false;
  const int found = options.Empty() ? SearchKeyValues(kb, keyFields, keyValues) : WalkForKeyValues(kb, keyValues, options);
  if (found < 0) return false;
  current_ = found;
  return true;
}

bool TVelaDataset::Locate(const std::string& keyFields, const TVariant& keyValues, TLocateOptions options) {
  CheckActive();
  DoBeforeScroll();
  const bool found = LocateRecord(keyFields, keyValues, options);
  if (found) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}

TVariant TVelaDataset::Lookup(const std::string& keyFields, const TVariant& keyValues,
                              const std::string& resultFields) {
  CheckActive();
  TVariant result = Null();
  const int saved = current_;
  ScopeExit restoreCurrent([&] { current_ = saved; });
  if (LocateRecord(keyFields, keyValues) && TempBuffer()) {
    TRecordBuffer temp = TempBuffer();
    TVelaRecord* record = visible_[static_cast<std::size_t>(current_)];
    TDataSetState state = SetTempState(dsCalcFields);
    ScopeExit restoreState([&] { RestoreState(state); });
    store_->CopyRecordData(record->Data, reinterpret_cast<uint8_t*>(temp));
    const BookmarkInfo info{record, static_cast<uint8_t>(bfCurrent), current_ + 1};
    StoreUnaligned(Info(temp), info);
    CalculateFields(temp);
    result = GetFieldValue(resultFields);
  }
  return result;
}

// ---- Ranges --------------------------------------------------------------------

void TVelaDataset::FillKey(TVelaKeyIndex slot, const std::string& text) {
  TDataSetState saved = SetTempState(dsSetKey);
  keyBuffer_ = &keyBuffers_[slot];
  ScopeExit restore([&] {
    keyBuffer_ = nullptr;
    RestoreState(saved);
  });
  PrepareKeyBuffer(slot);
  TVelaKeyBuffer& kb = keyBuffers_[slot];
  std::size_t pos = 0;
  int taken = 0;
  for (const TVelaField* f : kb.Descriptors) {
    if (pos >= text.size()) break;
    const std::size_t tab = text.find('\t', pos);
    const std::size_t end = tab == std::string::npos ? text.size() : tab;
    if (end > pos && kb.Data) store_->TextToValue(std::string_view(text).substr(pos, end - pos), *f, kb.Data.get());
    pos = tab == std::string::npos ? text.size() : tab + 1;
    ++taken;
  }
  if (taken < kb.KeyCount) kb.KeyCount = taken;
}

void TVelaDataset::SetRange(const std::string& startText, const std::string& endText) {
  if (!store_) return;
  FillKey(kbRangeStart, startText);
  FillKey(kbRangeEnd, endText);
  ApplyRange();
}

void TVelaDataset::ApplyRange() {
  if (!store_ || store_->FieldCount() == 0) DatabaseError("Cannot do this operation on closed dataset", this);
  if (Active()) CheckBrowseMode();
  rangeActive_ = true;
  if (Active()) {
    RebuildVisible(true);
    First();
  }
}

void TVelaDataset::CancelRange() {
  if (!store_ || store_->FieldCount() == 0) DatabaseError("Cannot do this operation on closed dataset", this);
  if (Active()) {
    CheckBrowseMode();
    UpdateCursorPos();
  }
  rangeActive_ = false;
  if (Active()) {
    RebuildVisible(false);
    Resync({});
  }
}

void TVelaDataset::SetRangeFieldNames(const std::string& names) {
  if (Active()) {
    // Checked before anything changes: a wrong list keeps the old one.
    std::vector<TField*> fieldObjects;
    TVelaFieldList descriptors;
    ResolveKeyFields(names, fieldObjects, descriptors);
  }
  rangeFieldNames_ = names;
  if (Active()) {
    PrepareKeyBuffer(kbRangeStart);
    PrepareKeyBuffer(kbRangeEnd);
  }
  ApplyMasterRange();
}

bool TVelaDataset::InRangeKeys(const TVelaRecord* record) const {
  const TVelaKeyBuffer& start = keyBuffers_[kbRangeStart];
  const TVelaKeyBuffer& end = keyBuffers_[kbRangeEnd];
  // Without key areas (the dataset is not open) nothing restricts.
  if (!start.Data || !end.Data) return true;
  return store_->InRange(record, KeyOf(start), KeyOf(end));
}

bool TVelaDataset::InIndexOrderAt(int index) const {
  const TVelaKeyBuffer& kb = keyBuffers_[kbIndex];
  if (kb.Descriptors.empty() || index < 0 || index >= static_cast<int>(visible_.size())) return false;
  const bool descending = sortOptions_.Contains(vsoDescendSort);
  const bool caseInsensitive = sortOptions_.Contains(vsoCaseInsensitive);
  auto compare = [&](const TVelaRecord* a, const TVelaRecord* b) {
    for (const TVelaField* f : kb.Descriptors) {
      int c = store_->CompareValues(a->Data, b->Data, *f, caseInsensitive);
      if (c != 0) return descending ? -c : c;
    }
    return 0;
  };
  const TVelaRecord* r = visible_[static_cast<std::size_t>(index)];
  if (index > 0 && compare(visible_[static_cast<std::size_t>(index) - 1], r) > 0) return false;
  if (index + 1 < static_cast<int>(visible_.size()) && compare(r, visible_[static_cast<std::size_t>(index) + 1]) > 0)
    return false;
  return true;
}

void TVelaDataset::CheckStillSorted(const TVelaRecord* record) {
  if (!sorted_) return;
  int at = current_;
  if (at < 0 || at >= static_cast<int>(visible_.size()) || visible_[static_cast<std::size_t>(at)] != record)
    at = static_cast<int>(std::find(visible_.begin(), visible_.end(), record) - visible_.begin());
  if (!InIndexOrderAt(at)) sorted_ = false;
}

// ---- Refresh -------------------------------------------------------------------

std::vector<std::vector<int>> TVelaDataset::KeyFieldPositions() const {
  std::vector<std::vector<int>> positions;
  for (const TVelaKeyBuffer& kb : keyBuffers_) {
    positions.emplace_back();
    for (const TVelaField* f : kb.Descriptors) positions.back().push_back(f->Index);
  }
  return positions;
}

void TVelaDataset::RebindKeyBuffers(const std::vector<std::vector<int>>& positions) {
  for (std::size_t k = 0; k < positions.size(); ++k) {
    TVelaKeyBuffer& kb = keyBuffers_[k];
    for (std::size_t i = 0; i < kb.Descriptors.size(); ++i) {
      kb.Descriptors[i] = store_->FieldByIndex(positions[k][i]);
      store_->SetFieldRightAligned(kb.Descriptors[i], kb.FieldObjects[i]->Alignment() == taRightJustify);
    }
  }
}

void TVelaDataset::InternalRefresh() {
  if (!store_) return;
  // A reload clears the store that clones show; they would be left with
  // records that no longer exist.
  if (!clones_.empty() && ReloadsFromSource())
    DatabaseError("Cloned tables must be closed before the source dataset is refreshed", this);

  // The way back: the current record's own values of UniqueFieldNames (kept
  // as values, not texts, so that no value is lost in a text round trip) and
  // its position, for when that record is gone.
  std::vector<TField*> uniqueFields;
  TVelaFieldList uniqueDescriptors;
  ResolveKeyFields(uniqueFieldNames_, uniqueFields, uniqueDescriptors);
  const int position = visible_.empty() ? -1 : std::clamp(current_, 0, static_cast<int>(visible_.size()) - 1);
  uint8_t* returnKey = nullptr;
  if (position >= 0 && !uniqueDescriptors.empty()) {
    returnKey = store_->AllocRecordData();
    store_->CopyRecordData(visible_[static_cast<std::size_t>(position)]->Data, returnKey);
  }
  std::vector<TVelaField> layout;
  for (int i = 0; i < store_->FieldCount(); ++i) layout.push_back(*store_->FieldByIndex(i));
  // Descriptors belong to the store; a reload replaces them.
  const std::vector<std::vector<int>> keyPositions = KeyFieldPositions();
  std::vector<int> uniquePositions;
  for (const TVelaField* f : uniqueDescriptors) uniquePositions.push_back(f->Index);
  auto dropReturnKey = [&] {
    ReleaseWithLayout(returnKey, layout);
    std::free(returnKey);
    returnKey = nullptr;
  };

  opened_ = false;
  {
    // Nothing was reloaded when these fail: the dataset goes on as it was.
    ScopeFail keepAsItWas([&] {
      dropReturnKey();
      opened_ = true;
    });
    DoBeforeScroll();
    // The file is written before it is read again.
    if (ChangesPending()) SaveChanges();
  }
  // The store is gone, half-read or of other fields: nothing of the old
  // table may be shown, and its buffers cannot hold the new records.
  auto abandonStore = [&] {
    dropReturnKey();
    for (int i = 0; i <= BufferCount(); ++i) ReleaseWithLayout(reinterpret_cast<uint8_t*>(Buffers(i)), layout);
    for (TVelaKeyBuffer& kb : keyBuffers_) ReleaseWithLayout(kb.Data.get(), layout);
    ReleaseStore();
    Close();
  };
  const TVelaCursor* storeBefore = store_;
  const int recordsBefore = store_->RecordCount();
  {
    ScopeFail recover([&] {
      if (store_ == storeBefore && store_->RecordCount() == recordsBefore && SameLayout(layout, *store_)) {
        // The table refused to load before touching the store (its file is
        // gone, say): the dataset goes on with what it holds.
        dropReturnKey();
        opened_ = true;
      } else {
        abandonStore();
      }
    });
    if (ReloadsFromSource()) LoadTable();
  }
  if (!store_ || !SameLayout(layout, *store_)) {
    // Another program replaced the file with a table of other fields.
    abandonStore();
    DatabaseError("Error opening table: the fields of the table file have changed", this);
  }
  if (ReloadsFromSource()) {
    RebindKeyBuffers(keyPositions);
    for (std::size_t i = 0; i < uniqueDescriptors.size(); ++i)
      uniqueDescriptors[i] = store_->FieldByIndex(uniquePositions[i]);
    // The reloaded store holds exactly the file: nothing is left unsaved.
    if (changeCount_ > 0) {
      changeCount_ = 0;
      TellDatabase(false);
      OnNeedToSaveChange(this);
    }
  }

  {
    ScopeFail showWhatWasLoaded([&] {
      dropReturnKey();
      opened_ = true;
      // The rows still name records of the store before the reload; they must
      // show what the reload gave.
      current_ = -1;
      try {
        Resync({});
      } catch (...) {
        // The reload's own error is the one reported; rows that cannot be
        // brought up to date are not shown at all.
        Close();
      }
    });
    ApplyMasterRange();
    PrepareIndexKey();
    ForgetSearchBase();
    visible_.clear();
    if (store_->RecordCount() > 0) RebuildVisible(false);
  }
  opened_ = true;

  current_ = -1;
  if (returnKey) {
    TVelaKeyBuffer& kb = keyBuffers_[kbSearch];
    if (kb.Data) {
      store_->ReleaseRecordData(kb.Data.get());
      std::memset(kb.Data.get(), 0, store_->RecordDataSize());
      kb.FieldObjects = uniqueFields;
      kb.Descriptors = uniqueDescriptors;
      kb.KeyCount = static_cast<int>(uniqueDescriptors.size());
      store_->CopyRecordData(returnKey, kb.Data.get());
      current_ = IsIndexPrefix(uniqueFieldNames_)
                     ? store_->SearchKey(visible_, KeyOf(kb), 0, true, sortOptions_.Contains(vsoDescendSort))
                     : WalkForKey(KeyOf(kb));
    }
  }
  dropReturnKey();
  // The record is gone (or nothing names it): the one now at its place.
  if (current_ < 0 && position >= 0 && !visible_.empty())
    current_ = std::min(position, static_cast<int>(visible_.size()) - 1);
  Resync({});
  DoAfterScroll();
}

}  // namespace notarra
