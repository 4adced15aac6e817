#include "tableengine/vela_dataset.h"

#include <algorithm>
#include <cstring>

#include "dataset/field_types.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "platform/services.h"
#include "platform/unaligned.h"
#include "tableengine/blob_stream.h"
#include "tableengine/data_area.h"
#include "tableengine/master_link.h"
#include "tableengine/unique_code.h"
#include "tableengine/vela_database.h"

namespace notarra {

namespace {
const char kClonesOpenOnClose[] = "Cloned tables are not closed before source dataset is closed!";
}  // namespace

namespace {

TFieldType FieldTypeOfKind(TVelaFieldKind kind) {
  switch (kind) {
    case TVelaFieldKind::SmallInt: return ftSmallint;
    case TVelaFieldKind::Integer: return ftInteger;
    case TVelaFieldKind::Int64: return ftLargeint;
    case TVelaFieldKind::Boolean: return ftBoolean;
    case TVelaFieldKind::Double: return ftFloat;
    case TVelaFieldKind::Currency: return ftCurrency;
    case TVelaFieldKind::Date: return ftDate;
    case TVelaFieldKind::Time: return ftTime;
    case TVelaFieldKind::DateTime: return ftDateTime;
    case TVelaFieldKind::AutoInc: return ftAutoInc;
    case TVelaFieldKind::SmallStr:
    case TVelaFieldKind::String: return ftString;
    case TVelaFieldKind::BLOB: return ftBlob;
    case TVelaFieldKind::Memo: return ftMemo;
    case TVelaFieldKind::FmtMemo: return ftFmtMemo;
    case TVelaFieldKind::Graphic: return ftGraphic;
    case TVelaFieldKind::Unknown: return ftUnknown;
  }
  return ftUnknown;
}

// Zero is a value for these types; for the others all-zero bytes mean null.
bool ZeroIsAValue(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftTime:
    case ftAutoInc: return true;
    default: return false;
  }
}

bool AllZero(const uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

}  // namespace

TVelaDataset::TVelaDataset(TComponent* owner) : TDataSet(owner) {}

TVelaDataset::~TVelaDataset() {
  Destroying();
  try {
    Close();
  } catch (...) {
    // A dataset going away cannot refuse to close.
  }
  if (database_) database_->DatasetClosed(this);
  FreeKeyBuffers();
}

// ---- Store ----------------------------------------------------------------

void TVelaDataset::SetStore(TVelaCursor* store, bool owned) {
  if (owned) ownedStore_.reset(store);
  else ownedStore_.reset();
  store_ = store;
}

void TVelaDataset::ReleaseStore() {
  ForgetSearchBase();
  visible_.clear();
  ownedStore_.reset();
  store_ = nullptr;
}

void TVelaDataset::LoadFromStream(TStream& stream, bool keepStream) {
  if (!keepStream) stream.SetPosition(0);
  LoadStore([&](std::string& error) { return store_->LoadFromStream(stream, error); });
}

TFileIdentity TVelaDataset::LoadFromFile(const std::string& path) {
  TFileIdentity identity;
  LoadStore([&](std::string& error) { return store_->LoadFromFile(path, error, false, &identity); });
  return identity;
}

void TVelaDataset::LoadStore(const std::function<bool(std::string& error)>& load) {
  if (store_) {
    store_->Clear(true);
  } else {
    auto* store = new TVelaCursor();
    SetStore(store, true);
    store->OnReleaseUserData = [this](void* data) { OnDestroyRecordData(this, data); };
    if (OnCallback) store->OnProgress = [this](int percent) { OnCallback(this, percent); };
  }
  store_->SetPassword(password_);
  store_->SetPartialOpen(partialOpen_);
  ForgetSearchBase();
  visible_.clear();

  std::string error;
  bool ok;
  {
    ScopeFail release([this] {
      current_ = -1;
      ReleaseStore();
    });
    ok = load(error);
  }
  if (!ok) {
    current_ = -1;
    ReleaseStore();
    DatabaseError("Error opening table: " + error, this);
  }
  if (!error.empty()) ShowMessage(error);
}

TFileIdentity TVelaDataset::SaveToFile(const std::string& path) {
  if (!store_) return {};
  return store_->SaveToFile(path, saveOptions_, sortOptions_.Contains(vsoCaseInsensitive), indexFieldNames_);
}

// ---- Record buffers ----------------------------------------------------------

int TVelaDataset::GetRecordSize() const { return store_ ? static_cast<int>(store_->RecordDataSize()) : 0; }

int TVelaDataset::RecBufSize() const { return GetRecordSize() + CalcFieldsSize() + sizeof(BookmarkInfo); }

TVelaDataset::BookmarkInfo* TVelaDataset::Info(TRecordBuffer buffer) const {
  // Record sizes are arbitrary, so the information is copied in and out
  // rather than read in place (it need not be aligned).
  return reinterpret_cast<BookmarkInfo*>(buffer + GetRecordSize() + CalcFieldsSize());
}

TRecordBuffer TVelaDataset::AllocRecordBuffer() { return TDataSet::AllocRecordBuffer(); }

void TVelaDataset::FreeRecordBuffer(TRecordBuffer& buffer) {
  if (buffer && store_) store_->ReleaseRecordData(reinterpret_cast<uint8_t*>(buffer));
  TDataSet::FreeRecordBuffer(buffer);
}

void TVelaDataset::InternalInitRecord(TRecordBuffer buffer) {
  if (store_) store_->ReleaseRecordData(reinterpret_cast<uint8_t*>(buffer));
  std::memset(buffer, 0, static_cast<std::size_t>(RecBufSize()));
  StoreUnaligned(Info(buffer), BookmarkInfo{nullptr, static_cast<uint8_t>(bfInserted), -1});
}

void TVelaDataset::ClearCalcFields(TRecordBuffer buffer) {
  std::memset(buffer + GetRecordSize(), 0, static_cast<std::size_t>(CalcFieldsSize()));
}

TGetResult TVelaDataset::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  const int count = static_cast<int>(visible_.size());
  if (count == 0) return grEOF;
  switch (mode) {
    case gmCurrent:
      if (current_ < 0 || current_ >= count) {
        if (doCheck) DatabaseError("Number of records is equal to 0", this);
        return grError;
      }
      break;
    case gmNext:
      if (current_ >= count - 1) return grEOF;
      ++current_;
      break;
    case gmPrior:
      if (current_ <= 0) return grBOF;
      --current_;
      break;
  }
  TVelaRecord* record = visible_[static_cast<std::size_t>(current_)];
  store_->CopyRecordData(record->Data, reinterpret_cast<uint8_t*>(buffer));
  StoreUnaligned(Info(buffer), BookmarkInfo{record, static_cast<uint8_t>(bfCurrent), current_ + 1});
  GetCalcFields(buffer);
  return grOK;
}

