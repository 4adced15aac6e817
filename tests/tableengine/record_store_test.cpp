// The record store: descriptors, data areas, record statuses, commit and
// cancel, the autoincrement counter and the release hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/exceptions.h"
#include "table_bytes.h"

using namespace notarra;

using namespace tt;

namespace {

// The idea table's shape, trimmed to what the store tests need.
class RecordStore : public ::testing::Test {
protected:
  void SetUp() override {
    c.AddField("Flag", TVelaFieldKind::Boolean);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Notes", TVelaFieldKind::FmtMemo);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    c.OnReleaseUserData = [this](void* p) { released.push_back(p); };
  }

  TVelaRecord* Insert(std::string_view subject, std::string_view group = {}) {
    Area a(c);
    a.text("Subject", subject).text("Group", group);
    std::string error;
    TVelaRecord* created = nullptr;
    EXPECT_TRUE(c.WriteRecord(a, nullptr, error, &created)) << error;
    return created;
  }
  std::string Subject(const TVelaRecord* r) { return Str(c, r->Data, "Subject"); }
  int32_t Key(const TVelaRecord* r) { return Get<int32_t>(c, r->Data, "Key"); }

  TVelaCursor c;
  std::vector<void*> released;
};

// ---- Descriptors ----------------------------------------------------------

TEST_F(RecordStore, AddFieldLaysOutOffsetsWithoutGaps) {
  ASSERT_EQ(c.FieldCount(), 5);
  uint32_t offset = 0;
  for (int i = 0; i < c.FieldCount(); ++i) {
    const TVelaField* f = c.FieldByIndex(i);
    EXPECT_EQ(f->Offset, offset) << f->Name;
    EXPECT_EQ(f->Index, i);
    EXPECT_EQ(f->DataSize, KindDataSize(f->Kind, f->Size)) << f->Name;
    offset += f->DataSize;
  }
  EXPECT_EQ(c.RecordDataSize(), offset);
  EXPECT_EQ(c.FieldByIndex(2)->DataSize, 21);
  EXPECT_EQ(c.FieldByIndex(2)->Size, 20);
  EXPECT_EQ(c.FieldByIndex(0)->Qualifier, "XXX");
  EXPECT_EQ(c.AutoIncField(), c.FieldByIndex(4));
  EXPECT_TRUE(c.AutoIncField()->RightAligned);
}

TEST_F(RecordStore, FirstAutoIncIsTheAutoIncField) {
  TVelaCursor two;
  two.AddField("A", TVelaFieldKind::AutoInc);
  two.AddField("B", TVelaFieldKind::AutoInc);
  EXPECT_EQ(two.AutoIncField(), two.FieldByIndex(0));
}

TEST(FieldKinds, TextKindAndWidthBySize) {
  EXPECT_EQ(TextKindForSize(35), TVelaFieldKind::SmallStr);
  EXPECT_EQ(TextKindForSize(36), TVelaFieldKind::String);
  EXPECT_EQ(KindDataSize(TVelaFieldKind::SmallStr, 35), 36);
  EXPECT_EQ(KindTypeCode(TVelaFieldKind::SmallStr, 35), "Z");
  EXPECT_EQ(KindTypeCode(TVelaFieldKind::SmallStr, 1), "1");
  EXPECT_EQ(KindTypeCode(TVelaFieldKind::SmallStr, 10), "A");
  EXPECT_EQ(KindTypeCode(TVelaFieldKind::String, 36), "s36");
  EXPECT_EQ(KindTypeCode(TVelaFieldKind::FmtMemo, 0), "r");
  EXPECT_EQ(KindDataSize(TVelaFieldKind::String, 36), sizeof(char*));
  EXPECT_EQ(KindDataSize(TVelaFieldKind::Graphic, 0), sizeof(uint8_t*) + 4);
  EXPECT_EQ(KindDataSize(TVelaFieldKind::Int64, 0), 8);
  EXPECT_EQ(KindDataSize(TVelaFieldKind::Unknown, 0), 0);
  EXPECT_TRUE(IsBlobKind(TVelaFieldKind::Memo));
  EXPECT_FALSE(IsBlobKind(TVelaFieldKind::String));
  EXPECT_FALSE(KindRightAligned(TVelaFieldKind::SmallStr));
  EXPECT_TRUE(KindRightAligned(TVelaFieldKind::Currency));

  TVelaFieldKind k{};
  EXPECT_TRUE(KindFromName("SmallStr", k));
  EXPECT_EQ(k, TVelaFieldKind::SmallStr);
  EXPECT_STREQ(KindName(TVelaFieldKind::BLOB), "BLOB");
  EXPECT_FALSE(KindFromName("smallstr", k));
}

TEST_F(RecordStore, FindFieldIgnoresCase) {
  TVelaCursor g;
  g.AddField("SELECTED", TVelaFieldKind::Boolean);
  g.AddField("CATEGORY", TVelaFieldKind::SmallStr, 15);
  g.AddField("category", TVelaFieldKind::Integer);
  ASSERT_NE(g.FindField("category"), nullptr);
  EXPECT_EQ(g.FindField("category"), g.FieldByIndex(1));  // the first match wins
  EXPECT_EQ(g.FindField("Category"), g.FieldByIndex(1));
  EXPECT_EQ(g.FindField("CATEGOR"), nullptr);
  EXPECT_EQ(g.FindField(""), nullptr);
  // Accented letters by the code page; a cleared store forgets every name.
  g.AddField("Caf\xE9", TVelaFieldKind::Integer);
  EXPECT_EQ(g.FindField("CAF\xC9"), g.FieldByIndex(3));
  EXPECT_EQ(g.FindField("Cafe"), nullptr);
  g.Clear(true);
  EXPECT_EQ(g.FindField("SELECTED"), nullptr);
  g.AddField("Other", TVelaFieldKind::Integer);
  EXPECT_EQ(g.FindField("other"), g.FieldByIndex(0));
  EXPECT_EQ(g.FindField("category"), nullptr);
}

TEST_F(RecordStore, AddDescriptorKeepsKindSizeQualifierAndEntry) {
  TVelaCursor c;
  TVelaField f;
  f.Name = "Ten";
  f.Kind = TVelaFieldKind::String;
  f.Size = 10;
  f.Qualifier = "";
  EXPECT_EQ(c.AddDescriptor(f).Kind, TVelaFieldKind::String);
  EXPECT_EQ(c.FieldByIndex(0)->Qualifier, "");
  f.Name = "Wide";
  f.Kind = TVelaFieldKind::SmallStr;
  f.Size = 40;  // code "_"
  f.Qualifier = "XXX";
  EXPECT_EQ(c.AddDescriptor(f).Kind, TVelaFieldKind::SmallStr);
  EXPECT_EQ(c.FieldByIndex(1)->Size, 40);
  f.Name = "Three";
  f.Size = 3;
  f.Entry = "XXX.Three :";
  EXPECT_EQ(c.AddDescriptor(f).Entry, "XXX.Three :");
  // An entry that reads back as another field, a SmallStr size whose code is
  // another kind's, a qualifier with a dot: none of them would read back.
  f.Entry = "XXX.Other :";
  EXPECT_THROW(c.AddDescriptor(f), EDatabaseError);
  f.Entry.clear();
  f.Size = 43;  // "b"
  EXPECT_THROW(c.AddDescriptor(f), EDatabaseError);
  f.Size = 3;
  f.Qualifier = "A.B";
  EXPECT_THROW(c.AddDescriptor(f), EDatabaseError);
  EXPECT_EQ(c.FieldCount(), 3);
}

TEST_F(RecordStore, ResolveFieldListSkipsUnknownAndBlobKinds) {
  TVelaFieldList list = c.ResolveFieldList(" group ; nope;Notes;Key;Subject ");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->Name, "Group");
  EXPECT_EQ(list[1]->Name, "Key");
  EXPECT_EQ(list[2]->Name, "Subject");
  EXPECT_TRUE(c.ResolveFieldList("").empty());
  EXPECT_TRUE(c.ResolveFieldList("Notes").empty());
}

