// The filter text on a real table with the idea table's fields: parsing
// through Filter, the visible list with Filtered on, the find operations
// with it off, and how edits and failures leave the dataset.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "rtf/rtf_document.h"
#include "platform/date_time.h"
#include "platform/exceptions.h"
#include "table_bytes.h"
#include "tableengine/record_values.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

struct Idea {
  bool flag;
  std::string subject, group, title, notes;
  int year, month, day;  // 0: no date
  std::string user1;
};

// Key k is rows[k - 1].
const std::vector<Idea> kRows = {
    {true, "Blog post", "Work", "Blog post", "hello", 2005, 1, 31, "ten"},
    {false, "ABC", "Home", "Other", "", 2000, 1, 1, ""},
    {true, "abc", "Work", "abc", "Hello", 0, 0, 0, "x"},
    {false, "", "", "x", "", 0, 0, 0, ""},
    {true, "Blog ideas [draft]", "Travel", "Trip", "", 2010, 6, 15, ""},
    {false, "zeta", "Home", "zeta post", "", 1999, 12, 31, ""},
};

int32_t DayNumber(int y, int m, int d) { return y ? DateTimeToTimeStamp(EncodeDate(y, m, d)).Date : 0; }

class FilterTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("notarra-filter-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // The idea table's fields, in the program's order.
    TVelaCursor c;
    c.AddField("Flag", TVelaFieldKind::Boolean);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Title", TVelaFieldKind::String, 256);
    c.AddField("Keywords", TVelaFieldKind::String, 256);
    c.AddField("Notes", TVelaFieldKind::FmtMemo);
    c.AddField("Published", TVelaFieldKind::String, 50);
    c.AddField("PubDate", TVelaFieldKind::Date);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    c.AddField("UserField1", TVelaFieldKind::SmallStr, 20);
    c.AddField("UserField2", TVelaFieldKind::SmallStr, 20);
    int32_t key = 0;
    for (const Idea& r : kRows) {
      Area a(c);
      a.set<int16_t>("Flag", r.flag ? -1 : 0).text("Subject", r.subject).text("Group", r.group);
      a.text("Title", r.title).blob("Notes", r.notes).text("UserField1", r.user1);
      a.set<int32_t>("PubDate", DayNumber(r.year, r.month, r.day)).set<int32_t>("Key", ++key);
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "ideas.d").string(), 0, false, "");
    db.SetName("Veladb");
    db.SetDatabasePath(dir.string());
    table.SetName("BlogI_");
    table.SetDatabase(&db);
    table.SetTableName("ideas.d");
    table.SetIndexFieldNames("Key");
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
  }

  // Keys of the visible records in visible order.
  std::vector<int> Keys() {
    std::vector<int> out;
    table.First();
    while (!table.Eof()) {
      out.push_back(table.FieldByName("Key")->AsInteger());
      table.Next();
    }
    return out;
  }
  // Keys of the rows for which pred holds, worked out from the rows themselves.
  static std::vector<int> Expected(const std::function<bool(const Idea&, int key)>& pred) {
    std::vector<int> out;
    for (std::size_t i = 0; i < kRows.size(); ++i)
      if (pred(kRows[i], static_cast<int>(i) + 1)) out.push_back(static_cast<int>(i) + 1);
    return out;
  }
  std::vector<int> Filtered(const std::string& text) {
    table.SetFilter(text);
    table.SetFiltered(true);
    return Keys();
  }
  int CurrentKey() { return table.FieldByName("Key")->AsInteger(); }

  // The message of the database error that fn raises ("" when none).
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