// ---- Position and bookmarks ----------------------------------------------------

void TVelaDataset::InternalFirst() { current_ = -1; }

void TVelaDataset::InternalLast() { current_ = static_cast<int>(visible_.size()); }

int TVelaDataset::GetRecordCount() const { return static_cast<int>(visible_.size()); }

int TVelaDataset::GetRecNo() const {
  if (State() == dsInternalCalc) return -1;
  TRecordBuffer buffer = State() == dsCalcFields ? CalcBuffer() : ActiveBuffer();
  if (!buffer || !store_) return -1;
  return LoadUnaligned<BookmarkInfo>(Info(buffer)).RecNo;
}

void TVelaDataset::SetRecNo(int value) {
  CheckBrowseMode();
  if (value == RecNo()) return;
  const int count = static_cast<int>(visible_.size());
  if (count == 0) return;
  value = std::clamp(value, 1, count);
  DoBeforeScroll();
  current_ = value - 1;
  Resync({rmCenter});
  DoAfterScroll();
}

void TVelaDataset::GetBookmarkData(TRecordBuffer buffer, void* data) const {
  StoreUnaligned(data, LoadUnaligned<BookmarkInfo>(Info(buffer)).Record);
}

void TVelaDataset::SetBookmarkData(TRecordBuffer buffer, const void* data) {
  BookmarkInfo info = LoadUnaligned<BookmarkInfo>(Info(buffer));
  info.Record = LoadUnaligned<TVelaRecord*>(data);
  StoreUnaligned(Info(buffer), info);
}