// ---- Data areas -----------------------------------------------------------

TEST_F(RecordStore, AllZeroAreaIsEmpty) {
  Area a(c);
  for (uint32_t i = 0; i < c.RecordDataSize(); ++i) EXPECT_EQ(a.data()[i], 0) << i;
  EXPECT_EQ(Str(c, a, "Subject"), "");
  EXPECT_EQ(Str(c, a, "Group"), "");
  EXPECT_EQ(Str(c, a, "Notes"), "");
  EXPECT_EQ(c.StoredSize(a), 5u);  // just the length bytes
}

TEST_F(RecordStore, CopyIsDeep) {
  Area src(c);
  src.text("Subject", "subject text").text("Group", "grp").blob("Notes", std::string("{\\rtf1\0x}", 9));
  src.set<int16_t>("Flag", -1).set<int32_t>("Key", 42);
  {
    Area copy(c);
    copy.text("Subject", "old text to be released").blob("Notes", "old block");
    c.CopyRecordData(src, copy);
    EXPECT_NE(data_area::TextRef(copy, copy.F("Subject")), data_area::TextRef(src, src.F("Subject")));
    EXPECT_NE(data_area::BlobRef(copy, copy.F("Notes")), data_area::BlobRef(src, src.F("Notes")));
    EXPECT_EQ(Str(c, copy, "Subject"), "subject text");
    EXPECT_EQ(Str(c, copy, "Notes"), std::string("{\\rtf1\0x}", 9));
    EXPECT_EQ(Get<int32_t>(c, copy, "Key"), 42);
    EXPECT_EQ(c.CompareRecords(src, copy, c.ResolveFieldList("Flag;Subject;Group;Key")), 0);
    c.ReleaseRecordData(copy);
    EXPECT_EQ(data_area::TextRef(copy, copy.F("Subject")), nullptr);
    EXPECT_EQ(data_area::BlobRef(copy, copy.F("Notes")), nullptr);
  }  // the copy's area freed too
  EXPECT_EQ(Str(c, src, "Subject"), "subject text");
  EXPECT_EQ(Str(c, src, "Notes"), std::string("{\\rtf1\0x}", 9));
  EXPECT_EQ(data_area::TextLength(data_area::TextRef(src, src.F("Subject"))), 12u);
}

