// The engine's dataset, table and database driven through the framework's
// public interface, the way data-aware controls and the main window use them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "table_bytes.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

// Records the notices a control would receive.
class RecordingLink : public TDataLink {
public:
  std::vector<int> scrolls;
  int changes = 0;
  void DataSetScrolled(int distance) override { scrolls.push_back(distance); }
  void DataSetChanged() override { ++changes; }
};

class VelaTableTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("notarra-vela-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                       "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    db.SetName("Veladb");
    db.SetDatabasePath(dir.string());
    table.SetName("BlogI_");
    table.SetDatabase(&db);
    table.SetTableName("ideas.d");
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
  }

  // An idea-like table: Group, Subject, Flag, PubDate, Key.
  void MakeFile(const std::vector<std::tuple<std::string, std::string, bool>>& rows) {
    TVelaCursor c;
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Flag", TVelaFieldKind::Boolean);
    c.AddField("PubDate", TVelaFieldKind::Date);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    int32_t key = 0;
    for (auto& [group, subject, flag] : rows) {
      Area a(c);
      a.text("Group", group).text("Subject", subject).set<int16_t>("Flag", flag ? -1 : 0).set<int32_t>("Key", ++key);
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  }
  std::vector<std::string> Subjects() {
    std::vector<std::string> out;
    table.First();
    while (!table.Eof()) {
      out.push_back(table.FieldByName("Subject")->AsString());
      table.Next();
    }
    return out;
  }
  // The subjects the file holds, in file order.
  std::vector<std::string> FileSubjects() {
    TVelaCursor c;
    TFileStream file((dir / "ideas.d").string());
    std::string error;
    EXPECT_TRUE(c.LoadFromStream(file, error, true)) << error;
    std::vector<std::string> out;
    for (const TVelaRecord* r : c.Records()) out.push_back(c.ValueToText(r->Data, *c.FindField("Subject")));
    return out;
  }
  std::string FileBytes() {
    std::string s;
    ReadWholeFile((dir / "ideas.d").string(), s);
    return s;
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable table;
};

TEST_F(VelaTableTest, OpensTheFileSortedByTheIndex) {
  MakeFile({{"Tech", "b", false}, {"", "z", true}, {"Tech", "A", false}, {"Home", "m", false}});
  table.SetIndexFieldNames("Group;Subject");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"z", "m", "A", "b"}));
  EXPECT_EQ(table.Version(), "VelaDB Engine v5.10");
  EXPECT_EQ(db.OpenDatasets().size(), 1u);

  // Re-sorting keeps the current record.
  table.First();
  table.Next();  // "m"
  table.SetIndexFieldNames("Subject");
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "m");
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"A", "b", "m", "z"}));
  table.SetSortOptions({vsoCaseInsensitive, vsoDescendSort});
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"z", "m", "b", "A"}));
}

TEST_F(VelaTableTest, MissingFileAndEmptyNameFailWithTheirMessages) {
  try {
    table.Open();
    FAIL() << "opened a missing file";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Error opening file " + (dir / "ideas.d").string());
  }
  EXPECT_FALSE(table.Active());
  table.SetTableName("");
  EXPECT_EQ(table.LoadMode(), lmClear);
  try {
    table.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Error creating table (no field descriptions)");
  }
}

TEST_F(VelaTableTest, CorruptFileFailsWithTheReadersReason) {
  WriteFileSafely((dir / "ideas.d").string(), "\x11\0\0\0X", 5);
  try {
    table.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Error opening table: Buffer structure corruption!");
  }
  EXPECT_FALSE(table.Active());
}

TEST_F(VelaTableTest, NullRulesPerKind) {
  MakeFile({{"", "", false}});
  table.Open();
  EXPECT_TRUE(table.FieldByName("Group")->IsNull());    // empty SmallStr
  EXPECT_TRUE(table.FieldByName("Subject")->IsNull());  // no String text
  EXPECT_FALSE(table.FieldByName("Flag")->IsNull());    // false is a value
  EXPECT_FALSE(table.FieldByName("Flag")->AsBoolean());
  EXPECT_TRUE(table.FieldByName("PubDate")->IsNull());  // day 0
  EXPECT_EQ(table.FieldByName("Key")->AsInteger(), 1);
}

