// What the dataset keeps in step by hand beside its records: the flag that
// says the visible list is in index order (binary searches rely on it), the
// visible list itself, the count of unsaved changes, the autoincrement
// counter and the list of open clones. Each case changes the records the way
// a program does and then checks the kept value against what the records say.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/field.h"
#include "platform/exceptions.h"
#include "table_bytes.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

class BookkeepingTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("notarra-bookkeeping-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    db.SetName("Veladb");
    db.SetDatabasePath(dir.string());
    table.SetName("Names");
    table.SetDatabase(&db);
    table.SetTableName("names.d");
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
  }

  // A table of Name (String), Tag (SmallStr, a copy of the name) and Key
  // (autoincrement) with these names.
  void MakeFile(const std::vector<std::string>& names) {
    TVelaCursor c;
    c.AddField("Name", TVelaFieldKind::String, 40);
    c.AddField("Tag", TVelaFieldKind::SmallStr, 10);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    int32_t key = 0;
    for (const std::string& name : names) {
      Area a(c);
      a.text("Name", name).text("Tag", name).set<int32_t>("Key", ++key);
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "names.d").string(), 0, false, "");
  }
  void AppendName(const std::string& name) {
    table.Append();
    table.FieldByName("Name")->SetAsString(name);
    table.Post();
  }
  std::string Name() { return table.FieldByName("Name")->AsString(); }
  int Key() { return table.FieldByName("Key")->AsInteger(); }
  // The names in visible order, walked with First and Next.
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (table.First(); !table.Eof(); table.Next()) out.push_back(Name());
    return out;
  }
  // Every name must be found by Locate, and Locate must land on it.
  void ExpectEveryNameLocated(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      table.First();
      EXPECT_TRUE(table.Locate("Name", name, {})) << name;
      EXPECT_EQ(Name(), name);
    }
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable table;
};

// ---- The sorted flag ----------------------------------------------------------

TEST_F(BookkeepingTest, RecordsAppendedOutOfIndexOrderAreAllLocated) {
  // An empty table indexed on Name counts as sorted; appending d, c, b, a, e
  // puts the list out of order, and Locate must stop trusting the order.
  MakeFile({});
  table.SetIndexFieldNames("Name");
  table.Open();
  for (const char* name : {"d", "c", "b", "a", "e"}) AppendName(name);
  ASSERT_EQ(Names(), (std::vector<std::string>{"d", "c", "b", "a", "e"}));
  ExpectEveryNameLocated({"a", "b", "c", "d", "e"});
  EXPECT_FALSE(table.Locate("Name", "f", {}));
}

TEST_F(BookkeepingTest, RecordsAddedWithValuesOutOfIndexOrderAreAllLocated) {
  // The same through AppendRecord and InsertRecord, which post in one step.
  MakeFile({"b", "d"});
  table.SetIndexFieldNames("Name");
  table.Open();
  table.AppendRecord({TVariant("a")});
  table.Last();
  table.InsertRecord({TVariant("c")});
  table.First();
  table.InsertRecord({TVariant("e")});
  ExpectEveryNameLocated({"a", "b", "c", "d", "e"});
}

TEST_F(BookkeepingTest, AnEditThatKeepsTheOrderStillUsesItAndOneThatBreaksItDoesNot) {
  MakeFile({"a", "c", "e", "g"});
  table.SetIndexFieldNames("Name");
  table.Open();
  ASSERT_TRUE(table.IsIndexPrefix("Name"));
  ASSERT_TRUE(table.Locate("Name", "c", {}));
  table.Edit();
  table.FieldByName("Name")->SetAsString("d");  // still between a and e
  table.Post();
  EXPECT_TRUE(table.IsIndexPrefix("Name"));
  ASSERT_TRUE(table.Locate("Name", "e", {}));
  table.Edit();
  table.FieldByName("Name")->SetAsString("b");  // now before d
  table.Post();
  EXPECT_FALSE(table.IsIndexPrefix("Name"));
  ExpectEveryNameLocated({"a", "b", "d", "g"});
}

TEST_F(BookkeepingTest, ASearchThatRealignsAnIndexFieldStopsTrustingTheOrder) {
  // Plain text order is 10, 100, 9. A right-aligned SmallStr compares shorter
  // texts first (9, 10, 100): once a search makes the field right-aligned,
  // the list is no longer in the order a binary search would assume.
  MakeFile({"10", "100", "9"});
  table.SetIndexFieldNames("Tag");
  table.Open();
  ASSERT_EQ(Names(), (std::vector<std::string>{"10", "100", "9"}));
  table.FieldByName("Tag")->SetAlignment(taRightJustify);
  for (const char* tag : {"9", "10", "100"}) {
    table.First();
    EXPECT_TRUE(table.Locate("Tag", tag, {})) << tag;
    EXPECT_EQ(Name(), tag);
  }
}

// ---- The visible list ---------------------------------------------------------