TEST_F(FilterTest, EveryComparisonOnNumbersDatesAndBooleans) {
  table.Open();
  EXPECT_EQ(Filtered("Key = 3"), Expected([](const Idea&, int k) { return k == 3; }));
  EXPECT_EQ(Filtered("Key > 3"), Expected([](const Idea&, int k) { return k > 3; }));
  EXPECT_EQ(Filtered("Key < 3"), Expected([](const Idea&, int k) { return k < 3; }));
  EXPECT_EQ(Filtered("Key >= 3"), Expected([](const Idea&, int k) { return k >= 3; }));
  EXPECT_EQ(Filtered("Key <= 3"), Expected([](const Idea&, int k) { return k <= 3; }));
  EXPECT_EQ(Filtered("Key <> 3"), Expected([](const Idea&, int k) { return k != 3; }));
  EXPECT_EQ(Filtered("Key > - 5"), Expected([](const Idea&, int) { return true; }));
  EXPECT_EQ(Filtered("Flag = TRUE"), Expected([](const Idea& r, int) { return r.flag; }));
  EXPECT_EQ(Filtered("flag = false"), Expected([](const Idea& r, int) { return !r.flag; }));
  EXPECT_EQ(Filtered("Key > 2 and Flag = TRUE"), Expected([](const Idea& r, int k) { return k > 2 && r.flag; }));
  // A date literal in the locale's short format; an empty date is the smallest.
  const int32_t cut = DayNumber(2005, 1, 31);
  EXPECT_EQ(Filtered("PubDate >= '1/31/2005'"),
            Expected([&](const Idea& r, int) { return DayNumber(r.year, r.month, r.day) >= cut; }));
  EXPECT_EQ(Filtered("PubDate < '1/31/2005' AND PubDate > NULL"), Expected([&](const Idea& r, int) {
              int32_t d = DayNumber(r.year, r.month, r.day);
              return d > 0 && d < cut;
            }));
  EXPECT_EQ(Filtered("Subject *= 'x'"), Expected([](const Idea&, int) { return true; }));
}

TEST_F(FilterTest, TextComparisonsAndTheCaseInsensitiveOption) {
  table.Open();
  EXPECT_EQ(Filtered("Subject = 'abc'"), (std::vector<int>{3}));
  EXPECT_EQ(Filtered("Subject > 'Blog post'"), Expected([](const Idea& r, int) { return r.subject > "Blog post"; }));
  EXPECT_EQ(Filtered("'Group' = 'Home'"), Expected([](const Idea& r, int) { return r.group == "Home"; }));
  EXPECT_EQ(Filtered("'Group' <> 'Home'"), Expected([](const Idea& r, int) { return r.group != "Home"; }));
  // NULL is the kind's empty value.
  EXPECT_EQ(Filtered("'Group' = NULL"), Expected([](const Idea& r, int) { return r.group.empty(); }));
  EXPECT_EQ(Filtered("Subject <> NULL"), Expected([](const Idea& r, int) { return !r.subject.empty(); }));

  table.SetFilterOptions({foCaseInsensitive});
  EXPECT_EQ(Filtered("Subject = 'abc'"), (std::vector<int>{2, 3}));
  EXPECT_EQ(Filtered("'Group' = 'HOME'"), Expected([](const Idea& r, int) { return r.group == "Home"; }));
  table.SetFilterOptions({});
  EXPECT_EQ(Filtered("'Group' = 'HOME'"), std::vector<int>{});
}

TEST_F(FilterTest, ChangingTheCaseOptionRefiltersAFilterInForce) {
  table.Open();
  EXPECT_EQ(Filtered("Subject = 'abc'"), (std::vector<int>{3}));
  table.SetFilterOptions({foCaseInsensitive});
  EXPECT_EQ(Keys(), (std::vector<int>{2, 3}));
  table.SetFilterOptions({});
  EXPECT_EQ(Keys(), (std::vector<int>{3}));
}

