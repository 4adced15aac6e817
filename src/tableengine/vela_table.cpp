#include "tableengine/vela_table.h"

#include <algorithm>

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/unaligned.h"
#include "tableengine/session.h"
#include "tableengine/table_file_format.h"
#include "tableengine/vela_database.h"

namespace notarra {

namespace {

bool KindOfFieldType(TFieldType type, int size, TVelaFieldKind& kind) {
  switch (type) {
    case ftString: kind = TextKindForSize(size); return true;
    case ftSmallint:
    case ftWord: kind = TVelaFieldKind::SmallInt; return true;
    case ftInteger: kind = TVelaFieldKind::Integer; return true;
    case ftLargeint: kind = TVelaFieldKind::Int64; return true;
    case ftBoolean: kind = TVelaFieldKind::Boolean; return true;
    case ftFloat: kind = TVelaFieldKind::Double; return true;
    case ftCurrency: kind = TVelaFieldKind::Currency; return true;
    case ftDate: kind = TVelaFieldKind::Date; return true;
    case ftTime: kind = TVelaFieldKind::Time; return true;
    case ftDateTime: kind = TVelaFieldKind::DateTime; return true;
    case ftAutoInc: kind = TVelaFieldKind::AutoInc; return true;
    case ftBlob: kind = TVelaFieldKind::BLOB; return true;
    case ftMemo: kind = TVelaFieldKind::Memo; return true;
    case ftFmtMemo: kind = TVelaFieldKind::FmtMemo; return true;
    case ftGraphic: kind = TVelaFieldKind::Graphic; return true;
    default: return false;
  }
}

bool HasDirectory(const std::string& name) { return name.find_first_of("/\\") != std::string::npos; }

std::string FileNameOf(const std::string& name) {
  std::size_t at = name.find_last_of("/\\");
  return at == std::string::npos ? name : name.substr(at + 1);
}

}  // namespace

TVelaTable::TVelaTable(TComponent* owner) : TVelaDataset(owner) {}

TVelaTable::~TVelaTable() {
  Destroying();
  // Open clones share this table's store: they close while it still exists
  // (closing takes each one off the list).
  for (TVelaDataset* clone : std::vector<TVelaDataset*>(clones_)) {
    try {
      clone->Close();
    } catch (...) {
      // A clone must not outlive the store it shares, whatever its close raised.
    }
  }
  try {
    Close();
  } catch (...) {
    // A table going away cannot refuse to close.
  }
}

std::string TVelaTable::TablePath() const {
  if (HasDirectory(tableName_) || !Database()) return tableName_;
  return Database()->DatabasePath() + tableName_;
}

bool TVelaTable::FileChangedOnDisk() const {
  if (loadMode_ == lmClone) {
    const auto* source = dynamic_cast<const TVelaTable*>(cloneDS_);
    return source != nullptr && source->FileChangedOnDisk();
  }
  if (loadMode_ != lmFile || !fileIdentity_.Exists) return false;
  const TFileIdentity now = FileIdentity(TablePath());
  return now.Exists && now != fileIdentity_;
}

void TVelaTable::SetTableName(const std::string& name) {
  if (name == tableName_) return;
  Close();
  tableName_ = name;
  loadMode_ = name.empty() ? lmClear : lmFile;
}

void TVelaTable::SetLoadMode(TVelaLoadMode mode) {
  if (mode == loadMode_) return;
  Close();
  loadMode_ = mode;
}

void TVelaTable::SetCloneDS(TVelaDataset* source) {
  if (cloneDS_) cloneDS_->RemoveFreeNotification(this);
  cloneDS_ = source;
  if (source) source->FreeNotification(this);
  SetLoadMode(source ? lmClone : lmClear);
}

void TVelaTable::SetDatabase(TVelaDatabase* database) {
  if (database == Database()) return;
  if (Database()) Database()->RemoveFreeNotification(this);
  TVelaDataset::SetDatabase(database);
  if (database) {
    database->FreeNotification(this);
    if (!database->DatabasePath().empty() && !tableName_.empty()) tableName_ = FileNameOf(tableName_);
  }
}

std::string TVelaTable::Password() {
  if (Active() && Store() && Store()->Password() != password_) password_ = Store()->Password();
  return password_;
}

void TVelaTable::SetPassword(const std::string& password) {
  if (!password.empty()) VelaSession().AddPassword(password);
  else VelaSession().RemovePassword(password_);
  password_ = password;
  if (Active() && Store()) {
    // The next write uses the new password (or none): that is a change to save.
    Store()->SetPassword(password);
    CountChange();
  }
}

// ---- Loading and writing -----------------------------------------------------

void TVelaTable::LoadFromFieldDefs() {
  if (FieldDefs().Count() == 0) DatabaseError("Error creating table (no field descriptions)", this);
  std::string section;
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    const TFieldDef* def = FieldDefs()[i];
    section += "XXX.";
    for (char c : def->Name()) section += c == ' ' ? '_' : c;
    section += ' ';
    TVelaFieldKind kind;
    // A type without a kind becomes a String of the default size.
    section += KindOfFieldType(def->DataType(), def->Size(), kind) ? KindTypeCode(kind, def->Size()) : "s";
    section += static_cast<char>(table_file::kEntryEnd);
  }
  section += static_cast<char>(table_file::kSectionEnd);
  TMemoryStream table;
  uint8_t header[table_file::kPlainHeader];
  StoreUnaligned<uint32_t>(header, static_cast<uint32_t>(section.size() + table_file::kPlainHeader));
  header[4] = table_file::kKindPlain;
  StoreUnaligned<uint32_t>(header + 5, 0);
  StoreUnaligned<uint32_t>(header + 9, static_cast<uint32_t>(FieldDefs().Count()));
  StoreUnaligned<uint32_t>(header + 13, static_cast<uint32_t>(section.size()));
  table.Write(header, sizeof header);
  table.Write(section.data(), section.size());
  LoadFromStream(table, false);
}