TBookmarkFlag TVelaDataset::GetBookmarkFlag(TRecordBuffer buffer) const {
  return static_cast<TBookmarkFlag>(LoadUnaligned<BookmarkInfo>(Info(buffer)).Flag);
}

void TVelaDataset::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  BookmarkInfo info = LoadUnaligned<BookmarkInfo>(Info(buffer));
  info.Flag = static_cast<uint8_t>(flag);
  StoreUnaligned(Info(buffer), info);
}

void TVelaDataset::InternalGotoBookmark(const void* bookmark) {
  TVelaRecord* record = LoadUnaligned<TVelaRecord*>(bookmark);
  auto at = std::find(visible_.begin(), visible_.end(), record);
  if (at != visible_.end()) current_ = static_cast<int>(at - visible_.begin());
}

void TVelaDataset::InternalSetToRecord(TRecordBuffer buffer) {
  TVelaRecord* record = LoadUnaligned<BookmarkInfo>(Info(buffer)).Record;
  InternalGotoBookmark(&record);
}

bool TVelaDataset::BookmarkValid(const TBookmark& bookmark) {
  if (bookmark.size() < sizeof(TVelaRecord*)) return false;
  TVelaRecord* record = LoadUnaligned<TVelaRecord*>(bookmark.data());
  return std::find(visible_.begin(), visible_.end(), record) != visible_.end();
}

int TVelaDataset::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return (a.empty() ? 0 : 1) - (b.empty() ? 0 : 1);
  TVelaRecord* ra = LoadUnaligned<TVelaRecord*>(a.data());
  TVelaRecord* rb = LoadUnaligned<TVelaRecord*>(b.data());
  // By identity: a fixed order, not the visible one.
  return ra == rb ? 0 : (std::less<TVelaRecord*>()(ra, rb) ? -1 : 1);
}

TVelaRecord* TVelaDataset::ActiveStoreRecord() const {
  TRecordBuffer buffer = ActiveBuffer();
  return buffer && store_ ? LoadUnaligned<BookmarkInfo>(Info(buffer)).Record : nullptr;
}

TUpdateStatus TVelaDataset::UpdateStatus() const {
  if (State() == dsInternalCalc) return usUnmodified;
  TVelaRecord* record = ActiveStoreRecord();
  if (!record) return usUnmodified;
  switch (record->Status) {
    case rsModified: return usModified;
    case rsInserted: return usInserted;
    case rsDeleted: return usDeleted;
    default: return usUnmodified;
  }
}

// ---- Field data -------------------------------------------------------------------

const TVelaField* TVelaDataset::Descriptor(const TField* field) const {
  return store_ ? store_->FieldByIndex(field->FieldNo() - 1) : nullptr;
}

const uint8_t* TVelaDataset::SourceData() const {
  switch (State()) {
    case dsBrowse:
      return visible_.empty() ? nullptr : reinterpret_cast<const uint8_t*>(ActiveBuffer());
    case dsEdit:
    case dsInsert:
    case dsNewValue: return reinterpret_cast<const uint8_t*>(ActiveBuffer());
    case dsSetKey: return keyBuffer_ ? keyBuffer_->Data.get() : nullptr;
    case dsCalcFields: return reinterpret_cast<const uint8_t*>(CalcBuffer());
    case dsFilter: return filterRecord_ ? filterRecord_->Data : nullptr;
    case dsOldValue: {
      TVelaRecord* record = ActiveStoreRecord();
      if (record && record->OldData) return record->OldData;
      return reinterpret_cast<const uint8_t*>(ActiveBuffer());
    }
    default: return nullptr;
  }
}