TEST_F(FilterTest, LikeMatchesTheDisplayTextWithoutRegardToCase) {
  table.Open();
  EXPECT_EQ(Filtered("Subject LIKE 'abc'"), (std::vector<int>{2, 3}));
  EXPECT_EQ(Filtered("Subject LIKE 'blog%'"), (std::vector<int>{1, 5}));
  EXPECT_EQ(Filtered("Subject like '%POST'"), (std::vector<int>{1}));
  EXPECT_EQ(Filtered("Subject LIKE 'b_og*'"), (std::vector<int>{1, 5}));
  EXPECT_EQ(Filtered("Subject LIKE '%[draft]'"), (std::vector<int>{5}));
  EXPECT_EQ(Filtered("Subject LIKE '%'"), Expected([](const Idea&, int) { return true; }));
  EXPECT_EQ(Filtered("Subject LIKE '_%'"), Expected([](const Idea& r, int) { return !r.subject.empty(); }));
  EXPECT_EQ(Filtered("Notes LIKE 'HELLO'"), (std::vector<int>{1, 3}));
  // Booleans show "Yes" and "No"; numbers and dates their display text.
  EXPECT_EQ(Filtered("Flag LIKE 'yes'"), Expected([](const Idea& r, int) { return r.flag; }));
  EXPECT_EQ(Filtered("Flag LIKE 'TRUE'"), std::vector<int>{});
  EXPECT_EQ(Filtered("Key LIKE 5"), (std::vector<int>{5}));
  EXPECT_EQ(Filtered("PubDate LIKE '%/2005'"), (std::vector<int>{1}));
  EXPECT_EQ(Filtered("Subject LIKE 'blog%' AND Flag = TRUE AND Key > 1"), (std::vector<int>{5}));
}

TEST_F(FilterTest, TwoFieldsOfOneRecordAndIncomparableKinds) {
  table.Open();
  EXPECT_EQ(Filtered("Title = Subject"), Expected([](const Idea& r, int) { return r.title == r.subject; }));
  // A quoted text that names a field is that field.
  EXPECT_EQ(Filtered("Title = 'subject'"), Expected([](const Idea& r, int) { return r.title == r.subject; }));
  EXPECT_EQ(Filtered("T.Title <> U.Subject"), Expected([](const Idea& r, int) { return r.title != r.subject; }));
  EXPECT_EQ(Filtered("'Group' = UserField1"), Expected([](const Idea& r, int) { return r.group == r.user1; }));
  // Date and AutoInc are one family: compared as numbers.
  EXPECT_EQ(Filtered("PubDate > Key"), Expected([](const Idea& r, int k) { return DayNumber(r.year, r.month, r.day) > k; }));

  const std::vector<int> before = Filtered("Key > 4");
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Key = Title"); }), "BlogI_: Types of compared fields are not equal");
  // The failed rebuild kept the list it had.
  EXPECT_EQ(table.Filter(), "Key = Title");
  EXPECT_EQ(Keys(), before);
  // A condition that is never reached raises nothing.
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Key > 100 AND Key = Title"); }), "");
  EXPECT_EQ(Keys(), std::vector<int>{});

  EXPECT_TRUE(TVelaDataset::KindsComparable(TVelaFieldKind::Date, TVelaFieldKind::Integer));
  EXPECT_TRUE(TVelaDataset::KindsComparable(TVelaFieldKind::AutoInc, TVelaFieldKind::Time));
  EXPECT_TRUE(TVelaDataset::KindsComparable(TVelaFieldKind::DateTime, TVelaFieldKind::Currency));
  EXPECT_TRUE(TVelaDataset::KindsComparable(TVelaFieldKind::Memo, TVelaFieldKind::Memo));
  EXPECT_FALSE(TVelaDataset::KindsComparable(TVelaFieldKind::SmallInt, TVelaFieldKind::Integer));
  EXPECT_FALSE(TVelaDataset::KindsComparable(TVelaFieldKind::SmallStr, TVelaFieldKind::String));
  EXPECT_FALSE(TVelaDataset::KindsComparable(TVelaFieldKind::Double, TVelaFieldKind::Integer));
  EXPECT_FALSE(TVelaDataset::KindsComparable(TVelaFieldKind::Int64, TVelaFieldKind::Integer));
}

