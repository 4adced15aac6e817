// The recovery journal: what a table posts reaches the disk at once, and a
// later open gets it back, throws it away, or refuses it when it does not
// belong to the table file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "table_bytes.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;
using namespace tt;

namespace {

namespace fs = std::filesystem;

class JournalTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("notarra-journal-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    db.SetDatabasePath(dir.string());
    table.SetName("BlogI_");
    table.SetDatabase(&db);
    table.SetTableName("ideas.d");
    table.SetIndexFieldNames("Subject");
    table.SetJournaled(true);
    TVelaCursor c;
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Notes", TVelaFieldKind::Memo);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    int32_t key = 0;
    for (const char* subject : {"apple", "banana", "cherry"}) {
      Area a(c);
      a.text("Subject", subject).blob("Notes", std::string("notes of ") + subject).set<int32_t>("Key", ++key);
      c.AppendRecord(a);
    }
    c.SaveToFile(TablePath(), 0, false, "");
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
  }

  std::string TablePath() const { return (dir / "ideas.d").string(); }
  std::string Journal() const { return (dir / "ideas.d.journal").string(); }
  std::vector<std::string> Subjects() {
    std::vector<std::string> out;
    for (table.First(); !table.Eof(); table.Next()) out.push_back(table.FieldByName("Subject")->AsString());
    return out;
  }
  void Go(const std::string& subject) { ASSERT_TRUE(table.Locate("Subject", TVariant(subject), {})); }
  void SetSubject(const std::string& from, const std::string& to) {
    Go(from);
    table.Edit();
    table.FieldByName("Subject")->SetAsString(to);
    table.Post();
  }
  void Add(const std::string& subject) {
    table.Append();
    table.FieldByName("Subject")->SetAsString(subject);
    table.Post();
  }
  // Posts a change of every kind, then ends as a crash would: no save.
  void PostAndLeave() {
    table.Open();
    SetSubject("banana", "blueberry");
    Add("damson");
    Go("apple");
    table.Delete();
    table.Close();
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable table;
};

TEST_F(JournalTest, PostedChangesComeBackAfterTheProgramEndedWithoutSaving) {
  PostAndLeave();
  ASSERT_TRUE(fs::exists(Journal()));
  table.Open();
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"apple", "banana", "cherry"}));  // the file as it was
  ASSERT_NE(table.LeftJournal(), nullptr);
  EXPECT_EQ(table.LeftJournal()->Entries.size(), 3u);
  EXPECT_GT(table.LeftJournal()->LastTime(), 0);
  EXPECT_EQ(table.LeftJournalProblem(), "");

  table.RestoreJournal();
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"blueberry", "cherry", "damson"}));
  EXPECT_EQ(table.ChangeCount(), 3);
  EXPECT_TRUE(db.ChangedDatasets().size() == 1);
  Go("damson");
  EXPECT_EQ(table.FieldByName("Key")->AsInteger(), 4);
  Go("blueberry");
  EXPECT_EQ(table.FieldByName("Notes")->AsString(), "notes of banana");

  // Journaling goes on in the same file: a second crash loses nothing either.
  Add("elderberry");
  table.Close();
  table.Open();
  table.RestoreJournal();
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"blueberry", "cherry", "damson", "elderberry"}));

  // Saving writes them all and empties the journal.
  db.SaveDatasets({&table});
  EXPECT_FALSE(fs::exists(Journal()));
  table.Close();
  table.Open();
  EXPECT_EQ(table.LeftJournal(), nullptr);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"blueberry", "cherry", "damson", "elderberry"}));
}

TEST_F(JournalTest, ChangesAfterASaveAreJournaledAgainstTheNewFile) {
  table.Open();
  Go("apple");
  table.Delete();  // every later record moves up one place in the saved file
  Add("aardvark");
  db.SaveDatasets({&table});
  SetSubject("cherry", "coconut");
  SetSubject("aardvark", "apricot");
  table.Close();

  table.Open();
  ASSERT_NE(table.LeftJournal(), nullptr);
  table.RestoreJournal();
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"apricot", "banana", "coconut"}));
}

