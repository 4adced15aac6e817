// Locate and Lookup, ranges and Refresh on a real table with the idea
// table's fields. Expected answers are worked out by walking the visible
// records through the ordinary navigation, never through the search code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dataset/field.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "table_bytes.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

struct Row {
  bool flag;
  std::string subject, group, user1;
};

const std::vector<Row> kRows = {
    {true, "Blog post", "Work", "ten"},     // 1
    {false, "ABC", "Home", ""},             // 2
    {true, "abc", "Work", "x"},             // 3
    {false, "", "", ""},                    // 4
    {true, "Blog ideas", "Travel", "b"},    // 5
    {false, "zeta", "Home", "x"},           // 6
    {true, "Work plan", "Work", "a"},       // 7
    {false, "blogging", "Home", "b"},       // 8
};

void AddIdeaFields(TVelaCursor& c) {
  c.AddField("Flag", TVelaFieldKind::Boolean);
  c.AddField("Subject", TVelaFieldKind::String, 256);
  c.AddField("Group", TVelaFieldKind::SmallStr, 20);
  c.AddField("Notes", TVelaFieldKind::FmtMemo);
  c.AddField("Key", TVelaFieldKind::AutoInc);
  c.AddField("UserField1", TVelaFieldKind::SmallStr, 20);
}

void AddRow(TVelaCursor& c, const Row& r, int32_t key) {
  Area a(c);
  a.set<int16_t>("Flag", r.flag ? -1 : 0).text("Subject", r.subject).text("Group", r.group);
  a.text("UserField1", r.user1).set<int32_t>("Key", key);
  c.AppendRecord(a);
}

class SearchTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("notarra-search-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    WriteTable(kRows);
    db.SetName("Veladb");
    db.SetDatabasePath(dir.string());
    table.SetName("BlogI_");
    table.SetDatabase(&db);
    table.SetTableName("ideas.d");
    table.SetLoadMode(lmFile);
    table.SetIndexFieldNames("Group;Subject");
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
  }
  void WriteTable(const std::vector<Row>& rows, const std::vector<int32_t>& keys = {}) {
    TVelaCursor c;
    AddIdeaFields(c);
    for (std::size_t i = 0; i < rows.size(); ++i)
      AddRow(c, rows[i], keys.empty() ? static_cast<int32_t>(i) + 1 : keys[i]);
    c.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  }

  int CurrentKey() { return table.FieldByName("Key")->AsInteger(); }
  // Keys of the visible records in visible order.
  std::vector<int> Keys() {
    std::vector<int> out;
    table.First();
    while (!table.Eof()) {
      out.push_back(CurrentKey());
      table.Next();
    }
    return out;
  }
  // The key of the first visible record for which pred holds (0: none),
  // found by walking with First and Next; the position is put back.
  int FirstWhere(const std::function<bool()>& pred) {
    const TBookmark mark = table.Bookmark();
    int result = 0;
    for (table.First(); !table.Eof(); table.Next())
      if (pred()) {
        result = CurrentKey();
        break;
      }
    table.GotoBookmark(mark);
    return result;
  }
  std::string Text(const char* field) { return table.FieldByName(field)->AsString(); }
  static std::string ErrorOf(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "";
  }

  fs::path dir;
  TVelaDatabase db;
  TVelaTable table;
};

// ---- Locate -----------------------------------------------------------------

TEST_F(SearchTest, LocateOnAnIndexPrefixFindsTheFirstRecordOfTheGroup) {
  table.Open();
  ASSERT_TRUE(table.IsIndexPrefix("Group"));
  ASSERT_TRUE(table.IsIndexPrefix("group;SUBJECT"));
  EXPECT_FALSE(table.IsIndexPrefix("Subject"));
  EXPECT_FALSE(table.IsIndexPrefix("Gro"));
  for (const char* group : {"Home", "Work", "Travel"}) {
    const int expected = FirstWhere([&] { return Text("Group") == group; });
    ASSERT_TRUE(table.Locate("Group", group, {})) << group;
    EXPECT_EQ(CurrentKey(), expected) << group;
    EXPECT_EQ(Text("Group"), group);
  }
  // Home's first record in Group;Subject order is "ABC" (capitals first).
  ASSERT_TRUE(table.Locate("Group", "Home", {}));
  EXPECT_EQ(CurrentKey(), 2);
  EXPECT_FALSE(table.Locate("Group", "Nowhere", {}));
  EXPECT_EQ(CurrentKey(), 2);  // the position stays
}