TEST_F(FilterTest, FieldsAreCheckedWhenTheFilterIsFirstUsed) {
  table.Open();
  // Accepted while not applied.
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Nosuch = 1"); }), "");
  EXPECT_EQ(ErrorOf([&] { table.SetFiltered(true); }), "BlogI_: Field Nosuch is not found");
  EXPECT_EQ(table.RecordCount(), 6);  // the list stays as it was
  table.SetFiltered(false);
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Subject = Nosuch2"); }), "");
  EXPECT_EQ(ErrorOf([&] { table.FindFirst(); }), "BlogI_: Field Nosuch2 is not found");
  // LIKE against a field has no pattern to compile.
  table.SetFilter("Subject LIKE Title");
  EXPECT_EQ(ErrorOf([&] { table.FindFirst(); }), "BlogI_: LIKE needs a pattern, and Title is a field");
  // A mask with 31 star runs is refused by the mask compiler, without a name.
  std::string pattern;
  for (int i = 0; i < 31; ++i) pattern += "*a";
  table.SetFilter("Subject LIKE '" + pattern + "'");
  EXPECT_EQ(ErrorOf([&] { table.SetFiltered(true); }), "'" + pattern + "' is an invalid mask at (62)");
}

TEST_F(FilterTest, AFailedFilterTextKeepsThePreviousFilterInForce) {
  table.Open();
  EXPECT_EQ(Filtered("Flag = TRUE"), (std::vector<int>{1, 3, 5}));
  for (const char* bad : {"Title = 'abc", "a = 1 or b = 2", "(a = 1", "a != 1", "count(*) > 1"}) {
    const std::string message = ErrorOf([&] { table.SetFilter(bad); });
    EXPECT_FALSE(message.empty()) << bad;
    EXPECT_EQ(message.find("BlogI_"), std::string::npos) << "parser errors name no component: " << message;
    EXPECT_EQ(table.Filter(), "Flag = TRUE");
    // Rebuilds and searches go on with the conditions the text shows.
    table.SetFiltered(false);
    table.SetFiltered(true);
    EXPECT_EQ(Keys(), (std::vector<int>{1, 3, 5})) << bad;
    table.SetFiltered(false);
    ASSERT_TRUE(table.FindFirst());
    EXPECT_TRUE(table.FindNext());
    EXPECT_EQ(CurrentKey(), 3);
    table.SetFiltered(true);
  }
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Title = '"); }), "Unmatched quote");
}