bool TVelaDataset::GetFieldData(TField* field, void* buffer) {
  const uint8_t* source = SourceData();
  if (!source || !store_) return false;
  const std::size_t size = static_cast<std::size_t>(field->DataSize());
  if (buffer) std::memset(buffer, 0, size);
  if (field->FieldNo() <= 0) {
    // Calculated and lookup fields live in whole record buffers only.
    if (State() == dsFilter || State() == dsSetKey) return false;
    return GetCalcFieldData(reinterpret_cast<TRecordBuffer>(const_cast<uint8_t*>(source)), field, buffer);
  }
  if (visible_.empty() && State() != dsInsert && State() != dsFilter) return false;
  const TVelaField* f = Descriptor(field);
  if (!f) return false;
  if (IsBlobType(field->DataType())) return data_area::BlobRef(source, *f) && data_area::BlobLength(source, *f) > 0;
  if (f->Kind == TVelaFieldKind::String) {
    std::string_view text = data_area::Text(source, *f);
    if (data_area::TextRef(source, *f) == nullptr) return false;
    if (buffer && size > 0) std::memcpy(buffer, text.data(), std::min(text.size(), size - 1));
    return true;
  }
  const std::size_t n = std::min<std::size_t>(size, f->DataSize);
  const uint8_t* value = source + f->Offset;
  if (!ZeroIsAValue(field->DataType()) && AllZero(value, n)) return false;
  if (buffer) std::memcpy(buffer, value, n);
  return true;
}

uint8_t* TVelaDataset::TargetData() { return const_cast<uint8_t*>(SourceData()); }

void TVelaDataset::SetFieldData(TField* field, const void* buffer) {
  const TDataSetState state = State();
  if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields && state != dsFilter &&
      state != dsNewValue && state != dsInternalCalc)
    DatabaseError("Table is not in edit or insert mode", this);
  uint8_t* target = TargetData();
  if (!target || !store_) return;
  if (field->FieldNo() <= 0) {
    SetCalcFieldData(reinterpret_cast<TRecordBuffer>(target), field, buffer);
    return;
  }
  if (state == dsCalcFields) DatabaseError("Cannot edit CalcFields", this);
  const bool keyOrFilter = state == dsSetKey || state == dsFilter;
  if (field->ReadOnly() && !keyOrFilter)
    DatabaseErrorFmt(this, "Field '%s' is read only!", field->DisplayName().c_str());
  // The store hands out autoincrement values when the record is posted.
  if (field->DataType() == ftAutoInc && !keyOrFilter) return;
  field->Validate(buffer);
  const TVelaField* f = Descriptor(field);
  if (!f) return;
  if (f->Kind == TVelaFieldKind::String) {
    const char* text = static_cast<const char*>(buffer);
    data_area::SetText(target, *f, text ? std::string_view(text, strnlen(text, field->DataSize())) : std::string_view());
  } else if (IsBlobKind(f->Kind)) {
    // Blocks are written through BLOB streams; clearing the field drops its block.
    if (!buffer) data_area::ClearField(target, *f);
  } else {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(field->DataSize()), f->DataSize);
    if (buffer) std::memcpy(target + f->Offset, buffer, n);
    else std::memset(target + f->Offset, 0, f->DataSize);
  }
  if (!keyOrFilter && state != dsCalcFields) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

// ---- Opening and closing --------------------------------------------------------