TEST_F(VelaTableTest, EditPostCancelAndChangeCounting) {
  MakeFile({{"Tech", "one", false}, {"Tech", "two", false}});
  int needToSave = 0;
  table.OnNeedToSaveChange = TNotifyEvent([&needToSave](TObject*) { ++needToSave; });
  table.Open();
  table.Edit();
  table.FieldByName("Subject")->SetAsString("uno");
  table.Post();
  EXPECT_EQ(table.ChangeCount(), 1);
  EXPECT_EQ(needToSave, 1);
  EXPECT_EQ(db.ChangedDatasets().size(), 1u);
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "uno");

  // A second edit cancelled keeps what was posted; the table still has it to save.
  table.Edit();
  table.FieldByName("Subject")->SetAsString("eins");
  table.Cancel();
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "uno");
  EXPECT_EQ(table.ChangeCount(), 1);
  EXPECT_EQ(db.ChangedDatasets().size(), 1u);
  // Edit, cancel, edit, post: two posted edits, one unsaved record.
  table.Edit();
  table.FieldByName("Subject")->SetAsString("dos");
  table.Post();
  EXPECT_EQ(table.ChangeCount(), 2);
  db.SaveDatasets({&table});
  EXPECT_EQ(FileSubjects(), (std::vector<std::string>{"dos", "two"}));

  // Cancelling the first edit since the save leaves nothing to save.
  table.Edit();
  table.FieldByName("Subject")->SetAsString("x");
  table.Cancel();
  EXPECT_FALSE(table.ChangesPending());
  EXPECT_TRUE(db.ChangedDatasets().empty());
  EXPECT_EQ(table.FieldByName("Subject")->OldValue().AsString(), "dos");

  // Discarding every change still goes back to the last commit.
  table.Edit();
  table.FieldByName("Subject")->SetAsString("tres");
  table.Post();
  table.Edit();
  table.FieldByName("Subject")->SetAsString("cuatro");
  table.Cancel();
  table.CancelChanges();
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "dos");
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_TRUE(db.ChangedDatasets().empty());
}

TEST_F(VelaTableTest, InsertGetsTheNextKeyAndInsertInOrderPlacesIt) {
  MakeFile({{"A", "a", false}, {"C", "c", false}});
  table.SetIndexFieldNames("Group");
  table.SetSortOptions({vsoInsertInOrder});
  table.Open();
  table.Append();
  EXPECT_EQ(table.FieldByName("Key")->AsInteger(), 0);  // handed out on post
  table.FieldByName("Group")->SetAsString("B");
  table.FieldByName("Subject")->SetAsString("b");
  table.Post();
  EXPECT_EQ(table.FieldByName("Key")->AsInteger(), 3);
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(VelaTableTest, DefaultsFillNewRecords) {
  MakeFile({});
  table.Open();
  table.FieldByName("PubDate")->SetDefaultExpression("TODAY");
  table.FieldByName("Group")->SetDefaultExpression("UNICOD");
  table.FieldByName("Subject")->SetDefaultExpression("now");
  table.Insert();
  EXPECT_EQ(static_cast<int>(table.FieldByName("PubDate")->AsDateTime()), static_cast<int>(Date()));
  EXPECT_EQ(table.FieldByName("Group")->AsString().size(), 8u);
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "now");
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(VelaTableTest, DeleteAndSaveThroughTheDatabase) {
  MakeFile({{"A", "keep", false}, {"B", "drop", false}});
  table.Open();
  table.Last();
  table.Delete();
  EXPECT_EQ(table.RecordCount(), 1);
  const std::string before = FileBytes();
  db.SaveDatasets({&table});
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_NE(FileBytes(), before);

  TVelaTable reread;
  reread.SetTableName((dir / "ideas.d").string());
  reread.Open();
  EXPECT_EQ(reread.RecordCount(), 1);
  EXPECT_EQ(reread.FieldByName("Subject")->AsString(), "keep");
}

TEST_F(VelaTableTest, SaveWithoutChangesWritesNothingAndForeignTablesAreRefused) {
  MakeFile({{"A", "a", false}});
  table.Open();
  const auto stamp = fs::last_write_time(dir / "ideas.d");
  db.SaveDatasets({&table});
  EXPECT_EQ(fs::last_write_time(dir / "ideas.d"), stamp);

  TVelaDatabase other;
  TVelaTable stranger;
  stranger.SetName("Stranger");
  stranger.SetDatabase(&other);
  table.Edit();
  table.FieldByName("Subject")->SetAsString("changed");
  table.Post();
  try {
    db.SaveDatasets({&stranger});
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Dataset Stranger is not belong to this database");
  }
  EXPECT_EQ(table.ChangeCount(), 1);
}

TEST_F(VelaTableTest, ReadOnlyRefusesChangesButBrowses) {
  MakeFile({{"A", "a", false}, {"B", "b", false}});
  table.SetReadOnly(true);
  table.Open();
  auto message = [](auto operation) {
    try {
      operation();
    } catch (const EDatabaseError& e) {
      return e.Message();
    }
    return std::string("(nothing raised)");
  };
  EXPECT_EQ(message([&] { table.Edit(); }), "BlogI_: Read-only record cannot be changed");
  EXPECT_EQ(message([&] { table.Insert(); }), "BlogI_: You have read only access, you can not add records!");
  EXPECT_EQ(message([&] { table.Append(); }), "BlogI_: You have read only access, you can not add records!");
  EXPECT_EQ(message([&] { table.Delete(); }), "BlogI_: Read-only record cannot be deleted");
  EXPECT_FALSE(table.CanModify());
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_EQ(table.RecordCount(), 2);
  table.Next();
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "b");
}