TEST_F(BookkeepingTest, TheVisibleListFollowsPostsDeletesAndUndos) {
  MakeFile({"one", "two"});
  table.Open();
  AppendName("three");
  table.AppendRecord({TVariant("four")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(table.RecordCount(), 4);

  ASSERT_TRUE(table.Locate("Name", "two", {}));
  table.Delete();
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "three", "four"}));
  EXPECT_EQ(table.RecordCount(), 3);

  // Undoing every change drops the new records and brings the deleted one back.
  table.CancelChanges();
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(BookkeepingTest, CommittingKeepsWhatIsShownAndLaterUndosStopThere) {
  MakeFile({"one", "two"});
  table.SetIndexFieldNames("Name");
  table.Open();
  AppendName("a new one");
  ASSERT_TRUE(table.Locate("Name", "two", {}));
  table.Delete();
  table.CommitChanges();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a new one", "one"}));
  AppendName("zz");
  table.CancelChanges();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a new one", "one"}));
  EXPECT_EQ(table.RecordCount(), 2);
}

// A commit of a list in index order keeps it without sorting again; it must
// still take in what another dataset on the same store added meanwhile.
TEST_F(BookkeepingTest, CommittingASortedListKeepsItsOrderAndTakesInAClonesRecord) {
  MakeFile({"one", "three", "two"});
  table.SetIndexFieldNames("Name");
  table.Open();
  ASSERT_TRUE(table.Locate("Name", "three", {}));
  table.Delete();
  table.CommitChanges();
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));

  TVelaTable clone;
  clone.SetName("Clone");
  clone.SetCloneDS(&table);
  clone.Open();
  clone.Append();
  clone.FieldByName("Name")->SetAsString("a first one");
  clone.Post();
  ASSERT_TRUE(table.Locate("Name", "two", {}));
  table.Delete();
  table.CommitChanges();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a first one", "one"}));
  clone.Close();
}

// ---- The change count ---------------------------------------------------------

TEST_F(BookkeepingTest, TheChangeCountRisesWithEveryChangeAndFallsWithItsCancel) {
  MakeFile({"one", "two"});
  std::vector<bool> told;  // ChangesPending at each OnNeedToSaveChange
  table.OnNeedToSaveChange = TNotifyEvent([&](TObject*) { told.push_back(table.ChangesPending()); });
  table.Open();

  table.Edit();
  table.FieldByName("Name")->SetAsString("uno");
  table.Post();
  EXPECT_EQ(table.ChangeCount(), 1);
  AppendName("three");
  EXPECT_EQ(table.ChangeCount(), 2);
  table.Delete();
  EXPECT_EQ(table.ChangeCount(), 3);
  EXPECT_EQ(told, std::vector<bool>{true});  // told once, on the first change
  EXPECT_EQ(db.ChangedDatasets().size(), 1u);

  // A cancelled edit or insert is no change.
  table.First();
  table.Edit();
  table.Cancel();
  table.Append();
  table.Cancel();
  EXPECT_EQ(table.ChangeCount(), 3);

  table.CommitChanges();
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_FALSE(table.ChangesPending());
  EXPECT_EQ(told, (std::vector<bool>{true, false}));
  EXPECT_TRUE(db.ChangedDatasets().empty());

  // From one change back to none through Cancel of the only edit.
  table.Edit();
  EXPECT_EQ(table.ChangeCount(), 1);
  table.Cancel();
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
  EXPECT_TRUE(db.ChangedDatasets().empty());
}

TEST_F(BookkeepingTest, SavingThroughTheDatabaseLeavesNoChangePending) {
  MakeFile({"one"});
  table.Open();
  AppendName("two");
  ASSERT_TRUE(table.ChangesPending());
  db.SaveDatasets({&table});
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_TRUE(db.ChangedDatasets().empty());

  // What was saved is committed: undoing later changes stops there.
  AppendName("three");
  EXPECT_EQ(table.ChangeCount(), 1);
  table.CancelChanges();
  EXPECT_EQ(table.ChangeCount(), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
}

// ---- The autoincrement counter ------------------------------------------------

TEST_F(BookkeepingTest, NewRecordsTakeTheNextKeyAfterTheHighestEverGiven) {
  MakeFile({"one", "two", "three"});
  table.Open();
  AppendName("four");
  EXPECT_EQ(Key(), 4);
  // Deleting the highest does not give its key out again.
  table.Delete();
  AppendName("five");
  EXPECT_EQ(Key(), 5);
  table.SaveChanges();
  table.Close();

  // The file holds keys 1, 2, 3 and 5: the next one after a reload is 6.
  table.Open();
  AppendName("six");
  EXPECT_EQ(Key(), 6);
}

// ---- The clone list -----------------------------------------------------------

TEST_F(BookkeepingTest, TheSourceKnowsExactlyWhichClonesAreOpen) {
  MakeFile({"one"});
  auto clone = std::make_unique<TVelaTable>();
  clone->SetCloneDS(&table);

  // A clone closed, or closed and opened again, is off the list.
  table.Open();
  clone->Open();
  clone->Close();
  clone->Open();
  clone->Close();
  EXPECT_NO_THROW(table.Close());
  EXPECT_FALSE(table.Active());

  // A clone destroyed while open is off the list too.
  table.Open();
  clone->Open();
  clone.reset();
  EXPECT_NO_THROW(table.Close());
  EXPECT_FALSE(table.Active());
}

TEST_F(BookkeepingTest, AnOpenCloneKeepsItsSourceFromClosing) {
  MakeFile({"one"});
  table.Open();
  TVelaTable first, second;
  first.SetCloneDS(&table);
  second.SetCloneDS(&table);
  first.Open();
  second.Open();
  first.Close();
  EXPECT_THROW(table.Close(), EDatabaseError);  // second is still open
  second.Close();
}

}  // namespace