TEST_F(RecordStore, TextsAreCutToTheDeclaredSize) {
  Area a(c);
  a.text("Group", std::string(30, 'g'));
  EXPECT_EQ(Str(c, a, "Group"), std::string(20, 'g'));
  a.text("Subject", std::string(300, 's'));
  EXPECT_EQ(Str(c, a, "Subject"), std::string(256, 's'));
  data_area::ClearField(a, a.F("Subject"));
  EXPECT_EQ(data_area::TextRef(a, a.F("Subject")), nullptr);
}

TEST_F(RecordStore, EmptyViewSetsAnEmptyValue) {
  // A default-constructed view has no characters at all (its data is null).
  Area a(c);
  a.text("Group", "grp").text("Subject", "subj").blob("Notes", "n");
  a.text("Group", std::string_view()).text("Subject", std::string_view()).blob("Notes", std::string_view());
  EXPECT_EQ(Str(c, a, "Group"), "");
  EXPECT_EQ(data_area::TextRef(a, a.F("Subject")), nullptr);
  EXPECT_EQ(data_area::BlobRef(a, a.F("Notes")), nullptr);
  EXPECT_EQ(c.StoredSize(a), 5u);
}

TEST_F(RecordStore, StoredSizeCountsFileBytes) {
  Area a(c);
  a.set<int16_t>("Flag", -1).text("Subject", "abc").text("Group", "gg").blob("Notes", "12345");
  // 5 length bytes + 2 + (4 + 3) + 2 + (4 + 5); the key is written by WriteRecord.
  EXPECT_EQ(c.StoredSize(a), 5u + 2 + 7 + 2 + 9);
  std::string error;
  TVelaRecord* r = nullptr;
  ASSERT_TRUE(c.WriteRecord(a, nullptr, error, &r)) << error;
  EXPECT_EQ(r->StoredSize, 5u + 2 + 7 + 2 + 9 + 4);

  std::string file = Write(c);
  std::size_t header = 17 + Section({"XXX.Flag b", "XXX.Subject s256", "XXX.Group K", "XXX.Notes r", "XXX.Key a"}).size();
  EXPECT_EQ(file.size() - header, r->StoredSize);

  Area shorter(c);
  shorter.text("Subject", "a");
  ASSERT_TRUE(c.WriteRecord(shorter, r, error)) << error;
  EXPECT_EQ(r->StoredSize, 5u + 5);
}