TEST_F(VelaTableTest, FilterRecordEventNarrowsTheVisibleList) {
  MakeFile({{"A", "a", true}, {"B", "b", false}, {"C", "c", true}});
  table.OnFilterRecord = TFilterRecordEvent([](TDataSet* ds, bool& accept) {
    accept = ds->FieldByName("Flag")->AsBoolean();
  });
  table.Open();
  table.SetFiltered(true);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"a", "c"}));
  table.SetFiltered(false);
  EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(VelaTableTest, LinkWindowScrollsByTheDistanceMoved) {
  std::vector<std::tuple<std::string, std::string, bool>> rows;
  for (int i = 0; i < 100; ++i) rows.emplace_back("G", "s" + std::to_string(1000 + i), false);
  MakeFile(rows);
  TDataSource source;
  source.SetDataSet(&table);
  RecordingLink link;
  link.SetBufferCount(10);
  link.SetDataSource(&source);
  table.Open();
  table.MoveBy(3);
  table.MoveBy(12);
  EXPECT_EQ(table.RecNo(), 16);
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "s1015");
  ASSERT_FALSE(link.scrolls.empty());
  EXPECT_EQ(link.ActiveRecord(), 9);  // at the bottom of the window after moving down
  table.SetRecNo(0);
  EXPECT_EQ(table.RecNo(), 1);
  table.SetRecNo(1000);
  EXPECT_EQ(table.RecNo(), 100);
  link.SetDataSource(nullptr);
}

TEST_F(VelaTableTest, CloneSharesTheStoreAndMustCloseFirst) {
  MakeFile({{"A", "a", false}});
  table.Open();
  TVelaTable clone;
  clone.SetName("Clone");
  clone.SetCloneDS(&table);
  EXPECT_EQ(clone.LoadMode(), lmClone);
  clone.Open();
  EXPECT_EQ(clone.RecordCount(), 1);
  try {
    table.Close();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Cloned tables are not closed before source dataset is closed!");
  }
  // The refused close changed nothing: both still show the shared record,
  // and opening the source again later cannot free it under the clone.
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(table.FieldByName("Group")->AsString(), "A");
  EXPECT_EQ(clone.FieldByName("Group")->AsString(), "A");
  clone.Close();
  table.Close();
  EXPECT_FALSE(table.Active());
}

