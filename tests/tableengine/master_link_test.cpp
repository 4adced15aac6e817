// The master-detail link of the engine's tables: a detail table follows
// the record of its master's data source through a range over its
// RangeFieldNames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../dataset/test_dataset.h"
#include "dataset/data_source.h"
#include "platform/exceptions.h"
#include "table_bytes.h"
#include "tableengine/master_link.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

class MasterLinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("notarra-master-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    db.SetDatabasePath(dir.string());
    MakeGroups({"Home", "", "Tech"});
    MakeIdeas({{"Tech", "a"}, {"Home", "b"}, {"Tech", "c"}, {"", "d"}, {"Other", "e"}});
    groups.SetName("Group_");
    groups.SetDatabase(&db);
    groups.SetTableName("group.d");
    groupSource.SetName("dsGroup");
    groupSource.SetDataSet(&groups);
    ideas.SetName("BlogI_");
    ideas.SetDatabase(&db);
    ideas.SetTableName("ideas.d");
    ideaSource.SetName("dsBlog");
    ideaSource.SetDataSet(&ideas);
  }
  void TearDown() override {
    ideas.Close();
    groups.Close();
    fs::remove_all(dir);
  }

  void MakeGroups(const std::vector<std::string>& names) {
    TVelaCursor c;
    c.AddField("Name", TVelaFieldKind::SmallStr, 20);
    for (const std::string& name : names) {
      Area a(c);
      a.text("Name", name);
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "group.d").string(), 0, false, "");
  }
  void MakeIdeas(const std::vector<std::pair<std::string, std::string>>& rows) {
    TVelaCursor c;
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    int32_t key = 0;
    for (auto& [group, subject] : rows) {
      Area a(c);
      a.text("Group", group).text("Subject", subject).set<int32_t>("Key", ++key);
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  }

  // The ideas linked to the groups by Group = Name.
  void LinkIdeasToGroups() {
    ideas.SetRangeFieldNames("Group");
    ideas.SetMasterSource(&groupSource);
    ideas.SetMasterFields("Name");
  }
  std::string Subjects() {
    std::string out;
    TBookmark at = ideas.Bookmark();
    ideas.First();
    while (!ideas.Eof()) {
      out += ideas.FieldByName("Subject")->AsString();
      ideas.Next();
    }
    if (ideas.BookmarkValid(at)) ideas.GotoBookmark(at);
    return out;
  }
  std::string GroupName() { return groups.FieldByName("Name")->AsString(); }
  std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& e) {
      return e.Message();
    }
    return "no error";
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable groups;
  TDataSource groupSource;
  TVelaTable ideas;
  TDataSource ideaSource;
};

TEST_F(MasterLinkTest, DetailFollowsTheMasterRecord) {
  LinkIdeasToGroups();
  groups.Open();
  ideas.Open();
  ASSERT_EQ(GroupName(), "Home");
  EXPECT_EQ(Subjects(), "b");
  groups.Next();  // the group without a name: the ideas without a group
  EXPECT_EQ(GroupName(), "");
  EXPECT_EQ(Subjects(), "d");
  groups.Next();
  EXPECT_EQ(Subjects(), "ac");
  EXPECT_EQ(ideas.RecordCount(), 2);
  groups.First();
  EXPECT_EQ(Subjects(), "b");
  ASSERT_TRUE(groups.Locate("Name", TVariant(std::string("Tech")), {}));
  EXPECT_EQ(Subjects(), "ac");
  EXPECT_EQ(ideas.FieldByName("Subject")->AsString(), "a");  // the detail starts at its first record

  // Changing the master field moves the detail at once, before the master posts.
  groups.Edit();
  groups.FieldByName("Name")->SetAsString("Other");
  EXPECT_EQ(Subjects(), "e");
  groups.Cancel();
  EXPECT_EQ(Subjects(), "ac");
}

