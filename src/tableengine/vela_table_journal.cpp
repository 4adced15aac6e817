// The recovery journal of a table read from its file: writing posted
// changes, and finding, replaying or dropping a journal an earlier run left.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "platform/exceptions.h"
#include "platform/scope_guard.h"
#include "tableengine/vela_table.h"

namespace notarra {

namespace {

int64_t NowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

void TVelaTable::SetJournaled(bool value) {
  if (value == journaled_) return;
  CheckInactive();
  journaled_ = value;
}

TVelaJournalStamp TVelaTable::CurrentStamp() const {
  TVelaJournalStamp stamp;
  stamp.FieldsCrc = Store() ? Store()->LayoutChecksum() : 0;
  stamp.TableSize = fileIdentity_.Size;
  stamp.TableSeconds = fileIdentity_.ModifiedSeconds;
  stamp.TableNanoseconds = fileIdentity_.ModifiedNanoseconds;
  return stamp;
}

void TVelaTable::BeginJournal() {
  leftJournal_.reset();
  if (!journaled_ || loadMode_ != lmFile) return;
  journal_.Begin(JournalPath(), CurrentStamp());
  // Costs one look at the folder when there is nothing left behind.
  if (FileExists(journal_.Path())) leftJournal_ = std::make_unique<TVelaJournalContents>(ReadJournal(journal_.Path()));
}

std::string TVelaTable::LeftJournalProblem() const {
  if (!leftJournal_) return {};
  if (!leftJournal_->Problem.empty()) return leftJournal_->Problem;
  if (leftJournal_->Stamp != CurrentStamp()) return "the table file was changed after the journal was written";
  return {};
}

void TVelaTable::RestoreJournal() {
  if (!leftJournal_) return;
  const std::string problem = LeftJournalProblem();
  if (!problem.empty()) DatabaseErrorFmt(this, "The journal %s cannot be restored: %s", JournalPath().c_str(),
                                         problem.c_str());
  CheckBrowseMode();
  {
    // All or nothing: a journal that does not fit its table leaves no change behind.
    ScopeFail undo([this] { CancelChanges(); });
    ApplyJournalEntries(leftJournal_->Entries);
    journal_.Adopt();
  }
  leftJournal_.reset();
  RebuildVisible(false);
}

void TVelaTable::ApplyJournalEntries(const std::vector<TVelaJournalEntry>& entries) {
  TVelaCursor& store = *Store();
  std::unordered_map<uint32_t, TVelaRecord*> byOrdinal;
  byOrdinal.reserve(store.Records().size());
  for (TVelaRecord* r : store.Records())
    if (r->Live()) byOrdinal.emplace(r->Ordinal, r);
  uint8_t* data = store.AllocRecordData();
  ScopeExit freeData([&] { store.FreeRecordData(data); });
  std::string error;
  int number = 0;
  auto fail = [&](const std::string& why) {
    DatabaseErrorFmt(this, "The journal %s does not fit the table (change %d): %s", JournalPath().c_str(), number,
                     why.c_str());
  };
  for (const TVelaJournalEntry& e : entries) {
    ++number;
    store.ReleaseRecordData(data);
    std::memset(data, 0, store.RecordDataSize());
    if (e.Kind != TVelaJournalKind::Delete && !store.DecodeRecord(e.Record, data, error)) fail(error);
    if (e.Kind == TVelaJournalKind::Insert) {
      if (e.Ordinal != store.NextOrdinal()) fail("the new record's place is not the next one");
      byOrdinal[e.Ordinal] = store.AppendRecord(data, rsInserted);
    } else {
      auto found = byOrdinal.find(e.Ordinal);
      if (found == byOrdinal.end()) fail("no such record");
      TVelaRecord* record = found->second;
      if (e.Kind == TVelaJournalKind::Edit) {
        if (!store.KeepOldData(record) || !store.WriteRecord(data, record, error)) fail(error);
      } else {
        if (!store.DeleteRecord(record, error)) fail(error);
        byOrdinal.erase(found);
      }
    }
    CountChange();
  }
}

void TVelaTable::DiscardJournal() {
  if (!leftJournal_) return;
  leftJournal_.reset();
  if (std::remove(JournalPath().c_str()) != 0 && FileExists(JournalPath()))
    throw EInOutError(Format("Cannot delete file %s: %s", JournalPath().c_str(), std::strerror(errno)));
}

std::string TVelaTable::KeepJournalAside() {
  if (!leftJournal_) return {};
  leftJournal_.reset();
  return SetJournalAside(JournalPath());
}

void TVelaTable::RecordPosted(TVelaJournalKind kind, const TVelaRecord* record) {
  if (!journaled_ || loadMode_ != lmFile || !Store()) return;
  TVelaJournalEntry entry;
  entry.Kind = kind;
  entry.Ordinal = record->Ordinal;
  entry.Time = NowMilliseconds();
  if (kind != TVelaJournalKind::Delete) entry.Record = Store()->EncodeRecord(record->Data);
  try {
    journal_.Append(entry);
  } catch (const Exception& e) {
    // The change itself is made; it is only no longer safe from a crash.
    if (OnJournalError) OnJournalError(this, e.Message());
  }
}

}  // namespace notarra