// ---- Writing, deleting, statuses ------------------------------------------

TEST_F(RecordStore, WriteNewRecordAssignsTheNextKey) {
  TVelaRecord* a = Insert("first");
  TVelaRecord* b = Insert("second");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->Status, rsInserted);
  EXPECT_EQ(a->OldData, nullptr);
  EXPECT_TRUE(c.ContainsRecord(a));
  EXPECT_EQ(Key(a), 1);
  EXPECT_EQ(Key(b), 2);
  EXPECT_EQ(c.AutoIncCounter(), 2);
  ASSERT_EQ(c.RecordCount(), 2);
  EXPECT_EQ(c.Records()[0], a);
  EXPECT_EQ(c.Records()[1], b);
  EXPECT_EQ(Subject(b), "second");
}

TEST_F(RecordStore, WrittenDataIsTheStoresOwnCopy) {
  Area a(c);
  a.text("Subject", "mine");
  std::string error;
  TVelaRecord* r = nullptr;
  ASSERT_TRUE(c.WriteRecord(a, nullptr, error, &r)) << error;
  a.text("Subject", "changed afterwards");
  EXPECT_EQ(Subject(r), "mine");
  EXPECT_NE(data_area::TextRef(r->Data, a.F("Subject")), data_area::TextRef(a, a.F("Subject")));
}

TEST_F(RecordStore, AppendRecordKeepsKeyAndRaisesCounter) {
  Area a(c);
  a.set<int32_t>("Key", 10).text("Subject", "ten");
  TVelaRecord* r = c.AppendRecord(a);
  EXPECT_EQ(r->Status, rsUnmodified);
  EXPECT_EQ(Key(r), 10);
  EXPECT_EQ(c.AutoIncCounter(), 10);
  a.set<int32_t>("Key", 4);
  c.AppendRecord(a);
  EXPECT_EQ(c.AutoIncCounter(), 10);
  EXPECT_EQ(Key(Insert("next")), 11);
}

TEST_F(RecordStore, WriteExistingRecordStatuses) {
  Area a(c);
  a.set<int32_t>("Key", 1).text("Subject", "loaded");
  TVelaRecord* loaded = c.AppendRecord(a);
  TVelaRecord* inserted = Insert("inserted");
  std::string error;

  a.text("Subject", "edited");
  ASSERT_TRUE(c.WriteRecord(a, loaded, error)) << error;
  EXPECT_EQ(loaded->Status, rsModified);
  EXPECT_EQ(Subject(loaded), "edited");
  ASSERT_TRUE(c.WriteRecord(a, loaded, error)) << error;
  EXPECT_EQ(loaded->Status, rsModified);

  ASSERT_TRUE(c.WriteRecord(a, inserted, error)) << error;
  EXPECT_EQ(inserted->Status, rsInserted);
  EXPECT_EQ(Subject(inserted), "edited");
  EXPECT_EQ(c.RecordCount(), 2);
}