TEST_F(SearchTest, BinarySearchAndWalkGiveTheSameAnswers) {
  // Many records with repeated keys, so that "the first one" matters.
  std::vector<Row> rows;
  uint32_t seed = 12345;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char* groups[] = {"Alpha", "beta", "Beta", "Gamma", "", "delta"};
  for (int i = 0; i < 400; ++i)
    rows.push_back({next() % 2 == 0, "S" + std::to_string(next() % 37), groups[next() % 6], ""});
  WriteTable(rows);
  table.Open();
  const std::vector<std::pair<std::string, std::string>> probes = {
      {"Alpha", "S3"}, {"beta", "S10"}, {"Beta", "S36"}, {"", "S0"}, {"Gamma", "S99"}, {"delta", "S22"}};

  for (const char* index : {"Group;Subject", "Key", "Subject"}) {
    for (bool caseInsensitiveSort : {false, true}) {
      table.SetIndexFieldNames(index);
      table.SetSortOptions(caseInsensitiveSort ? TVelaSortOptions{vsoCaseInsensitive} : TVelaSortOptions{});
      for (const auto& [group, subject] : probes) {
        const int expected = FirstWhere([&] { return Text("Group") == group && Text("Subject") == subject; });
        const bool found = table.Locate("Group;Subject", VarArrayOf({group, subject}), {});
        EXPECT_EQ(found, expected != 0) << index << " " << group << "/" << subject;
        if (found) {
          EXPECT_EQ(CurrentKey(), expected) << index << " " << group << "/" << subject;
        }
        // A walk with an option that changes nothing for these values agrees.
        if (!group.empty()) {
          const bool walked = table.Locate("Group;Subject", VarArrayOf({group, subject}), {loPartialKey});
          const int expectedPartial = FirstWhere([&] {
            return Text("Group").starts_with(group) && Text("Subject").starts_with(subject);
          });
          EXPECT_EQ(walked, expectedPartial != 0);
          if (walked) {
            EXPECT_EQ(CurrentKey(), expectedPartial);
          }
        }
      }
    }
  }
}

TEST_F(SearchTest, LocateWithVsoCaseInsensitiveWalksAndStillFinds) {
  table.SetSortOptions({vsoCaseInsensitive});
  table.Open();
  EXPECT_FALSE(table.IsIndexPrefix("Group"));
  const int expected = FirstWhere([&] { return Text("Group") == "Work"; });
  ASSERT_TRUE(table.Locate("Group", "Work", {}));
  EXPECT_EQ(CurrentKey(), expected);
}

TEST_F(SearchTest, LocateInADescendingList) {
  table.SetSortOptions({vsoDescendSort});
  table.Open();
  ASSERT_TRUE(table.IsIndexPrefix("Group"));
  const int expected = FirstWhere([&] { return Text("Group") == "Home"; });
  ASSERT_TRUE(table.Locate("Group", "Home", {}));
  EXPECT_EQ(CurrentKey(), expected);
  EXPECT_EQ(Text("Subject"), "zeta");
}