TEST_F(FilterTest, AFailedFirstFilterTextLeavesNoConditions) {
  table.Open();
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("Subject = 'x"); }), "Unmatched quote");
  EXPECT_EQ(table.Filter(), "");
  table.SetFiltered(true);
  EXPECT_EQ(Keys(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  table.SetFiltered(false);
  EXPECT_TRUE(table.FindFirst());
  EXPECT_TRUE(table.FindNext());
  EXPECT_TRUE(table.FindLast());
  EXPECT_FALSE(table.FindNext());
  EXPECT_EQ(CurrentKey(), 6);
  // Clearing the text removes the conditions.
  table.SetFilter("Key = 2");
  table.SetFilter("");
  table.SetFiltered(true);
  EXPECT_EQ(table.RecordCount(), 6);
}

TEST_F(FilterTest, FindOperationsSearchWithTheFilterWhenItIsNotApplied) {
  table.Open();
  table.SetFilter("Flag = TRUE");
  EXPECT_EQ(table.RecordCount(), 6);
  ASSERT_TRUE(table.FindFirst());
  EXPECT_TRUE(table.Found());
  EXPECT_EQ(CurrentKey(), 1);
  ASSERT_TRUE(table.FindNext());
  EXPECT_EQ(CurrentKey(), 3);
  ASSERT_TRUE(table.FindNext());
  EXPECT_EQ(CurrentKey(), 5);
  EXPECT_FALSE(table.FindNext());
  EXPECT_FALSE(table.Found());
  EXPECT_EQ(CurrentKey(), 5);  // a failed search does not move
  ASSERT_TRUE(table.FindPrior());
  EXPECT_EQ(CurrentKey(), 3);
  ASSERT_TRUE(table.FindLast());
  EXPECT_EQ(CurrentKey(), 5);
  table.First();
  EXPECT_FALSE(table.FindPrior());

  // In visible order, not store order.
  table.SetIndexFieldNames("Subject");
  table.SetFilter("Key > 1");
  ASSERT_TRUE(table.FindFirst());
  EXPECT_EQ(CurrentKey(), 4);  // the empty subject sorts first
  ASSERT_TRUE(table.FindLast());
  EXPECT_EQ(CurrentKey(), 6);

  // The handler runs after the conditions, on records that passed them.
  std::vector<int> asked;
  table.OnFilterRecord = [&](TDataSet* ds, bool& accept) {
    asked.push_back(ds->FieldByName("Key")->AsInteger());
    accept = ds->FieldByName("Key")->AsInteger() != 3;
  };
  table.SetIndexFieldNames("Key");
  table.SetFilter("Flag = TRUE");
  ASSERT_TRUE(table.FindFirst());
  ASSERT_TRUE(table.FindNext());
  EXPECT_EQ(CurrentKey(), 5);
  EXPECT_EQ(asked, (std::vector<int>{1, 3, 5}));

  // Applied, the find operations move through the visible list.
  table.SetFiltered(true);
  EXPECT_EQ(Keys(), (std::vector<int>{1, 5}));
  ASSERT_TRUE(table.FindFirst());
  EXPECT_EQ(CurrentKey(), 1);
  ASSERT_TRUE(table.FindNext());
  EXPECT_FALSE(table.FindNext());
  // Without conditions only the handler decides.
  table.SetFilter("");
  EXPECT_EQ(Keys(), (std::vector<int>{1, 2, 4, 5, 6}));
  table.OnFilterRecord = nullptr;
}

TEST_F(FilterTest, SwitchingFilteredRebuildsAndKeepsASensibleCurrentRecord) {
  table.Open();
  table.SetFilter("Flag = TRUE");
  table.SetRecNo(5);
  EXPECT_EQ(CurrentKey(), 5);
  table.SetFiltered(true);
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(CurrentKey(), 1);  // switching moves to the first record
  table.Next();
  table.Next();
  EXPECT_EQ(CurrentKey(), 5);
  // A new text keeps the current record when it stays visible...
  table.SetFilter("Key > 2");
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(CurrentKey(), 5);
  // ...and falls back to the first when it does not.
  table.SetFilter("Key < 3");
  EXPECT_EQ(CurrentKey(), 1);
  table.SetFilter("Key > 100");
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_TRUE(table.Eof());
  EXPECT_FALSE(table.FindFirst());
  table.SetFiltered(false);
  EXPECT_EQ(table.RecordCount(), 6);
  EXPECT_FALSE(table.Eof());

  // Set while closed, applied by the open.
  table.Close();
  table.SetFilter("Subject LIKE 'blog%'");
  table.SetFiltered(true);
  table.Open();
  EXPECT_EQ(Keys(), (std::vector<int>{1, 5}));
}

TEST_F(FilterTest, EditedRecordsLeaveAndEnterAtTheNextRebuild) {
  table.Open();
  EXPECT_EQ(Filtered("Flag = TRUE"), (std::vector<int>{1, 3, 5}));
  // A posted change keeps the record in place until the list is rebuilt.
  table.First();
  table.Edit();
  table.FieldByName("Flag")->SetAsBoolean(false);
  table.Post();
  EXPECT_EQ(Keys(), (std::vector<int>{1, 3, 5}));
  // A new record that does not match is still listed after posting.
  table.Append();
  table.FieldByName("Subject")->SetAsString("new");
  table.FieldByName("Flag")->SetAsBoolean(false);
  table.Post();
  EXPECT_EQ(table.RecordCount(), 4);
  table.SetFiltered(false);
  table.SetFiltered(true);
  EXPECT_EQ(Keys(), (std::vector<int>{3, 5}));

  // A record changed while the filter is off enters when it is applied.
  table.SetFiltered(false);
  table.SetRecNo(2);
  ASSERT_EQ(CurrentKey(), 2);
  table.Edit();
  table.FieldByName("Flag")->SetAsBoolean(true);
  // Applying the filter posts the pending edit first.
  table.SetFiltered(true);
  EXPECT_EQ(Keys(), (std::vector<int>{2, 3, 5}));
  // Cancelling every change brings the loaded values back.
  table.CancelChanges();
  EXPECT_EQ(Keys(), (std::vector<int>{1, 3, 5}));
}

TEST_F(FilterTest, TextFieldsOfDifferentSizesCompareByTheirText) {
  // A short SmallStr last in the record, read as a longer one, must not run past it.
  TVelaCursor c;
  c.AddField("Long", TVelaFieldKind::SmallStr, 30);
  c.AddField("Short", TVelaFieldKind::SmallStr, 3);
  const std::vector<std::pair<std::string, std::string>> rows = {{"abc", "abc"}, {"abcdef", "abc"}, {"ab", "abc"}, {"", ""}};
  for (const auto& [l, sh] : rows) {
    Area a(c);
    a.text("Long", l).text("Short", sh);
    c.AppendRecord(a);
  }
  c.SaveToFile((dir / "sizes.d").string(), 0, false, "");
  TVelaTable sizes;
  sizes.SetDatabase(&db);
  sizes.SetTableName("sizes.d");
  sizes.SetFilter("Long = Short");
  sizes.SetFiltered(true);
  sizes.Open();
  EXPECT_EQ(sizes.RecordCount(), 2);  // "abc" and the empty pair
  sizes.SetFilter("Short < Long");
  EXPECT_EQ(sizes.RecordCount(), 1);  // "abc" against "abcdef"
  sizes.SetFilter("Long < Short");
  EXPECT_EQ(sizes.RecordCount(), 1);  // "ab" against "abc"
  sizes.Close();
}

TEST_F(FilterTest, MemoLiteralsHoldTheWholeText) {
  table.Open();
  EXPECT_EQ(Filtered("Notes = 'hello'"), (std::vector<int>{1}));
  table.SetFilterOptions({foCaseInsensitive});
  EXPECT_EQ(Filtered("Notes = 'hello'"), (std::vector<int>{1, 3}));
  EXPECT_EQ(Filtered("Notes = ''"), Expected([](const Idea& r, int) { return r.notes.empty(); }));
}

}  // namespace