TEST_F(VelaTableTest, DestroyingTheSourceClosesItsOpenClonesFirst) {
  MakeFile({{"A", "a", false}, {"B", "b", false}});
  TVelaTable clone;
  clone.SetName("Clone");
  {
    auto source = std::make_unique<TVelaTable>();
    source->SetDatabase(&db);
    source->SetTableName(table.TableName());
    source->Open();
    clone.SetCloneDS(source.get());
    clone.Open();
    ASSERT_EQ(clone.RecordCount(), 2);
  }
  // The clone was closed while the shared store still existed, and let go of it.
  EXPECT_FALSE(clone.Active());
  EXPECT_EQ(clone.LoadMode(), lmClear);
}

// ---- Changes to the file by someone else -------------------------------------

TEST_F(VelaTableTest, FileChangedOnDiskComparesWithTheFileReadOrLastWritten) {
  MakeFile({{"A", "a", false}});
  table.Open();
  EXPECT_FALSE(table.FileChangedOnDisk());

  // Another program writes the file: more records, another size.
  MakeFile({{"A", "a", false}, {"B", "from outside", false}});
  EXPECT_TRUE(table.FileChangedOnDisk());
  // The engine's own save does not ask; it writes, and then the file on
  // disk is ours again.
  table.Edit();
  table.FieldByName("Subject")->SetAsString("ours");
  table.Post();
  db.SaveDatasets({&table});
  EXPECT_FALSE(table.FileChangedOnDisk());

  // Only the time changes (a touch, a copy that keeps the size): still a change.
  const fs::path file = dir / "ideas.d";
  fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
  EXPECT_TRUE(table.FileChangedOnDisk());
  fs::last_write_time(file, fs::last_write_time(file) - std::chrono::seconds(5));
  EXPECT_FALSE(table.FileChangedOnDisk());

  // Gone: writing it again loses nothing, so it does not count.
  fs::remove(file);
  EXPECT_FALSE(table.FileChangedOnDisk());
}

TEST_F(VelaTableTest, RefreshTakesTheOutsideFileAndItsIdentity) {
  MakeFile({{"A", "a", false}});
  table.Open();
  MakeFile({{"A", "a", false}, {"B", "from outside", false}});
  ASSERT_TRUE(table.FileChangedOnDisk());
  table.Refresh();
  EXPECT_EQ(table.RecordCount(), 2);
  EXPECT_FALSE(table.FileChangedOnDisk());

  // Closed, the table holds no file; opened again, it takes the file as it is.
  table.Close();
  MakeFile({{"C", "c", false}});
  EXPECT_FALSE(table.FileChangedOnDisk());
  table.Open();
  EXPECT_EQ(Subjects(), std::vector<std::string>{"c"});
  EXPECT_FALSE(table.FileChangedOnDisk());
  MakeFile({{"C", "c", false}, {"D", "d", false}});
  EXPECT_TRUE(table.FileChangedOnDisk());
}

TEST_F(VelaTableTest, TablesWithoutAFileNeverReportAChange) {
  TVelaTable built;
  built.FieldDefs().Add("Name", ftString, 20);
  built.Open();
  EXPECT_FALSE(built.FileChangedOnDisk());

  // Read from a stream that holds the file's bytes, under the file's name:
  // the table holds the bytes, not the file.
  MakeFile({{"A", "a", false}});
  TMemoryStream stream;
  stream.LoadFromFile((dir / "ideas.d").string());
  TVelaTable streamed;
  streamed.SetDatabase(&db);
  streamed.SetTableName("ideas.d");
  streamed.SetLoadMode(lmStream);
  streamed.SetLoadStream(&stream);
  streamed.Open();
  MakeFile({{"A", "a", false}, {"B", "b", false}});
  EXPECT_FALSE(streamed.FileChangedOnDisk());
}

TEST_F(VelaTableTest, AClonesSaveIsItsSourcesFile) {
  MakeFile({{"A", "a", false}});
  table.Open();
  TVelaTable clone;
  clone.SetName("Clone");
  clone.SetCloneDS(&table);
  clone.Open();
  EXPECT_FALSE(clone.FileChangedOnDisk());
  MakeFile({{"A", "a", false}, {"B", "b", false}});
  EXPECT_TRUE(clone.FileChangedOnDisk());
  EXPECT_TRUE(table.FileChangedOnDisk());

  clone.Edit();
  clone.FieldByName("Subject")->SetAsString("from the clone");
  clone.Post();
  clone.SaveChanges();
  // The clone wrote its source's file: neither sees another program's change.
  EXPECT_FALSE(table.FileChangedOnDisk());
  EXPECT_FALSE(clone.FileChangedOnDisk());
  clone.Close();
}

}  // namespace