void TVelaDataset::InternalInitFieldDefs() {
  FieldDefs().Clear();
  if (!store_) return;
  for (int i = 0; i < store_->FieldCount(); ++i) {
    const TVelaField* f = store_->FieldByIndex(i);
    const bool text = f->Kind == TVelaFieldKind::SmallStr || f->Kind == TVelaFieldKind::String;
    FieldDefs().Add(f->Name, FieldTypeOfKind(f->Kind), text ? f->Size : 0, false);
  }
  FieldDefs().SetUpdated(true);
}

void TVelaDataset::ApplyOrigin() {
  for (TField* field : Fields()) field->SetOrigin(originText_);
}

void TVelaDataset::InternalOpen() {
  current_ = -1;
  opened_ = false;
  // Changes of an earlier opening went with its records.
  changeCount_ = 0;
  LoadTable();
  InternalInitFieldDefs();
  SetBookmarkSize(sizeof(TVelaRecord*));
  if (DefaultFields()) {
    CreateFields();
    ApplyOrigin();
  }
  BindFields(true);
  CreateKeyBuffers();
  PrepareIndexKey();
  for (TField* field : Fields())
    if (field->DataType() == ftFloat && field->DisplayFormat().empty()) field->SetDisplayFormat("0.######");
  ApplyMasterRange();
  if (store_ && store_->RecordCount() > 0) {
    RebuildVisible(false);
    current_ = -1;
  }
  opened_ = true;
  if (database_) database_->DatasetOpened(this);
}

void TVelaDataset::DoBeforeClose() {
  if (!clones_.empty()) DatabaseError(kClonesOpenOnClose, this);
  TDataSet::DoBeforeClose();
}

void TVelaDataset::InternalClose() {
  if (!clones_.empty()) DatabaseError(kClonesOpenOnClose, this);
  DetachBlobStreams();
  FreeKeyBuffers();
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  current_ = -1;
  ForgetSearchBase();
  visible_.clear();
  opened_ = false;
  if (database_) database_->DatasetClosed(this);
}

// ---- Keys ---------------------------------------------------------------------

void TVelaDataset::CreateKeyBuffers() {
  FreeKeyBuffers();
  for (TVelaKeyBuffer& kb : keyBuffers_) kb.Data.reset(store_ ? store_->AllocRecordData() : nullptr);
}

void TVelaDataset::FreeKeyBuffers() {
  for (TVelaKeyBuffer& kb : keyBuffers_) {
    if (kb.Data && store_) store_->ReleaseRecordData(kb.Data.get());
    kb = TVelaKeyBuffer{};  // frees the area
  }
  keyBuffer_ = nullptr;
}

void TVelaDataset::PrepareIndexKey() {
  // The list is in the order of the key being replaced until a rebuild
  // sorts it; a failed list or rebuild must not leave a binary search on it.
  sorted_ = false;
  TVelaKeyBuffer& kb = keyBuffers_[kbIndex];
  kb.Descriptors.clear();
  kb.FieldObjects.clear();
  kb.KeyCount = 0;
  if (!store_ || indexFieldNames_.empty()) return;
  GetFieldList(kb.FieldObjects, indexFieldNames_);
  kb.Descriptors = store_->ResolveFieldList(indexFieldNames_);
  if (kb.Descriptors.size() != kb.FieldObjects.size()) {
    kb.Descriptors.clear();
    kb.FieldObjects.clear();
    DatabaseError("There are calc or BLOB fields in list of key fields", this);
  }
  // A text field sorts shorter-first exactly when its field is right-aligned.
  for (std::size_t i = 0; i < kb.Descriptors.size(); ++i)
    store_->SetFieldRightAligned(kb.Descriptors[i], kb.FieldObjects[i]->Alignment() == taRightJustify);
  kb.KeyCount = static_cast<int>(kb.Descriptors.size());
  // An empty list is in every order: records inserted into it keep to the index.
  if (visible_.empty()) sorted_ = kb.KeyCount > 0;
}

// ---- The visible list ----------------------------------------------------------

void TVelaDataset::RebuildVisible(bool startAtFirst) { RebuildVisible(startAtFirst, false); }