// ---- A rebuild that fails after the store changed ------------------------------

namespace {

class FailedRebuildTest : public FilterTest {};

TEST_F(FailedRebuildTest, CancelChangesWithARaisingHandlerShowsNoDiscardedRecord) {
  bool fail = false;
  table.OnFilterRecord = [&](TDataSet*, bool&) {
    if (fail) DatabaseError("handler refused", &table);
  };
  table.Open();
  table.SetFiltered(true);
  table.Append();
  table.FieldByName("Subject")->SetAsString("new one");
  table.Post();
  ASSERT_EQ(table.RecordCount(), 7);
  fail = true;
  EXPECT_NE(ErrorOf([&] { table.CancelChanges(); }), "");
  fail = false;
  // The record the cancel discarded must not stay in the visible list:
  // searching and sorting would read its released data.
  for (const TVelaRecord* record : table.VisibleRecords()) EXPECT_TRUE(record->Live());
  EXPECT_EQ(table.RecordCount(), 6);
  EXPECT_TRUE(table.Locate("Key", 6, {}));
  EXPECT_EQ(CurrentKey(), 6);
}

}  // namespace

// ---- Typed words ----------------------------------------------------------

// The scan looks at sixteen places at a time; a plain fold-and-find over
// random texts is the reference, words at every place and in either case.
TEST(WordSearch, ContainsAgreesWithAPlainFoldAndFind) {
  const std::string letters = "abAB\xE9\xC9 x";  // é and É fold together
  auto fold = [](std::string s) {
    for (char& c : s) c = static_cast<char>(AnsiLowerChar(static_cast<unsigned char>(c)));
    return s;
  };
  unsigned seed = 12345;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 4000; ++round) {
    std::string text(next() % 70, ' ');
    for (char& c : text) c = letters[next() % letters.size()];
    std::string word(1 + next() % 5, ' ');
    for (char& c : word) c = letters[next() % letters.size()];
    const std::string folded = fold(word);
    const bool expected = fold(text).find(folded) != std::string::npos;
    ASSERT_EQ(TVelaWordSearch::Contains(text, folded), expected) << '"' << text << "\" / \"" << word << '"';
  }
  EXPECT_TRUE(TVelaWordSearch::Contains(std::string(40, 'x') + "Cr\xC8ME", "cr\xE8me"));
  EXPECT_FALSE(TVelaWordSearch::Contains("short", "shorter"));
}