TEST_F(MasterLinkTest, OpeningOrderAndMasterStateDecideTheRange) {
  LinkIdeasToGroups();
  ideas.Open();  // the master is closed: nothing restricts
  EXPECT_EQ(Subjects(), "abcde");
  groups.Open();
  EXPECT_EQ(Subjects(), "b");
  groups.Close();
  EXPECT_EQ(Subjects(), "abcde");
  groupSource.SetEnabled(false);
  groups.Open();
  EXPECT_EQ(Subjects(), "abcde");
  groupSource.SetEnabled(true);
  EXPECT_EQ(Subjects(), "b");

  // The link is resolved again when the detail reopens; range fields given
  // while it is closed take effect then.
  ideas.Close();
  groups.Last();
  ideas.SetRangeFieldNames("Subject");
  ideas.SetRangeFieldNames("Group");
  ideas.Open();
  EXPECT_EQ(Subjects(), "ac");
}

TEST_F(MasterLinkTest, EmptyMasterFieldsNeverRestrict) {
  // As the group table on the main window: a master source, no master fields.
  ideas.SetMasterSource(&groupSource);
  ideas.SetRangeFieldNames("Group");
  groups.Open();
  ideas.Open();
  EXPECT_EQ(Subjects(), "abcde");
  groups.Last();
  EXPECT_EQ(Subjects(), "abcde");
  EXPECT_EQ(ideas.MasterSource(), &groupSource);
  EXPECT_EQ(ideas.MasterFields(), "");

  // Naming master fields restricts at once; clearing them lifts the range.
  ideas.SetMasterFields("Name");
  EXPECT_EQ(Subjects(), "ac");
  EXPECT_EQ(ideas.MasterLink()->Fields().size(), 1u);
  ideas.SetMasterFields("");
  EXPECT_EQ(Subjects(), "abcde");
  EXPECT_TRUE(ideas.MasterLink()->Fields().empty());

  // Removing the master source lifts it too.
  ideas.SetMasterFields("Name");
  EXPECT_EQ(Subjects(), "ac");
  ideas.SetMasterSource(nullptr);
  EXPECT_EQ(Subjects(), "abcde");
  groups.First();
  EXPECT_EQ(Subjects(), "abcde");
}

TEST_F(MasterLinkTest, UnknownMasterFieldRaisesAndRestrictsNothing) {
  ideas.SetRangeFieldNames("Group");
  ideas.SetMasterSource(&groupSource);
  groups.Open();
  ideas.Open();
  EXPECT_EQ(ErrorOf([&] { ideas.SetMasterFields("Nope"); }), "Group_: Field 'Nope' not found");
  EXPECT_TRUE(ideas.MasterLink()->Fields().empty());
  EXPECT_EQ(Subjects(), "abcde");
}

TEST_F(MasterLinkTest, CircularLinksAreRefused) {
  LinkIdeasToGroups();
  // The master cannot follow its own detail, nor a dataset its own source.
  EXPECT_EQ(ErrorOf([&] { groups.SetMasterSource(&ideaSource); }), "Group_: Circular data link");
  EXPECT_EQ(groups.MasterSource(), nullptr);
  EXPECT_EQ(ErrorOf([&] { ideas.SetMasterSource(&ideaSource); }), "BlogI_: Circular data link");
  EXPECT_EQ(ideas.MasterSource(), &groupSource);

  // A longer chain: ideas follow groups, groups follow a third table.
  TVelaTable users;
  users.SetName("Userdef_");
  TDataSource userSource;
  userSource.SetDataSet(&users);
  groups.SetMasterSource(&userSource);
  EXPECT_EQ(ErrorOf([&] { users.SetMasterSource(&ideaSource); }), "Userdef_: Circular data link");
  EXPECT_EQ(users.MasterSource(), nullptr);
  groups.SetMasterSource(nullptr);
}

TEST_F(MasterLinkTest, OnlyEngineDatasetsCanBeMasters) {
  TTestDataSet foreign({{"Name", ftString, 20}});
  foreign.SetName("Foreign");
  TDataSource foreignSource;
  foreignSource.SetDataSet(&foreign);
  ideas.SetMasterSource(&groupSource);
  EXPECT_EQ(ErrorOf([&] { ideas.SetMasterSource(&foreignSource); }),
            "BlogI_: Use only TVelaDataset descendants for master-detail relationship");
  EXPECT_EQ(ideas.MasterSource(), &groupSource);  // the link stays as it was
  // A source without a dataset yet is accepted.
  TDataSource emptySource;
  ideas.SetMasterSource(&emptySource);
  EXPECT_EQ(ideas.MasterSource(), &emptySource);
}