void TVelaDataset::RebuildVisibleAfterCommit() { RebuildVisible(false, true); }

void TVelaDataset::RebuildVisible(bool startAtFirst, bool afterCommit) {
  if (!store_) return;
  // Before anything changes: an unknown field leaves the list as it was.
  if (Filtered()) ResolveConditions();
  if (!wordSearch_.Empty()) wordSearch_.Resolve(*store_, searchFields_, this);
  TVelaRecord* remembered = BeginListChange();
  // A filter that fails part-way (incomparable fields, a raising handler)
  // must not leave a half-built list behind.
  TVelaRecordList previous;
  previous.swap(visible_);
  {
    ScopeFail restorePrevious([&] {
      visible_.swap(previous);
      // The store may have dropped records since that list was made (a
      // cancel of every change purges new records).
      std::erase_if(visible_, [](const TVelaRecord* record) { return !record->Live(); });
      if (opened_) EnableControls();
    });
    const bool filtering = Filtered() && (OnFilterRecord || recordFilter_.HasConditions());
    const bool inOrder = sorted_ || keyBuffers_[kbIndex].Descriptors.empty();
    // A list narrowed by words is not the whole list to keep.
    const bool keep = afterCommit && inOrder && !filtering && !rangeActive_ && wordSearch_.Empty();
    if (!(keep && KeepLiveRecords(previous))) FillFromStore(filtering);
    NarrowVisibleByWords();
    if (startAtFirst) remembered = nullptr;
  }
  EndListChange(remembered);
}

TVelaRecord* TVelaDataset::BeginListChange() {
  if (!opened_) return nullptr;
  CheckBrowseMode();
  TVelaRecord* remembered = visible_.empty() ? nullptr : ActiveStoreRecord();
  DisableControls();
  DoBeforeScroll();
  return remembered;
}

void TVelaDataset::EndListChange(TVelaRecord* remembered) {
  current_ = -1;
  if (!opened_) return;
  CursorPosChanged();
  if (remembered) {
    auto at = std::find(visible_.begin(), visible_.end(), remembered);
    if (at != visible_.end()) current_ = static_cast<int>(at - visible_.begin());
  }
  Resync({});
  DoAfterScroll();
  EnableControls();
}

void TVelaDataset::FillFromStore(bool filtering) {
  visible_.clear();
  visible_.reserve(static_cast<std::size_t>(store_->RecordCount()));
  TestRecordsInFilterState([&] {
    for (TVelaRecord* record : store_->Records()) {
      if (!record->Live()) continue;
      if (rangeActive_ && !InRangeKeys(record)) continue;
      if (filtering && !PassesFilter(record)) continue;
      visible_.push_back(record);
    }
  });
  const TVelaKeyBuffer& kb = keyBuffers_[kbIndex];
  sorted_ = !kb.Descriptors.empty();
  if (sorted_)
    store_->SortRecords(visible_, kb.Descriptors, sortOptions_.Contains(vsoCaseInsensitive),
                        sortOptions_.Contains(vsoDescendSort));
}

bool TVelaDataset::KeepLiveRecords(TVelaRecordList& previous) {
  // Sorting a million records again would cost more than the whole save.
  // The old list (in index order) less its gone records is the new one when
  // it held every live record of the store (a list made before another
  // dataset on the same store added one does not).
  std::size_t live = 0;
  for (const TVelaRecord* record : store_->Records()) live += record->Live();
  std::erase_if(previous, [](const TVelaRecord* record) { return !record->Live(); });
  if (previous.size() != live) return false;
  visible_.swap(previous);
  return true;
}

void TVelaDataset::SetFiltered(bool value) {
  if (!Active()) {
    StoreFiltered(value);
    return;
  }
  CheckBrowseMode();
  StoreFiltered(value);
  RebuildVisible(false);
  First();
}