TEST(WordSearch, SplitsAtBlanksFoldsAndDropsRepeats) {
  const TVelaWordSearch search("  Blog\tPOST blog ");
  EXPECT_EQ(search.Words(), (std::vector<std::string>{"blog", "post"}));
  EXPECT_TRUE(TVelaWordSearch(" \t ").Empty());
}

// Whether the row holds every word in its Subject, Title or Notes.
bool HoldsWords(const Idea& r, const std::vector<std::string>& words) {
  for (const std::string& w : words)
    if (!TVelaWordSearch::Contains(r.subject, w) && !TVelaWordSearch::Contains(r.title, w) &&
        !TVelaWordSearch::Contains(r.notes, w))
      return false;
  return true;
}

TEST_F(FilterTest, TypedWordsNarrowOnTopOfTheFilterAndKeepTheOrder) {
  table.SetIndexFieldNames("Subject");
  table.SetSearchFields("Subject;Title;Keywords;Notes");
  table.Open();
  const std::vector<int> all = Keys();
  auto holding = [&](const std::vector<std::string>& words) {
    std::vector<int> out;
    for (int k : all)
      if (HoldsWords(kRows[static_cast<std::size_t>(k - 1)], words)) out.push_back(k);
    return out;
  };
  EXPECT_TRUE(table.SetSearchText("BLOG"));
  EXPECT_EQ(Keys(), holding({"blog"}));
  ASSERT_EQ(Keys().size(), 2u);
  table.SetSearchText("blog post");
  EXPECT_EQ(Keys(), holding({"blog", "post"}));
  table.SetSearchText("hello");  // in the notes only
  EXPECT_EQ(Keys(), holding({"hello"}));
  // With a filter: both must hold.
  table.SetSearchText("o");
  table.SetIndexFieldNames("Key");
  EXPECT_EQ(Filtered("'Group' = 'Home'"),
            Expected([](const Idea& r, int) { return r.group == "Home" && HoldsWords(r, {"o"}); }));
  table.SetFiltered(false);
  EXPECT_EQ(Keys(), Expected([](const Idea& r, int) { return HoldsWords(r, {"o"}); }));
  // No words: every record again, in index order.
  table.SetSearchText("");
  EXPECT_EQ(Keys(), Expected([](const Idea&, int) { return true; }));
  EXPECT_EQ(ErrorOf([&] {
              table.SetSearchFields("Subject;Nothing");
              table.SetSearchText("x");
            }),
            "BlogI_: Field Nothing is not found");
  EXPECT_EQ(Keys().size(), kRows.size());
  EXPECT_EQ(table.SearchText(), "");  // the refused text is not the one in force
}