TEST_F(JournalTest, DiscardAndCancelChangesRemoveTheJournal) {
  PostAndLeave();
  table.Open();
  table.DiscardJournal();
  EXPECT_FALSE(fs::exists(Journal()));
  EXPECT_EQ(table.LeftJournal(), nullptr);
  EXPECT_FALSE(table.ChangesPending());

  SetSubject("cherry", "cranberry");
  EXPECT_TRUE(fs::exists(Journal()));
  table.CancelChanges();
  EXPECT_FALSE(fs::exists(Journal()));
  table.Close();
  table.Open();
  EXPECT_EQ(table.LeftJournal(), nullptr);
}

TEST_F(JournalTest, NothingIsWrittenWithoutAPostedChange) {
  table.Open();
  table.Append();
  table.Cancel();
  Go("apple");
  table.Edit();
  table.Cancel();
  table.Close();
  EXPECT_FALSE(fs::exists(Journal()));

  // And nothing at all for a table that keeps no journal.
  table.SetJournaled(false);
  table.Open();
  SetSubject("apple", "avocado");
  table.Close();
  EXPECT_FALSE(fs::exists(Journal()));
}

TEST_F(JournalTest, ADamagedJournalIsNeverApplied) {
  PostAndLeave();
  std::string bytes;
  ReadWholeFile(Journal(), bytes);
  for (std::size_t at : {bytes.size() - 3, std::size_t{20}, std::size_t{60}}) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x40);
    std::ofstream(Journal(), std::ios::binary | std::ios::trunc) << damaged;
    table.Open();
    EXPECT_NE(table.LeftJournalProblem(), "") << at;
    EXPECT_THROW(table.RestoreJournal(), EDatabaseError);
    EXPECT_EQ(Subjects(), (std::vector<std::string>{"apple", "banana", "cherry"}));
    EXPECT_FALSE(table.ChangesPending());
    table.Close();
  }
  // Cut short, as by a power cut in the middle of an append.
  std::ofstream(Journal(), std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() - 5);
  table.Open();
  EXPECT_NE(table.LeftJournalProblem().find("cut short"), std::string::npos);

  // Kept aside, not lost, and the next change starts a journal of its own.
  const std::string kept = table.KeepJournalAside();
  EXPECT_EQ(kept, Journal() + ".kept");
  EXPECT_TRUE(fs::exists(kept));
  SetSubject("cherry", "cranberry");
  table.Close();
  table.Open();
  ASSERT_NE(table.LeftJournal(), nullptr);
  EXPECT_EQ(table.LeftJournal()->Entries.size(), 1u);
}

TEST_F(JournalTest, AJournalOfAnotherVersionOfTheFileIsRefused) {
  PostAndLeave();
  // Another program rewrites the table: the journal's places mean nothing there.
  {
    TVelaDatabase otherDb;  // outlives the table that tells it of its closing
    TVelaTable other;
    otherDb.SetDatabasePath(dir.string());
    other.SetDatabase(&otherDb);
    other.SetTableName("ideas.d");
    other.Open();
    other.Edit();
    other.FieldByName("Subject")->SetAsString("changed elsewhere");
    other.Post();
    otherDb.SaveDatasets({&other});
  }
  table.Open();
  EXPECT_NE(table.LeftJournalProblem().find("changed"), std::string::npos);
  EXPECT_THROW(table.RestoreJournal(), EDatabaseError);
  EXPECT_FALSE(table.ChangesPending());
  // The journal stays where it is until someone decides.
  EXPECT_TRUE(fs::exists(Journal()));
}

TEST_F(JournalTest, AJournalThatDoesNotFitItsTableLeavesNoChangeBehind) {
  PostAndLeave();
  // A journal that claims a record the file never had, with a valid stamp:
  // the first changes apply, then the misfit undoes all of them.
  table.Open();
  TVelaJournalWriter writer;
  const TVelaJournalContents left = *table.LeftJournal();
  table.DiscardJournal();
  writer.Begin(Journal(), left.Stamp);
  writer.Append(left.Entries[0]);
  TVelaJournalEntry bogus = left.Entries[0];
  bogus.Ordinal = 99;
  writer.Append(bogus);
  writer.Close();
  table.Close();

  table.Open();
  EXPECT_THROW(table.RestoreJournal(), EDatabaseError);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"apple", "banana", "cherry"}));
  EXPECT_FALSE(table.ChangesPending());
}

}  // namespace
