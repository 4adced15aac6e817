// The window shows the ideas while another program cuts the table file
// short, writes over it, replaces it or deletes it: the list keeps showing
// what was read, the person's edit is kept, and Save writes every idea.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app_test_support.h"
#include "controls/grid/db_grid.h"
#include "data_folder.h"
#include "dataset/field_types.h"

namespace {

using namespace apptest;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The change, made by the tools a person would use. truncate does not wait
// for a lease to be given up and is tried again, as a person would.
std::string Command(const std::string& change, const std::string& file) {
  if (change == "truncate")
    return "i=0; until truncate -s 40 " + Quoted(file) + " 2>/dev/null; do i=$((i + 1)); [ $i -lt 100 ] || exit 1; "
           "sleep 0.02; done";
  if (change == "overwrite")
    return "dd if=/dev/urandom of=" + Quoted(file) + " bs=4096 count=16 conv=notrunc status=none";
  if (change == "replace") return "printf 'x' > " + Quoted(file + ".new") + " && mv " + Quoted(file + ".new") + " " +
                                  Quoted(file);
  return "rm " + Quoted(file);
}

// The subjects the List grid paints, row by row, from the top.
std::vector<std::string> SubjectsShown(TfrmBlog& window) {
  TVelaDBGrid* grid = window.VelaDBGrid1();
  grid->viewport()->repaint();
  std::vector<std::string> shown;
  for (int row = 0; row < 10; ++row) shown.push_back(grid->DataCellText(1, row));
  return shown;
}

class OutsideChangeInTheWindow : public ::testing::TestWithParam<const char*> {};

TEST_P(OutsideChangeInTheWindow, KeepsWhatIsShownAndSaveWritesEveryIdea) {
  const std::string change = GetParam();
  DataFolder data(400);
  const std::vector<std::string> onDisk = SubjectsOnDisk(data);
  TMessageRecorder messages;
  auto window = OpenWindow(data);
  ASSERT_TRUE(ShowActive(window.get()));
  const std::vector<std::string> shown = SubjectsShown(*window);
  ASSERT_FALSE(shown.front().empty());

  window->BlogI_()->First();
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("Typed before the file changed");
  window->BlogI_()->Post();
  ASSERT_EQ(std::system(Command(change, data / kIdeaTableName).c_str()), 0) << change;

  std::vector<std::string> expected = shown;
  expected.front() = "Typed before the file changed";
  EXPECT_EQ(SubjectsShown(*window), expected);
  // Down to the last idea, scrolled to as a person would.
  QTest::keyClick(window->VelaDBGrid1(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(window->BlogI_()->RecNo(), 400);

  // The file is not the one that was read (unless it is gone): Save asks
  // before it overwrites it; OK writes every idea with the edit.
  messages->answer = true;
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions.size(), change == "delete" ? 0u : 1u);
  EXPECT_TRUE(messages->errors.empty());
  std::vector<std::string> saved = SubjectsOnDisk(data), wanted = onDisk;
  std::sort(saved.begin(), saved.end());
  *std::find(wanted.begin(), wanted.end(), shown.front()) = "Typed before the file changed";
  std::sort(wanted.begin(), wanted.end());
  EXPECT_EQ(saved, wanted);
}

INSTANTIATE_TEST_SUITE_P(Programs, OutsideChangeInTheWindow,
                         ::testing::Values("truncate", "overwrite", "replace", "delete"));

}  // namespace