TEST_F(FilterTest, ALongNarrowingWorksInSlicesAndTheLatestTextWins) {
  table.SetSearchFields("Subject;Title");
  table.Open();
  const std::vector<int> all = Keys();
  EXPECT_FALSE(table.SetSearchText("blog", 2));
  EXPECT_TRUE(table.SearchPending());
  EXPECT_EQ(Keys(), all);  // nothing shown changes before the work is done
  // A new text before the first is done: its work is dropped.
  EXPECT_FALSE(table.SetSearchText("zeta", 2));
  while (!table.ContinueSearch(2)) {
  }
  EXPECT_FALSE(table.SearchPending());
  EXPECT_EQ(Keys(), std::vector<int>({6}));
}

TEST_F(FilterTest, APostedRecordIsFoundByTheNextWord) {
  table.SetSearchFields("Subject;Title");
  table.Open();
  table.SetSearchText("z");
  EXPECT_EQ(Keys(), std::vector<int>({6}));
  table.Append();
  table.FieldByName("Subject")->SetAsString("Zebra crossing");
  table.Post();
  table.Append();
  table.FieldByName("Subject")->SetAsString("Unrelated");
  table.Post();
  // The record just posted shows until the list is narrowed again.
  table.SetSearchText("ze");
  EXPECT_EQ(Keys(), std::vector<int>({6, 7}));
  table.SetSearchText("");
  EXPECT_EQ(Keys().size(), kRows.size() + 2);
}

// Two narrowings over one store at once (two datasets on a shared store):
// neither reads the other's answers; a short list is tested in its own order.
TEST_F(FilterTest, InterleavedNarrowingsOverOneStoreKeepTheirOwnAnswers) {
  table.Open();
  const TVelaCursor& store = *table.Store();
  const TVelaRecordList all = table.VisibleRecords();
  auto keys = [&](const TVelaRecordList& list) {
    std::vector<int> out;
    const TVelaField& key = *store.FindField("Key");
    for (const TVelaRecord* r : list) out.push_back(record_values::GetInteger(r->Data, key));
    return out;
  };
  TVelaWordSearch blog("blog"), zeta("zeta"), abc("ABC");
  for (TVelaWordSearch* s : {&blog, &zeta, &abc}) s->Resolve(store, "Subject;Title", &table);
  TVelaWordNarrowing first, second;
  first.Start(blog, all, store);
  EXPECT_FALSE(first.Step(3));
  second.Start(zeta, all, store);
  EXPECT_TRUE(second.Step(SIZE_MAX));
  EXPECT_EQ(keys(second.TakeResult()), std::vector<int>({6}));
  EXPECT_TRUE(first.Step(SIZE_MAX));
  EXPECT_EQ(keys(first.TakeResult()), Expected([](const Idea& r, int) { return HoldsWords(r, {"blog"}); }));
  // One record of six: tested where the list has it.
  second.Start(abc, {all[2]}, store);
  EXPECT_TRUE(second.Step(SIZE_MAX));
  EXPECT_EQ(keys(second.TakeResult()), std::vector<int>({3}));
}

// Notes written as RTF are searched for what they read as, not their markup.
TEST(WordSearch, RtfNotesMatchTheirTextNotTheirMarkup) {
  TVelaCursor c;
  c.AddField("Subject", TVelaFieldKind::String, 40);
  c.AddField("Notes", TVelaFieldKind::FmtMemo);
  Area a(c);
  a.text("Subject", "Bread").blob("Notes", "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\b Rye\\b0  fl\\'f6ur\\par}");
  c.AppendRecord(a);
  const TVelaRecord& record = *c.Records()[0];
  auto matches = [&](const char* text) {
    TVelaWordSearch search(text);
    search.Resolve(c, "Subject;Notes", nullptr);
    return search.Matches(record);
  };
  EXPECT_TRUE(matches("rye FL\xD6UR bread"));
  for (const char* markup : {"arial", "rtf1", "par", "fswiss", "b0"}) EXPECT_FALSE(matches(markup)) << markup;
  std::string plain;
  AppendRtfPlainText("{\\rtf1 a\\u8364?\\u937?b\\par c\\line d}", plain);
  EXPECT_EQ(plain, "a\x80?b\nc\nd");
}