void TVelaTable::LoadTable() {
  switch (loadMode_) {
    case lmClear: LoadFromFieldDefs(); break;
    case lmFile: {
      const std::string path = TablePath();
      if (!FileExists(path)) DatabaseErrorFmt(this, "Error opening file %s", path.c_str());
      // The file as it was opened: a write by someone else while it was
      // being read shows as a change at the next save.
      fileIdentity_ = LoadFromFile(path);
      BeginJournal();
      break;
    }
    case lmClone: {
      if (!cloneDS_ || !cloneDS_->Active()) DatabaseError("Cloned table is not active!", this);
      cloneDS_->RegisterClone(this);
      registeredWith_ = cloneDS_;
      SetStore(cloneDS_->Store(), false);
      break;
    }
    case lmStream:
      if (!loadStream_) DatabaseError("Loading stream is not assigned", this);
      LoadFromStream(*loadStream_, true);
      break;
  }
}

void TVelaTable::WriteTable() {
  if (!ChangesPending()) return;
  std::string path;
  auto* sourceTable = dynamic_cast<TVelaTable*>(cloneDS_);
  if (loadMode_ == lmClone && sourceTable) path = sourceTable->TablePath();
  else if (loadMode_ == lmFile) path = TablePath();
  if (path.empty()) return;
  const TFileIdentity written = SaveToFile(path);
  if (loadMode_ == lmClone && sourceTable) sourceTable->fileIdentity_ = written;
  else fileIdentity_ = written;
  if (loadMode_ == lmFile) {
    // The records now stand in the file in store order; the journal starts
    // afresh over it.
    Store()->RenumberOrdinals();
    journal_.Remove();
    BeginJournal();
  }
  if (loadMode_ == lmClone && cloneDS_) cloneDS_->RebuildVisible(false);
}

void TVelaTable::FreeStore() {
  if (loadMode_ != lmClone) ReleaseStore();
}

void TVelaTable::CloneSourceSaved() {
  if (loadMode_ == lmClone && cloneDS_ && cloneDS_->Database()) cloneDS_->Database()->DatasetSaved(cloneDS_);
}

void TVelaTable::CancelChanges() {
  TVelaDataset::CancelChanges();
  journal_.Remove();
  CloneSourceSaved();
}

void TVelaTable::CommitChanges() {
  TVelaDataset::CommitChanges();
  CloneSourceSaved();
}

void TVelaTable::InternalClose() {
  TVelaDataset* source = registeredWith_;
  if (source) {
    source->UnregisterClone(this);
    registeredWith_ = nullptr;
  }
  TVelaDataset::InternalClose();
  // The shared store belongs to the source.
  if (source) SetStore(nullptr, false);
  // A closed table holds no file; the next open takes the file as it is then.
  fileIdentity_ = {};
  // What was posted and not saved stays in the journal for the next open.
  journal_.Close();
  leftJournal_.reset();
}

void TVelaTable::Notification(TComponent* component, TOperation operation) {
  TVelaDataset::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == cloneDS_) {
    try {
      Close();
    } catch (...) {
      // The source is going: this clone lets go of its store whatever closing raised.
    }
    cloneDS_ = nullptr;
    registeredWith_ = nullptr;
    loadMode_ = lmClear;
  }
  if (component == Database()) {
    try {
      Close();
    } catch (...) {
      // The database is going: nothing can keep it, so closing must not stop its removal.
    }
    TVelaDataset::SetDatabase(nullptr);
  }
}

}  // namespace notarra
