// The tool bar's search field, typed into with real keys: the list narrows
// as the words come, the status bar counts, a filter still holds, Escape
// clears, and a narrowing worked through in slices ends on the latest text.
#include <gtest/gtest.h>

#include <QTest>
#include <set>
#include <sstream>

#include "app/idea_search.h"
#include "app/idea_status.h"
#include "app_test_support.h"
#include "data_folder.h"
#include "controls/grid/db_grid.h"
#include "tableengine/vela_table.h"

namespace {

using namespace apptest;

// Keys of the ideas on disk that hold every word (ASCII) in a searched field.
std::set<int> KeysHolding(const DataFolder& data, const std::vector<std::string>& words,
                          const std::string& group = "") {
  TVelaDatabase db;
  TVelaTable table;
  data.Open(kIdeaTableName, db, table);
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  std::set<int> keys;
  for (table.First(); !table.Eof(); table.Next()) {
    if (!group.empty() && table.FieldByName("Group")->AsString() != group) continue;
    std::string all;
    for (const char* f : {"Subject", "Title", "Keywords", "Notes"}) all += lower(table.FieldByName(f)->AsString()) + "\n";
    bool every = true;
    for (const std::string& w : words) every = every && all.find(w) != std::string::npos;
    if (every) keys.insert(table.FieldByName("Key")->AsInteger());
  }
  return keys;
}

std::set<int> KeysShown(TVelaTable* ideas) {
  std::set<int> keys;
  for (ideas->First(); !ideas->Eof(); ideas->Next()) keys.insert(ideas->FieldByName("Key")->AsInteger());
  return keys;
}

TEST(IdeaSearch, NarrowsAsTypedCountsKeepsTheFilterAndEscapeClears) {
  DataFolder data;
  auto window = OpenWindow(data);
  ASSERT_TRUE(ShowActive(window.get()));
  TVelaTable* ideas = window->BlogI_();
  const int all = ideas->RecordCount();
  // Ctrl+K from the list goes to the search field.
  window->VelaDBGrid1()->setFocus();
  QTest::keyClick(window->VelaDBGrid1(), Qt::Key_K, Qt::ControlModifier);
  TIdeaSearch* search = window->IdeaSearch();
  ASSERT_TRUE(search->hasFocus());

  QTest::keyClicks(search, "Book");
  const std::set<int> books = KeysHolding(data, {"book"});
  ASSERT_GT(books.size(), 1u);
  ASSERT_LT(books.size(), static_cast<std::size_t>(all));
  EXPECT_EQ(KeysShown(ideas), books);
  EXPECT_EQ(window->IdeaStatus()->CountText(), TIdeaStatus::CountOf(static_cast<int>(books.size()), all, true));
  QTest::keyClicks(search, " swap");
  EXPECT_EQ(KeysShown(ideas), KeysHolding(data, {"book", "swap"}));
  QTest::keyClick(search, Qt::Key_Backspace);
  QTest::keyClick(search, Qt::Key_Backspace);
  EXPECT_EQ(KeysShown(ideas), KeysHolding(data, {"book", "sw"}));

  // A filter and the words both hold.
  ideas->SetFilter("'Group' = 'Books'");
  ideas->SetFiltered(true);
  EXPECT_EQ(KeysShown(ideas), KeysHolding(data, {"book", "sw"}, "Books"));
  ideas->SetFiltered(false);

  QTest::keyClick(search, Qt::Key_Escape);
  EXPECT_TRUE(search->text().isEmpty());
  EXPECT_EQ(ideas->RecordCount(), all);
  EXPECT_EQ(window->IdeaStatus()->CountText(), TIdeaStatus::CountOf(all, all, false));
}

TEST(IdeaSearch, TheLatestKeystrokeWinsOverAnUnfinishedNarrowing) {
  DataFolder data(3000);
  auto window = OpenWindow(data);
  ASSERT_TRUE(ShowActive(window.get()));
  TVelaTable* ideas = window->BlogI_();
  const int all = ideas->RecordCount();
  // Slices of a hundred ideas: every keystroke leaves work unfinished.
  TIdeaSearch search(ideas, window.get(), 100);
  search.show();
  // A word of some idea's subject, typed with a slip put right.
  std::string word;
  std::istringstream subject(SubjectsOnDisk(data)[100]);
  for (std::string w; subject >> w;)
    if (w.size() > word.size()) word = w;
  ASSERT_GE(word.size(), 3u);
  QTest::keyClicks(&search, QString::fromStdString(word.substr(0, 1) + "q"));
  EXPECT_TRUE(search.Pending());
  EXPECT_EQ(ideas->RecordCount(), all);  // the list changes only once the work is done
  QTest::keyClick(&search, Qt::Key_Backspace);
  QTest::keyClicks(&search, QString::fromStdString(word.substr(1)));
  QTRY_VERIFY_WITH_TIMEOUT(!search.Pending(), 5000);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::set<int> expected = KeysHolding(data, {word});
  ASSERT_FALSE(expected.empty());
  ASSERT_LT(expected.size(), static_cast<std::size_t>(all));
  EXPECT_EQ(KeysShown(ideas), expected);
}

}  // namespace