void TVelaDataset::SetFilterOptions(TFilterOptions options) {
  const bool changed = options != FilterOptions();
  TDataSet::SetFilterOptions(options);
  if (!changed || !Active() || !Filtered()) return;
  CheckBrowseMode();
  RebuildVisible(false);
  First();
}

void TVelaDataset::SetIndexFieldNames(const std::string& names) {
  if (names == indexFieldNames_) return;
  indexFieldNames_ = names;
  if (Active()) {
    PrepareIndexKey();
    RebuildVisible(false);
  }
}

void TVelaDataset::SetSortOptions(TVelaSortOptions options) {
  sortOptions_ = options;
  if (Active()) {
    // Not in the new order until the rebuild succeeds.
    sorted_ = false;
    RebuildVisible(false);
  }
}

void TVelaDataset::SetReadOnly(bool value) {
  if (Active()) CheckBrowseMode();
  readOnly_ = value;
}

void TVelaDataset::SetDatabase(TVelaDatabase* database) {
  if (database == database_) return;
  Close();
  if (database_) database_->DatasetClosed(this);
  database_ = database;
}

bool TVelaDataset::GetCanModify() const { return !readOnly_; }

// A read-only table refuses edits and inserts with its own messages, raised
// by DoBeforeEdit and DoBeforeInsert.
void TVelaDataset::CheckCanModify() const {
  if (!readOnly_) TDataSet::CheckCanModify();
}

// ---- Editing -------------------------------------------------------------------

void TVelaDataset::TellDatabase(bool changed) {
  if (!database_) return;
  if (changed) database_->DatasetChanged(this);
  else database_->DatasetSaved(this);
}

void TVelaDataset::CountChange() {
  if (++changeCount_ == 1) OnNeedToSaveChange(this);
  TellDatabase(true);
}

void TVelaDataset::DoBeforeEdit() {
  if (readOnly_) DatabaseError("Read-only record cannot be changed", this);
  TDataSet::DoBeforeEdit();
  // A record deleted meanwhile cannot be edited; nothing to say about it.
  if (!store_ || !store_->KeepOldData(ActiveStoreRecord())) Abort();
  CountChange();
}

void TVelaDataset::DoBeforeInsert() {
  if (readOnly_) DatabaseError("You have read only access, you can not add records!", this);
  TDataSet::DoBeforeInsert();
  CountChange();
}

void TVelaDataset::DoBeforeDelete() {
  if (readOnly_) DatabaseError("Read-only record cannot be deleted", this);
  TDataSet::DoBeforeDelete();
}

void TVelaDataset::ApplyDefaults() {
  for (TField* field : Fields()) {
    if (field->FieldKind() != fkData) continue;
    const TVelaField* f = Descriptor(field);
    std::string value = field->DefaultExpression();
    if (value.empty() && f) value = f->DefaultValue;
    if (value.empty()) continue;
    const TFieldType type = field->DataType();
    if (value == "TODAY" && type == ftDate)
      field->SetAsDateTime(notarra::Date());
    else if (value == "NOW" && (type == ftDateTime || type == ftDate || type == ftTime))
      field->SetAsDateTime(Now());
    else if (value == "UNICOD" && type == ftString)
      field->SetAsString(NewUniqueCode());
    else
      field->SetText(value);
  }
}

void TVelaDataset::DoOnNewRecord() {
  ApplyDefaults();
  ApplyMasterValues();
  TDataSet::DoOnNewRecord();
}