TEST_F(RecordStore, RecordNotFound) {
  TVelaCursor other;
  other.AddField("Subject", TVelaFieldKind::String, 256);
  Area oa(other);
  std::string error;
  TVelaRecord* foreign = nullptr;
  ASSERT_TRUE(other.WriteRecord(oa, nullptr, error, &foreign)) << error;

  Area a(c);
  EXPECT_FALSE(c.ContainsRecord(foreign));
  EXPECT_FALSE(c.WriteRecord(a, foreign, error));
  EXPECT_EQ(error, "Record is not found");
  error.clear();
  EXPECT_FALSE(c.DeleteRecord(foreign, error));
  EXPECT_EQ(error, "Record is not found");

  TVelaRecord loose;
  error.clear();
  EXPECT_FALSE(c.WriteRecord(a, &loose, error));
  EXPECT_EQ(error, "Record is not found");
  EXPECT_EQ(c.RecordCount(), 0);
}

TEST_F(RecordStore, DeletedRecordsRefuseWritesAndDeletes) {
  Area a(c);
  a.set<int32_t>("Key", 1);
  TVelaRecord* loaded = c.AppendRecord(a);
  TVelaRecord* inserted = Insert("x");
  std::string error;
  ASSERT_TRUE(c.DeleteRecord(loaded, error)) << error;
  ASSERT_TRUE(c.DeleteRecord(inserted, error)) << error;
  ASSERT_EQ(loaded->Status, rsDeleted);
  ASSERT_EQ(inserted->Status, rsPurged);

  for (TVelaRecord* r : {loaded, inserted}) {
    error.clear();
    EXPECT_FALSE(c.WriteRecord(a, r, error));
    EXPECT_EQ(error, "Record has been deleted");
    error.clear();
    EXPECT_FALSE(c.DeleteRecord(r, error));
    EXPECT_EQ(error, "Record has been deleted");
    EXPECT_FALSE(c.KeepOldData(r));
    EXPECT_FALSE(r->Live());
  }
  EXPECT_FALSE(c.KeepOldData(nullptr));
}

TEST_F(RecordStore, FieldsCannotBeAddedOnceRecordsExist) {
  TVelaCursor t;
  t.AddField("Id", TVelaFieldKind::Integer);
  Area a(t);
  t.AppendRecord(a);
  try {
    t.AddField("Late", TVelaFieldKind::Integer);
    FAIL() << "a field was added to a store with records";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Fields cannot be added to a table that holds records");
  }
  EXPECT_EQ(t.FieldCount(), 1);
  EXPECT_EQ(t.RecordCount(), 1);
}

TEST_F(RecordStore, StringOverTheReaderLimitIsRefused) {
  TVelaCursor t;
  t.AddField("Id", TVelaFieldKind::Integer);
  t.AddField("Body", TVelaFieldKind::String, 10000);
  Area a(t);
  a.text("Body", std::string(8192, 'b'));
  std::string error;
  EXPECT_FALSE(t.WriteRecord(a, nullptr, error));
  EXPECT_EQ(error, "Field 'Body' value is too long (8192 characters; at most 8191)");
  EXPECT_EQ(t.RecordCount(), 0);

  a.text("Body", std::string(8191, 'b'));
  TVelaRecord* r = nullptr;
  ASSERT_TRUE(t.WriteRecord(a, nullptr, error, &r)) << error;
  a.text("Body", std::string(9000, 'b'));
  error.clear();
  EXPECT_FALSE(t.WriteRecord(a, r, error));
  EXPECT_EQ(error, "Field 'Body' value is too long (9000 characters; at most 8191)");
  EXPECT_EQ(Str(t, r->Data, "Body").size(), 8191u);  // the refused write changed nothing
  EXPECT_EQ(r->Status, rsInserted);

  // Appending as loaded data takes the same guard.
  int before = t.RecordCount();
  EXPECT_THROW(t.AppendRecord(a), EDatabaseError);
  EXPECT_EQ(t.RecordCount(), before);
}

TEST_F(RecordStore, DeletingAnInsertedRecordPurgesAtOnce) {
  int token = 0;
  TVelaRecord* r = Insert("short-lived");
  r->UserData = &token;
  std::string error;
  ASSERT_TRUE(c.DeleteRecord(r, error)) << error;
  EXPECT_EQ(r->Status, rsPurged);
  EXPECT_EQ(r->Data, nullptr);
  EXPECT_EQ(r->OldData, nullptr);
  EXPECT_EQ(r->UserData, nullptr);
  EXPECT_EQ(released, std::vector<void*>{&token});
  EXPECT_EQ(c.RecordCount(), 1);  // a dead slot stays
  EXPECT_EQ(c.Records()[0], r);

  c.CancelChanges();
  EXPECT_EQ(r->Status, rsPurged);
  EXPECT_EQ(r->Data, nullptr);
  EXPECT_EQ(released.size(), 1u);
}