namespace {

TEST_F(VelaTableTest, ClearModeBuildsAnEmptyTableFromFieldDefinitions) {
  TVelaTable built;
  built.SetName("Built");
  built.FieldDefs().Add("Name", ftString, 20);
  built.FieldDefs().Add("Long text", ftString, 80);
  built.FieldDefs().Add("Count", ftInteger);
  built.FieldDefs().Add("Odd", ftBytes, 4);  // no kind: a String of the default size
  built.Open();
  EXPECT_EQ(built.RecordCount(), 0);
  const TVelaCursor& store = *built.Store();
  EXPECT_EQ(store.FieldByIndex(0)->Kind, TVelaFieldKind::SmallStr);
  EXPECT_EQ(store.FieldByIndex(1)->Name, "Long_text");
  EXPECT_EQ(store.FieldByIndex(1)->Kind, TVelaFieldKind::String);
  EXPECT_EQ(store.FieldByIndex(2)->Kind, TVelaFieldKind::Integer);
  EXPECT_EQ(store.FieldByIndex(3)->Kind, TVelaFieldKind::String);
  EXPECT_EQ(store.FieldByIndex(3)->Size, 100);
  built.Append();
  built.FieldByName("Name")->SetAsString("x");
  built.Post();
  EXPECT_EQ(built.RecordCount(), 1);
}

TEST_F(VelaTableTest, StreamModeLoadsFromTheGivenStream) {
  MakeFile({{"A", "from a stream", false}});
  TMemoryStream stream;
  stream.LoadFromFile((dir / "ideas.d").string());
  TVelaTable streamed;
  streamed.SetLoadMode(lmStream);
  EXPECT_THROW(streamed.Open(), EDatabaseError);  // "Loading stream is not assigned"
  streamed.SetLoadStream(&stream);
  stream.SetPosition(0);
  streamed.Open();
  EXPECT_EQ(streamed.FieldByName("Subject")->AsString(), "from a stream");
}

TEST_F(VelaTableTest, KeyViolationLeavesTheRecordInEditAndNothingWritten) {
  MakeFile({{"A", "one", false}, {"B", "two", false}});
  table.SetCheckKeyViolation(true);
  table.SetUniqueFieldNames("Subject");
  table.Open();
  table.Edit();
  table.FieldByName("Subject")->SetAsString("two");
  try {
    table.Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Error saving record: Key violation");
  }
  EXPECT_EQ(table.State(), dsEdit);
  table.Cancel();
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"one", "two"}));
  table.Append();
  table.FieldByName("Subject")->SetAsString("one");
  EXPECT_THROW(table.Post(), EDatabaseError);
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(VelaTableTest, UpdateStatusAndOldValues) {
  MakeFile({{"A", "before", false}});
  table.Open();
  EXPECT_EQ(table.UpdateStatus(), usUnmodified);
  table.Edit();
  table.FieldByName("Subject")->SetAsString("after");
  table.Post();
  EXPECT_EQ(table.UpdateStatus(), usModified);
  EXPECT_EQ(table.Store()->ValueToText(table.Store()->Records()[0]->OldData, *table.Store()->FindField("Subject")),
            "before");
  table.Append();
  table.FieldByName("Subject")->SetAsString("new");
  table.Post();
  EXPECT_EQ(table.UpdateStatus(), usInserted);
}

TEST_F(VelaTableTest, PasswordChangeCountsAsAChangeAndProtectsTheFile) {
  MakeFile({{"A", "secret", false}});
  table.Open();
  table.SetPassword("pw");
  EXPECT_EQ(table.ChangeCount(), 1);
  db.SaveDatasets();
  EXPECT_EQ(FileBytes()[4], 'P');
  table.Close();
  table.SetPassword("");
  EXPECT_THROW(table.Open(), EDatabaseError);  // no known password any more, no one to ask
  table.SetPassword("pw");
  table.Open();
  EXPECT_EQ(table.FieldByName("Subject")->AsString(), "secret");
}

}  // namespace