void TVelaDataset::InternalPost() {
  uint8_t* data = reinterpret_cast<uint8_t*>(ActiveBuffer());
  std::string error;
  const bool checkKeys = checkKeyViolation_ && !uniqueFieldNames_.empty();
  if (State() == dsEdit) {
    TVelaRecord* record = ActiveStoreRecord();
    if (checkKeys && store_->KeyExists(data, record, uniqueFieldNames_))
      DatabaseError("Error saving record: Key violation", this);
    if (!store_->WriteRecord(data, record, error)) DatabaseError("Error saving record: " + error, this);
    // A changed key can leave the record out of order, and a binary search
    // must then not rely on the order.
    CheckStillSorted(record);
    EndBlobStreamEdits();
    Posted(TVelaJournalKind::Edit, record);
    return;
  }
  if (checkKeys && store_->KeyExists(data, nullptr, uniqueFieldNames_))
    DatabaseError("Error saving new record: Key violation", this);
  TVelaRecord* created = nullptr;
  if (!store_->WriteRecord(data, nullptr, error, &created)) DatabaseError("Error saving new record: " + error, this);
  visible_.push_back(created);
  current_ = static_cast<int>(visible_.size()) - 1;
  if (!indexFieldNames_.empty() && sorted_ && sortOptions_.Contains(vsoInsertInOrder)) {
    int at = store_->FindInsertPosition(visible_, keyBuffers_[kbIndex].Descriptors,
                                        sortOptions_.Contains(vsoDescendSort));
    if (at >= 0) {
      visible_.pop_back();
      visible_.insert(visible_.begin() + at, created);
      current_ = at;
    }
  }
  if (sorted_ && !InIndexOrderAt(current_)) sorted_ = false;
  StoreUnaligned(Info(ActiveBuffer()), BookmarkInfo{created, static_cast<uint8_t>(bfCurrent), current_ + 1});
  EndBlobStreamEdits();
  Posted(TVelaJournalKind::Insert, created);
}

void TVelaDataset::InternalAddRecord(TRecordBuffer buffer, bool append) {
  if (append) InternalLast();
  std::string error;
  uint8_t* data = reinterpret_cast<uint8_t*>(buffer);
  if (checkKeyViolation_ && !uniqueFieldNames_.empty() && store_->KeyExists(data, nullptr, uniqueFieldNames_))
    DatabaseError("Error saving new record: Key violation", this);
  TVelaRecord* created = nullptr;
  if (!store_->WriteRecord(data, nullptr, error, &created)) DatabaseError("Error saving new record: " + error, this);
  visible_.push_back(created);
  current_ = static_cast<int>(visible_.size()) - 1;
  if (sorted_ && !InIndexOrderAt(current_)) sorted_ = false;
  StoreUnaligned(Info(buffer), BookmarkInfo{created, static_cast<uint8_t>(bfCurrent), current_ + 1});
  Posted(TVelaJournalKind::Insert, created);
}

void TVelaDataset::InternalDelete() {
  TVelaRecord* record = ActiveStoreRecord();
  std::string error;
  if (!store_->DeleteRecord(record, error)) DatabaseError("Error deleting record: " + error, this);
  auto at = std::find(visible_.begin(), visible_.end(), record);
  if (at != visible_.end()) visible_.erase(at);
  CountChange();
  Posted(TVelaJournalKind::Delete, record);
}

void TVelaDataset::InternalCancel() {
  EndBlobStreamEdits();
  // Only the edit in progress goes: what was posted before it stays.
  if (State() == dsEdit && store_) store_->CancelEdit(ActiveStoreRecord());
  if (changeCount_ > 0 && --changeCount_ == 0) {
    OnNeedToSaveChange(this);
    TellDatabase(false);
  }
}

void TVelaDataset::SaveChanges() {
  if (IsEditMode(State())) Post();
  WriteTable();
}

void TVelaDataset::CancelChanges() {
  if (!Active() || !ChangesPending()) return;
  if (IsEditMode(State())) Cancel();
  store_->CancelChanges();
  RebuildVisible(false);
  changeCount_ = 0;
  TellDatabase(false);
  OnNeedToSaveChange(this);
}

void TVelaDataset::CommitChanges() {
  if (!Active() || !ChangesPending()) return;
  store_->CommitChanges();
  RebuildVisibleAfterCommit();
  changeCount_ = 0;
  TellDatabase(false);
  OnNeedToSaveChange(this);
}

}  // namespace notarra