TEST_F(RecordStore, CancelChangesRestoresEditsAndDeletes) {
  Area a(c);
  a.set<int32_t>("Key", 1).text("Subject", "committed one");
  TVelaRecord* edited = c.AppendRecord(a);
  a.set<int32_t>("Key", 2).text("Subject", "committed two");
  TVelaRecord* deleted = c.AppendRecord(a);
  int token = 0;
  TVelaRecord* inserted = Insert("new");
  inserted->UserData = &token;

  std::string error;
  ASSERT_TRUE(c.KeepOldData(edited));
  Area change(c);
  change.set<int32_t>("Key", 1).text("Subject", "edited");
  ASSERT_TRUE(c.WriteRecord(change, edited, error)) << error;
  ASSERT_TRUE(c.DeleteRecord(deleted, error)) << error;
  EXPECT_EQ(deleted->Status, rsDeleted);
  EXPECT_EQ(Subject(deleted), "committed two");  // kept so it can come back

  c.CancelChanges();
  EXPECT_EQ(edited->Status, rsUnmodified);
  EXPECT_EQ(Subject(edited), "committed one");
  EXPECT_EQ(edited->OldData, nullptr);
  EXPECT_EQ(edited->StoredSize, c.StoredSize(edited->Data));
  EXPECT_EQ(deleted->Status, rsUnmodified);
  EXPECT_EQ(Subject(deleted), "committed two");
  EXPECT_EQ(inserted->Status, rsPurged);
  EXPECT_EQ(released, std::vector<void*>{&token});
}

TEST_F(RecordStore, CommitChangesPurgesDeletedAndSettlesTheRest) {
  Area a(c);
  a.set<int32_t>("Key", 1);
  TVelaRecord* edited = c.AppendRecord(a);
  a.set<int32_t>("Key", 2);
  TVelaRecord* deleted = c.AppendRecord(a);
  int token = 0;
  deleted->UserData = &token;
  TVelaRecord* inserted = Insert("new");

  std::string error;
  ASSERT_TRUE(c.KeepOldData(edited));
  a.set<int32_t>("Key", 1).text("Subject", "edited");
  ASSERT_TRUE(c.WriteRecord(a, edited, error)) << error;
  ASSERT_TRUE(c.DeleteRecord(deleted, error)) << error;
  EXPECT_TRUE(released.empty());

  c.CommitChanges();
  EXPECT_EQ(edited->Status, rsUnmodified);
  EXPECT_EQ(edited->OldData, nullptr);
  EXPECT_EQ(Subject(edited), "edited");
  EXPECT_EQ(deleted->Status, rsPurged);
  EXPECT_EQ(deleted->Data, nullptr);
  EXPECT_EQ(released, std::vector<void*>{&token});
  EXPECT_EQ(inserted->Status, rsUnmodified);
  EXPECT_EQ(c.RecordCount(), 3);

  // Nothing left to cancel.
  c.CancelChanges();
  EXPECT_EQ(Subject(edited), "edited");
  EXPECT_EQ(inserted->Status, rsUnmodified);
}