TEST_F(MasterLinkTest, NewDetailRecordsTakeTheMasterValues) {
  LinkIdeasToGroups();
  groups.Open();
  ideas.Open();
  groups.Last();
  ideas.Append();
  EXPECT_EQ(ideas.FieldByName("Group")->AsString(), "Tech");
  ideas.FieldByName("Subject")->SetAsString("f");
  ideas.Post();
  EXPECT_EQ(Subjects(), "acf");

  // An OnNewRecord handler comes after the master values and may change them.
  ideas.OnNewRecord = [this](TDataSet*) { ideas.FieldByName("Subject")->SetAsString("new"); };
  groups.First();
  ideas.Insert();
  EXPECT_EQ(ideas.FieldByName("Group")->AsString(), "Home");
  EXPECT_EQ(ideas.FieldByName("Subject")->AsString(), "new");
  ideas.Cancel();

  // Without master fields the new record keeps its defaults.
  ideas.SetMasterFields("");
  ideas.Append();
  EXPECT_TRUE(ideas.FieldByName("Group")->IsNull());
  ideas.Cancel();
}

TEST_F(MasterLinkTest, MovingTheMasterPostsThePendingDetailEdit) {
  LinkIdeasToGroups();
  groups.Open();
  ideas.Open();
  groups.Last();
  ideas.Edit();
  ideas.FieldByName("Subject")->SetAsString("A");
  groups.First();
  EXPECT_EQ(ideas.State(), dsBrowse);
  EXPECT_EQ(Subjects(), "b");
  groups.Last();
  EXPECT_EQ(Subjects(), "Ac");
}

TEST_F(MasterLinkTest, SeveralMasterFieldsMatchFieldByField) {
  // Ideas keyed by group and subject, followed from a table holding both.
  TVelaCursor c;
  c.AddField("Name", TVelaFieldKind::SmallStr, 20);
  c.AddField("Topic", TVelaFieldKind::String, 256);
  for (auto [name, topic] : std::vector<std::pair<const char*, const char*>>{{"Tech", "c"}, {"Home", "b"}}) {
    Area a(c);
    a.text("Name", name).text("Topic", topic);
    c.AppendRecord(a);
  }
  c.SaveToFile((dir / "group.d").string(), 0, false, "");
  ideas.SetRangeFieldNames("Group;Subject");
  ideas.SetMasterSource(&groupSource);
  ideas.SetMasterFields("Name;Topic");
  groups.Open();
  ideas.Open();
  EXPECT_EQ(Subjects(), "c");
  groups.Next();
  EXPECT_EQ(Subjects(), "b");
  ideas.Append();
  EXPECT_EQ(ideas.FieldByName("Group")->AsString(), "Home");
  EXPECT_EQ(ideas.FieldByName("Subject")->AsString(), "b");
  ideas.Cancel();
}

}  // namespace

// ---- Refresh of a detail whose range cannot be rebuilt --------------------------

namespace {

class DetailRefreshTest : public MasterLinkTest {};

TEST_F(DetailRefreshTest, AFailedRangeAfterTheReloadShowsNoRecordOfTheOldStore) {
  LinkIdeasToGroups();
  groups.Open();
  ideas.Open();
  bool fail = false;
  ideas.OnFilterRecord = [&](TDataSet*, bool&) {
    if (fail) DatabaseError("handler refused", &ideas);
  };
  ideas.SetFiltered(true);
  ASSERT_EQ(Subjects(), "b");
  fail = true;
  EXPECT_NE(ErrorOf([&] { ideas.Refresh(); }), "no error");
  fail = false;
  // The reload replaced every record; the visible list may only hold the new ones.
  const TVelaRecordList& records = ideas.Store()->Records();
  for (TVelaRecord* record : ideas.VisibleRecords())
    EXPECT_NE(std::find(records.begin(), records.end(), record), records.end());
  EXPECT_EQ(ideas.IsEmpty(), ideas.VisibleRecords().empty());
  // Nor may the rows it shows name records of the old store: an edit starts
  // from the active row's record.
  if (!ideas.IsEmpty()) {
    ideas.Edit();
    ideas.FieldByName("Subject")->SetAsString("bb");
    ideas.Post();
  }
  // The dataset goes on working: moving the master rebuilds the detail.
  groups.Last();
  EXPECT_EQ(Subjects(), "ac");
}

}  // namespace