TEST_F(SearchTest, PartialAndCaseInsensitiveLocate) {
  table.SetIndexFieldNames("Key");
  table.Open();
  EXPECT_FALSE(table.Locate("Subject", "blog", {}));
  ASSERT_TRUE(table.Locate("Subject", "blog", {loPartialKey}));
  EXPECT_EQ(CurrentKey(), 8);  // "blogging": case counts
  ASSERT_TRUE(table.Locate("Subject", "blog", {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(CurrentKey(), 1);  // "Blog post"
  ASSERT_TRUE(table.Locate("Subject", "abc", {loCaseInsensitive}));
  EXPECT_EQ(CurrentKey(), 2);  // "ABC"
  EXPECT_FALSE(table.Locate("Subject", "ab", {loCaseInsensitive}));
  ASSERT_TRUE(table.Locate("UserField1", "TEN", {loCaseInsensitive}));  // a short text field
  EXPECT_EQ(CurrentKey(), 1);
  EXPECT_FALSE(table.Locate("UserField1", "", {loPartialKey}) && Text("UserField1").empty());  // empty is null
  // Several fields, each matched by its own rule.
  ASSERT_TRUE(table.Locate("Group;Subject", VarArrayOf({"work", "WORK"}), {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(CurrentKey(), 7);
  // Non-text fields compare values, whatever the options.
  ASSERT_TRUE(table.Locate("Key", 6, {loPartialKey}));
  EXPECT_EQ(CurrentKey(), 6);
  EXPECT_FALSE(table.Locate("Key", "abc", {loPartialKey}));
}

TEST_F(SearchTest, NullKeysAndWrongFieldListsFindNothing) {
  table.Open();
  table.Locate("Subject", "zeta", {loPartialKey});
  ASSERT_EQ(CurrentKey(), 6);
  EXPECT_FALSE(table.Locate("Group", Null(), {}));
  EXPECT_FALSE(table.Locate("Group", Unassigned(), {}));
  EXPECT_FALSE(table.Locate("Group", Null(), {loCaseInsensitive}));
  EXPECT_FALSE(table.Locate("", "Work", {}));
  EXPECT_FALSE(table.Locate(" ; ", "Work", {}));
  EXPECT_FALSE(table.Locate("Group;Subject", VarArrayOf({"Work"}), {loPartialKey}));  // too few values
  EXPECT_EQ(CurrentKey(), 6);
  EXPECT_EQ(ErrorOf([&] { table.Locate("Nope", "x", {}); }), "BlogI_: Field 'Nope' not found");
  EXPECT_EQ(ErrorOf([&] { table.Locate("Notes", "x", {}); }),
            "BlogI_: There are calc or BLOB fields in list of key fields");
  EXPECT_EQ(CurrentKey(), 6);
}

TEST_F(SearchTest, LocateAfterAnEditThatBreaksTheOrderStillFinds) {
  table.Open();
  // Moving a Home record to "Zoo" leaves it among the Home records until
  // the next rebuild; a binary search over that list would miss it.
  ASSERT_TRUE(table.Locate("Subject", "ABC", {}));
  table.Edit();
  table.FieldByName("Group")->SetAsString("Zoo");
  table.Post();
  EXPECT_FALSE(table.IsIndexPrefix("Group"));
  ASSERT_TRUE(table.Locate("Group", "Zoo", {}));
  EXPECT_EQ(CurrentKey(), 2);
  ASSERT_TRUE(table.Locate("Group", "Work", {}));
  EXPECT_EQ(Text("Subject"), "Blog post");
  // A rebuild sorts again and the binary search comes back.
  table.SetIndexFieldNames("Group");
  table.SetIndexFieldNames("Group;Subject");
  EXPECT_TRUE(table.IsIndexPrefix("Group"));
}

TEST_F(SearchTest, InsertedRecordOutOfOrderIsStillFound) {
  table.Open();
  table.Append();
  table.FieldByName("Group")->SetAsString("Alps");
  table.FieldByName("Subject")->SetAsString("new");
  table.Post();
  ASSERT_TRUE(table.Locate("Group", "Alps", {}));
  EXPECT_EQ(Text("Subject"), "new");
}

TEST_F(SearchTest, RightJustifiedKeyFieldSortsShorterTextsFirst) {
  WriteTable({{false, "a", "10", ""}, {false, "b", "9", ""}, {false, "c", "100", ""}});
  table.SetIndexFieldNames("Group");
  table.Open();
  EXPECT_EQ(Keys(), (std::vector<int>{1, 3, 2}));  // left-aligned: by the text
  table.FieldByName("Group")->SetAlignment(taRightJustify);
  table.SetIndexFieldNames("");
  table.SetIndexFieldNames("Group");
  EXPECT_EQ(Keys(), (std::vector<int>{2, 1, 3}));
  ASSERT_TRUE(table.Locate("Group", "100", {}));
  EXPECT_EQ(CurrentKey(), 3);
}

// ---- Lookup -----------------------------------------------------------------

TEST_F(SearchTest, LookupReadsWithoutMoving) {
  table.Open();
  table.Locate("Subject", "zeta", {loPartialKey});
  ASSERT_EQ(CurrentKey(), 6);
  EXPECT_EQ(table.Lookup("Group;Subject", VarArrayOf({"Work", "abc"}), "Key").AsInteger(), 3);
  EXPECT_EQ(CurrentKey(), 6);
  const TVariant both = table.Lookup("Key", 5, "Subject;Group");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both[0].AsString(), "Blog ideas");
  EXPECT_EQ(both[1].AsString(), "Travel");
  EXPECT_TRUE(VarIsNull(table.Lookup("Key", 99, "Subject")));
  EXPECT_TRUE(VarIsNull(table.Lookup("Group", Null(), "Subject")));
  EXPECT_EQ(CurrentKey(), 6);
  EXPECT_EQ(Text("Subject"), "zeta");
  // The next move starts from where the cursor really is.
  table.Next();
  EXPECT_EQ(CurrentKey(), 5);  // visible order: 4, 2, 8, 6, 5, 1, 7, 3
  table.Prior();
  EXPECT_EQ(CurrentKey(), 6);
  EXPECT_EQ(ErrorOf([&] { table.Lookup("Key", 1, "Nope"); }), "BlogI_: Field 'Nope' not found");
  EXPECT_EQ(CurrentKey(), 6);
}

// ---- Ranges -----------------------------------------------------------------

TEST_F(SearchTest, RangesKeepRecordsBetweenInclusiveEnds) {
  table.SetIndexFieldNames("Key");
  table.SetRangeFieldNames("Group");
  table.Open();
  table.SetRange("Home\t", "Travel\t");
  EXPECT_TRUE(table.RangeActive());
  EXPECT_EQ(Keys(), (std::vector<int>{2, 5, 6, 8}));
  table.SetRange("Home", "Home");  // the last TAB may be missing
  EXPECT_EQ(Keys(), (std::vector<int>{2, 6, 8}));
  table.SetRange("Work\t", "Home\t");  // start after end: nothing
  EXPECT_EQ(table.RecordCount(), 0);
  table.SetRange("\t", "\t");  // the empty value
  EXPECT_EQ(Keys(), (std::vector<int>{4}));
  table.SetRange("", "");  // no values: no restriction
  EXPECT_EQ(Keys(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(SearchTest, OneValueForTwoRangeFieldsCoversTheSecondField) {
  table.SetRangeFieldNames("Group;Subject");
  table.Open();
  table.SetRange("Work\t", "Work\t");
  EXPECT_EQ(table.KeyBuffer(kbRangeStart).KeyCount, 1);
  EXPECT_EQ(Keys(), (std::vector<int>{1, 7, 3}));  // Group;Subject order
  table.SetRange("Work\tBlog post\t", "Work\tWork plan\t");
  EXPECT_EQ(Keys(), (std::vector<int>{1, 7}));
  // Ranges compare case-sensitively: "abc" sorts after "Work plan".
  table.SetRange("Work\tA\t", "Work\tZ\t");
  EXPECT_EQ(Keys(), (std::vector<int>{1, 7}));
}

TEST_F(SearchTest, RangeOnAFieldOutsideTheIndexAndWithAFilter) {
  table.SetIndexFieldNames("Key");
  table.SetRangeFieldNames("UserField1");
  table.Open();
  table.SetRange("a\t", "m\t");
  EXPECT_EQ(Keys(), (std::vector<int>{5, 7, 8}));
  table.SetFilter("Flag = TRUE");
  table.SetFiltered(true);
  EXPECT_EQ(Keys(), (std::vector<int>{5, 7}));
  table.CancelRange();
  EXPECT_FALSE(table.RangeActive());
  EXPECT_EQ(Keys(), (std::vector<int>{1, 3, 5, 7}));
  table.SetFiltered(false);
  EXPECT_EQ(table.RecordCount(), 8);
}

TEST_F(SearchTest, CancelRangeKeepsTheCurrentRecord) {
  table.SetRangeFieldNames("Group");
  table.Open();
  table.SetRange("Work\t", "Work\t");
  table.Last();
  const int key = CurrentKey();
  table.CancelRange();
  EXPECT_EQ(CurrentKey(), key);
  EXPECT_EQ(table.RecordCount(), 8);
}

TEST_F(SearchTest, RangeMessagesAndBadFieldLists) {
  TVelaTable never;
  never.SetName("Group_");
  EXPECT_EQ(ErrorOf([&] { never.ApplyRange(); }), "Group_: Cannot do this operation on closed dataset");
  EXPECT_EQ(ErrorOf([&] { never.CancelRange(); }), "Group_: Cannot do this operation on closed dataset");
  never.SetRange("a", "b");  // without a store nothing happens
  EXPECT_FALSE(never.RangeActive());

  table.SetRangeFieldNames("Group");
  table.Open();
  EXPECT_EQ(ErrorOf([&] { table.SetRangeFieldNames("Group;Nope"); }), "BlogI_: Field 'Nope' not found");
  EXPECT_EQ(table.RangeFieldNames(), "Group");
  EXPECT_EQ(ErrorOf([&] { table.SetRangeFieldNames("Notes"); }),
            "BlogI_: There are calc or BLOB fields in list of key fields");
  EXPECT_EQ(table.RangeFieldNames(), "Group");
  table.SetRange("Travel\t", "Travel\t");
  EXPECT_EQ(Keys(), (std::vector<int>{5}));
}

// ---- Refresh ----------------------------------------------------------------

TEST_F(SearchTest, RefreshWritesReloadsAndReturnsToTheSameRecord) {
  table.SetUniqueFieldNames("Key");
  table.Open();
  ASSERT_TRUE(table.Locate("Key", 3, {}));
  table.Edit();
  table.FieldByName("Subject")->SetAsString("changed");
  table.Post();
  table.Append();
  table.FieldByName("Group")->SetAsString("Aaa");
  table.Post();
  ASSERT_TRUE(table.ChangesPending());
  ASSERT_TRUE(table.Locate("Key", 7, {}));
  table.Refresh();
  EXPECT_EQ(CurrentKey(), 7);
  EXPECT_EQ(Text("Subject"), "Work plan");
  EXPECT_FALSE(table.ChangesPending());
  // The file holds the changes, and the reloaded table shows them in index order.
  TVelaCursor file;
  TMemoryStream stream;
  stream.LoadFromFile((dir / "ideas.d").string());
  std::string error;
  ASSERT_TRUE(file.LoadFromStream(stream, error));
  EXPECT_EQ(file.RecordCount(), 9);
  EXPECT_EQ(Keys().front(), 4);  // the empty group first
  EXPECT_EQ(Keys()[1], 9);       // then "Aaa"
  ASSERT_TRUE(table.Locate("Key", 3, {}));
  EXPECT_EQ(Text("Subject"), "changed");
  EXPECT_EQ(table.Store()->Records()[2]->Status, rsUnmodified);
}

TEST_F(SearchTest, RefreshWhenTheRecordIsGoneStaysAtItsPlace) {
  table.SetUniqueFieldNames("Key");
  table.SetIndexFieldNames("Key");
  table.Open();
  ASSERT_TRUE(table.Locate("Key", 5, {}));
  // Another program removes record 5.
  std::vector<Row> rows = kRows;
  rows.erase(rows.begin() + 4);
  WriteTable(rows, {1, 2, 3, 4, 6, 7, 8});
  table.Refresh();
  EXPECT_EQ(table.RecordCount(), 7);
  EXPECT_EQ(CurrentKey(), 6);  // the record now at the fifth place
  // Without unique fields, too, the position is kept.
  table.SetUniqueFieldNames("");
  table.Last();
  table.Refresh();
  EXPECT_EQ(CurrentKey(), 8);
}

TEST_F(SearchTest, RefreshKeepsARangeAndRefusesAChangedFile) {
  table.SetRangeFieldNames("Group");
  table.SetUniqueFieldNames("Key");
  table.Open();
  table.SetRange("Home\t", "Home\t");
  table.Refresh();
  EXPECT_EQ(table.RecordCount(), 3);
  // A file of other fields cannot be shown through this table's fields.
  TVelaCursor other;
  other.AddField("Only", TVelaFieldKind::String, 40);
  other.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  EXPECT_EQ(ErrorOf([&] { table.Refresh(); }),
            "BlogI_: Error opening table: the fields of the table file have changed");
  EXPECT_FALSE(table.Active());
  // A damaged file closes the table as well.
  WriteTable(kRows);
  table.Open();
  std::ofstream((dir / "ideas.d").string(), std::ios::binary | std::ios::trunc) << "S garbage";
  EXPECT_NE(ErrorOf([&] { table.Refresh(); }), "");
  EXPECT_FALSE(table.Active());
}

TEST_F(SearchTest, RefreshOfATableWithoutAFileKeepsItsRecords) {
  TVelaTable memory;
  memory.SetName("Mem");
  memory.FieldDefs().Add("Name", ftString, 20, false);
  memory.Open();
  memory.AppendRecord({TVariant("b")});
  memory.AppendRecord({TVariant("a")});
  memory.Refresh();
  EXPECT_EQ(memory.RecordCount(), 2);
  EXPECT_TRUE(memory.Locate("Name", "a", {}));
}

}  // namespace

// ---- A new order that could not be applied ---------------------------------------

namespace {

class UnappliedOrderTest : public SearchTest {
protected:
  // The first visible record with this subject, found by walking.
  int Expected(const std::string& subject) {
    return FirstWhere([&] { return Text("Subject") == subject; });
  }
};

TEST_F(UnappliedOrderTest, ARefusedIndexListLeavesNoBinarySearchOnTheOldOrder) {
  table.Open();  // sorted by Group;Subject
  EXPECT_NE(ErrorOf([&] { table.SetIndexFieldNames("Subject;Nowhere"); }), "");
  for (const char* subject : {"zeta", "ABC", "Work plan", "blogging"}) {
    const int expected = Expected(subject);
    ASSERT_NE(expected, 0) << subject;
    ASSERT_TRUE(table.Locate("Subject", subject, {})) << subject;
    EXPECT_EQ(CurrentKey(), expected) << subject;
  }
  EXPECT_NE(ErrorOf([&] { table.SetIndexFieldNames("Subject;Notes"); }), "");
  ASSERT_TRUE(table.Locate("Subject", "zeta", {}));
  EXPECT_EQ(CurrentKey(), 6);
}

TEST_F(UnappliedOrderTest, AnIndexOrSortChangeWhoseRebuildFailsSearchesByWalking) {
  table.Open();
  table.SetFilter("Nowhere = 1");
  EXPECT_NE(ErrorOf([&] { table.SetFiltered(true); }), "");
  // The list stays in Group;Subject order while the new index is Subject.
  EXPECT_NE(ErrorOf([&] { table.SetIndexFieldNames("Subject"); }), "");
  for (const char* subject : {"zeta", "ABC", "Work plan", "blogging"}) {
    const int expected = Expected(subject);
    ASSERT_TRUE(table.Locate("Subject", subject, {})) << subject;
    EXPECT_EQ(CurrentKey(), expected) << subject;
  }
  // A descending order asked for but not applied: the list is still ascending.
  table.SetFiltered(false);
  ASSERT_TRUE(table.IsIndexPrefix("Subject"));
  EXPECT_NE(ErrorOf([&] { table.SetFiltered(true); }), "");  // in force again; nothing rebuilt
  EXPECT_NE(ErrorOf([&] { table.SetSortOptions({vsoDescendSort}); }), "");
  for (const char* subject : {"zeta", "ABC", "Work plan", "blogging", "Blog post"}) {
    const int expected = Expected(subject);
    ASSERT_TRUE(table.Locate("Subject", subject, {})) << subject;
    EXPECT_EQ(CurrentKey(), expected) << subject;
  }
}

TEST_F(UnappliedOrderTest, AnEmptyTableKeepsNewRecordsInIndexOrder) {
  WriteTable({});
  table.SetSortOptions({vsoInsertInOrder});
  table.Open();
  auto add = [&](const char* group) {
    table.Append();
    table.FieldByName("Group")->SetAsString(group);
    table.Post();
  };
  add("Work");
  add("Home");
  add("Travel");
  std::vector<std::string> groups;
  for (table.First(); !table.Eof(); table.Next()) groups.push_back(Text("Group"));
  EXPECT_EQ(groups, (std::vector<std::string>{"Home", "Travel", "Work"}));
  ASSERT_TRUE(table.Locate("Group", "Work", {}));
  EXPECT_EQ(Text("Group"), "Work");
}

class FailedRefreshTest : public SearchTest {};

TEST_F(FailedRefreshTest, AFilterThatFailsAfterTheReloadShowsNoRecordOfTheOldStore) {
  table.Open();
  table.SetFilter("Nowhere = 1");
  EXPECT_NE(ErrorOf([&] { table.SetFiltered(true); }), "");
  ASSERT_FALSE(table.IsEmpty());
  EXPECT_NE(ErrorOf([&] { table.Refresh(); }), "");
  // The reload freed the records the rows were made from.
  EXPECT_EQ(table.IsEmpty(), table.VisibleRecords().empty());
  table.SetFilter("");
  EXPECT_EQ(Keys().size(), kRows.size());
  table.Edit();
  table.FieldByName("Subject")->SetAsString("after");
  table.Post();
  EXPECT_EQ(Text("Subject"), "after");
}

}  // namespace