TEST_F(RecordStore, KeepOldDataAndRevert) {
  Area a(c);
  a.set<int32_t>("Key", 1).text("Subject", "before").blob("Notes", "rtf");
  TVelaRecord* r = c.AppendRecord(a);
  ASSERT_TRUE(c.KeepOldData(r));
  ASSERT_NE(r->OldData, nullptr);
  uint8_t* old = r->OldData;
  EXPECT_EQ(Str(c, old, "Subject"), "before");
  EXPECT_NE(data_area::TextRef(old, a.F("Subject")), data_area::TextRef(r->Data, a.F("Subject")));

  std::string error;
  a.text("Subject", "after").blob("Notes", "");
  ASSERT_TRUE(c.WriteRecord(a, r, error)) << error;
  EXPECT_TRUE(c.KeepOldData(r));  // already kept: the first copy stays
  EXPECT_EQ(r->OldData, old);
  EXPECT_EQ(Str(c, r->OldData, "Subject"), "before");

  c.RevertRecord(r);
  EXPECT_EQ(r->Status, rsUnmodified);
  EXPECT_EQ(r->OldData, nullptr);
  EXPECT_EQ(Subject(r), "before");
  EXPECT_EQ(Str(c, r->Data, "Notes"), "rtf");
  EXPECT_EQ(r->StoredSize, c.StoredSize(r->Data));

  // Revert without a kept copy just settles the status.
  TVelaRecord* n = Insert("fresh");
  c.RevertRecord(n);
  EXPECT_EQ(n->Status, rsUnmodified);
  EXPECT_EQ(Subject(n), "fresh");
}

TEST_F(RecordStore, ClearKeepsOrDropsTheDescriptors) {
  int t1 = 0, t2 = 0;
  Insert("a")->UserData = &t1;
  Insert("b")->UserData = &t2;
  Insert("c");
  c.SetNotes("notes");
  c.SetPassword("secret");

  c.Clear(false);
  EXPECT_EQ(c.RecordCount(), 0);
  EXPECT_EQ(c.AutoIncCounter(), 0);
  EXPECT_EQ(c.FieldCount(), 5);
  EXPECT_NE(c.AutoIncField(), nullptr);
  EXPECT_EQ(c.Notes(), "notes");
  std::vector<void*> sorted = released;
  std::sort(sorted.begin(), sorted.end());
  std::vector<void*> expected{&t1, &t2};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sorted, expected);
  EXPECT_EQ(Key(Insert("again")), 1);

  c.Clear(true);
  EXPECT_EQ(c.RecordCount(), 0);
  EXPECT_EQ(c.FieldCount(), 0);
  EXPECT_EQ(c.RecordDataSize(), 0u);
  EXPECT_EQ(c.AutoIncField(), nullptr);
  EXPECT_EQ(c.Notes(), "");
  EXPECT_EQ(c.Password(), "");
  EXPECT_FALSE(c.IsProtected());
  EXPECT_EQ(c.PasswordBlock(), (std::array<uint8_t, 40>{}));
}

TEST_F(RecordStore, RecalcAutoIncSortsAndTakesTheLast) {
  Area a(c);
  for (int k : {5, 2, 9, 1}) {
    a.set<int32_t>("Key", k);
    c.AppendRecord(a);
  }
  c.RecalcAutoInc();
  std::vector<int> keys;
  for (TVelaRecord* r : c.Records()) keys.push_back(Key(r));
  EXPECT_EQ(keys, (std::vector<int>{1, 2, 5, 9}));
  EXPECT_EQ(c.AutoIncCounter(), 9);

  TVelaCursor negative;
  negative.AddField("K", TVelaFieldKind::AutoInc);
  Area n(negative);
  n.set<int32_t>("K", -4);
  negative.AppendRecord(n);
  negative.RecalcAutoInc();
  EXPECT_EQ(negative.AutoIncCounter(), 0);
}

TEST_F(RecordStore, ManyRecordsKeepStableAddresses) {
  // Entries and their data never move, whatever the store grows to.
  std::vector<std::pair<TVelaRecord*, uint8_t*>> seen;
  for (int i = 0; i < 3000; ++i) {
    TVelaRecord* r = Insert("s" + std::to_string(i));
    seen.emplace_back(r, r->Data);
  }
  for (int i = 0; i < 3000; ++i) {
    EXPECT_EQ(seen[i].first->Data, seen[i].second);
    ASSERT_EQ(Subject(seen[i].first), "s" + std::to_string(i));
    ASSERT_EQ(Key(seen[i].first), i + 1);
  }
}

}  // namespace
