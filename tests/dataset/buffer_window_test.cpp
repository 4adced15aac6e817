// The record-buffer window as data links see it: ActiveRecord, RecordCount,
// the DataSetScrolled distances, Resync, DisableControls, bookmarks, RecNo.
#include <gtest/gtest.h>

#include "test_dataset.h"

using namespace notarra;

namespace {

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ds = MakePeople(100);
    source.SetDataSet(ds.get());
  }
  // Opens with one recording link of the given buffer count.
  TRecordingLink& Link(int bufferCount) {
    links.push_back(std::make_unique<TRecordingLink>());
    links.back()->SetBufferCount(bufferCount);
    links.back()->SetDataSource(&source);
    return *links.back();
  }
  // The IDs a link's rows show, read the way a grid paints them.
  std::vector<int> Rows(TRecordingLink& link) {
    std::vector<int> ids;
    int saved = link.ActiveRecord();
    for (int i = 0; i < link.RecordCount(); ++i) {
      link.SetActiveRecord(i);
      ids.push_back(ds->FieldByName("ID")->AsInteger());
    }
    link.SetActiveRecord(saved);
    return ids;
  }
  static std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
  }
  int Id() { return ds->FieldByName("ID")->AsInteger(); }

  std::unique_ptr<TTestDataSet> ds;
  TDataSource source;
  std::vector<std::unique_ptr<TRecordingLink>> links;
};

TEST_F(WindowTest, OpeningFillsAsManyBuffersAsTheLargestLinkAsks) {
  TRecordingLink& small = Link(5);
  TRecordingLink& big = Link(40);
  ds->Open();
  EXPECT_EQ(ds->BufferCount(), 40);
  EXPECT_TRUE(small.Active());
  EXPECT_EQ(small.notices.front(), "ActiveChanged");
  EXPECT_EQ(small.RecordCount(), 5);
  EXPECT_EQ(big.RecordCount(), 40);
  EXPECT_EQ(Rows(small), Range(1, 5));
  EXPECT_EQ(Rows(big), Range(1, 40));
  EXPECT_EQ(small.ActiveRecord(), 0);
  EXPECT_TRUE(small.Bof());
}

TEST_F(WindowTest, FewerRecordsThanRowsFillWhatThereIs) {
  auto few = MakePeople(3);
  TDataSource s;
  s.SetDataSet(few.get());
  TRecordingLink link;
  link.SetBufferCount(10);
  link.SetDataSource(&s);
  few->Open();
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(few->MoveBy(10), 2);
  EXPECT_TRUE(few->Eof());
  EXPECT_EQ(link.ActiveRecord(), 2);
}

TEST_F(WindowTest, MovingInsideTheWindowScrollsNothing) {
  TRecordingLink& link = Link(5);
  ds->Open();
  link.Clear();
  EXPECT_EQ(ds->MoveBy(3), 3);
  EXPECT_EQ(link.ActiveRecord(), 3);
  EXPECT_EQ(link.scrolls, std::vector<int>{0});
  EXPECT_EQ(Id(), 4);
}

TEST_F(WindowTest, StepsPastTheLastRowScrollByOne) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->MoveBy(4);
  link.Clear();
  ds->Next();
  EXPECT_EQ(link.scrolls, std::vector<int>{1});
  EXPECT_EQ(link.ActiveRecord(), 4);
  EXPECT_EQ(Rows(link), Range(2, 6));
  ds->MoveBy(-4);
  EXPECT_EQ(link.ActiveRecord(), 0);
  link.Clear();
  ds->Prior();
  EXPECT_EQ(link.scrolls, std::vector<int>{-1});
  EXPECT_EQ(Rows(link), Range(1, 5));
  EXPECT_EQ(Id(), 1);
}

TEST_F(WindowTest, OneRowLinkScrollsWithEveryStep) {
  TRecordingLink& link = Link(1);
  ds->Open();
  EXPECT_EQ(ds->BufferCount(), 1);
  link.Clear();
  ds->Next();
  ds->Next();
  ds->Prior();
  EXPECT_EQ(link.scrolls, (std::vector<int>{1, 1, -1}));
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(Id(), 2);
}

TEST_F(WindowTest, MoveByALongWayReportsTheWholeDistance) {
  TRecordingLink& small = Link(5);
  TRecordingLink& big = Link(40);
  ds->Open();
  small.Clear();
  big.Clear();
  EXPECT_EQ(ds->MoveBy(100), 99);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Id(), 100);
  EXPECT_EQ(big.scrolls, std::vector<int>{60});
  EXPECT_EQ(small.scrolls, std::vector<int>{95});
  EXPECT_EQ(small.ActiveRecord(), 4);
  EXPECT_EQ(big.ActiveRecord(), 39);
  EXPECT_EQ(Rows(small), Range(96, 100));
  EXPECT_EQ(Rows(big), Range(61, 100));
  // At the end, a further step forward moves nothing and says nothing.
  small.Clear();
  EXPECT_EQ(ds->MoveBy(1), 0);
  EXPECT_TRUE(small.scrolls.empty());
  EXPECT_EQ(ds->MoveBy(-100), -99);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(small.scrolls, std::vector<int>{-95});
}

TEST_F(WindowTest, SeveralLinksEachFollowTheirOwnWindow) {
  TRecordingLink& small = Link(5);
  TRecordingLink& big = Link(40);
  ds->Open();
  small.Clear();
  big.Clear();
  ds->MoveBy(5);
  EXPECT_EQ(small.scrolls, std::vector<int>{1});
  EXPECT_EQ(big.scrolls, std::vector<int>{0});
  EXPECT_EQ(small.ActiveRecord(), 4);
  EXPECT_EQ(big.ActiveRecord(), 5);
  EXPECT_EQ(Rows(small), Range(2, 6));
}

TEST_F(WindowTest, FirstAndLastRebuildTheWindow) {
  TRecordingLink& link = Link(5);
  ds->Open();
  link.Clear();
  ds->Last();
  EXPECT_EQ(link.notices, std::vector<std::string>{"DataSetChanged"});
  EXPECT_TRUE(ds->Eof());
  EXPECT_FALSE(ds->Bof());
  EXPECT_EQ(link.ActiveRecord(), 4);
  EXPECT_EQ(Rows(link), Range(96, 100));
  link.Clear();
  ds->First();
  EXPECT_EQ(link.notices, std::vector<std::string>{"DataSetChanged"});
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(Rows(link), Range(1, 5));
}

TEST_F(WindowTest, GrowingAndShrinkingALinkKeepsTheActiveRecord) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->MoveBy(50);
  EXPECT_EQ(Id(), 51);
  link.SetBufferCount(20);
  EXPECT_EQ(ds->BufferCount(), 20);
  EXPECT_EQ(Id(), 51);
  EXPECT_EQ(link.RecordCount(), 20);
  std::vector<int> rows = Rows(link);
  EXPECT_EQ(rows[static_cast<std::size_t>(link.ActiveRecord())], 51);
  EXPECT_EQ(rows, Range(rows.front(), rows.front() + 19));
  link.SetBufferCount(3);
  EXPECT_EQ(ds->BufferCount(), 3);
  EXPECT_EQ(Id(), 51);
  rows = Rows(link);
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[static_cast<std::size_t>(link.ActiveRecord())], 51);
}

TEST_F(WindowTest, ResyncCentredPutsTheRecordInTheMiddle) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->MoveBy(10);
  TBookmark mark = ds->Bookmark();
  ds->First();
  link.Clear();
  ds->GotoBookmark(mark);
  EXPECT_EQ(Id(), 11);
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(Rows(link), Range(9, 13));
  EXPECT_EQ(link.notices, std::vector<std::string>{"DataSetChanged"});
}

TEST_F(WindowTest, RefreshKeepsTheRowOfTheActiveRecord) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->MoveBy(20);  // row 4, record 21
  ds->MoveBy(-2);  // row 2, record 19
  EXPECT_EQ(link.ActiveRecord(), 2);
  ds->Refresh();
  EXPECT_EQ(Id(), 19);
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(Rows(link), Range(17, 21));
}

TEST_F(WindowTest, ResyncOfAVanishedRecordFailsExactlyAndFallsBackOtherwise) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->Last();
  TBookmark last = ds->Bookmark();
  ds->RemoveStoredRow(99);
  try {
    ds->GotoBookmark(last);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Record not found");
  }
  ds->Refresh();
  EXPECT_EQ(Id(), 99);
  EXPECT_EQ(link.RecordCount(), 5);
  EXPECT_EQ(Rows(link)[static_cast<std::size_t>(link.ActiveRecord())], 99);
}

TEST_F(WindowTest, DisableControlsHoldsNoticesAndSendsOneChangeOnRelease) {
  TRecordingLink& link = Link(5);
  ds->Open();
  link.Clear();
  ds->DisableControls();
  ds->DisableControls();
  ds->Next();
  ds->Next();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("X");
  ds->Post();
  ds->EnableControls();
  EXPECT_TRUE(link.notices.empty());
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->EnableControls();
  EXPECT_EQ(link.notices, std::vector<std::string>{"DataSetChanged"});
  EXPECT_EQ(link.ActiveRecord(), 2);
  // Nothing happened: nothing is sent.
  link.Clear();
  ds->DisableControls();
  ds->EnableControls();
  EXPECT_TRUE(link.notices.empty());
}

TEST_F(WindowTest, ControlsStillDeliverPendingEditsWhileDisabled) {
  TRecordingLink& link = Link(1);
  ds->Open();
  ds->Edit();
  ds->DisableControls();
  ds->FieldByName("Name")->SetAsString("Y");
  ds->Post();
  ds->EnableControls();
  EXPECT_EQ(link.updateDataCalls, 1);
}

TEST_F(WindowTest, EditingNoticesReachTheLinks) {
  TRecordingLink& link = Link(5);
  ds->Open();
  link.Clear();
  ds->Edit();
  EXPECT_TRUE(link.Editing());
  TField* name = ds->FieldByName("Name");
  name->SetAsString("Z");
  ds->Post();
  EXPECT_FALSE(link.Editing());
  ASSERT_GE(link.notices.size(), 4u);
  EXPECT_EQ(link.notices[0], "EditingChanged");
  EXPECT_EQ(link.notices[1], "RecordChanged");  // the record entered edit mode
  EXPECT_EQ(link.changedFields[0], nullptr);
  EXPECT_EQ(link.notices[2], "RecordChanged");
  EXPECT_EQ(link.changedFields[1], name);
  EXPECT_EQ(link.notices.back(), "DataSetChanged");
}

TEST_F(WindowTest, InsertOpensARowAtTheActivePosition) {
  TRecordingLink& link = Link(5);
  ds->Open();
  ds->MoveBy(2);
  ds->Insert();
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(link.RecordCount(), 5);
  link.SetActiveRecord(3);
  EXPECT_EQ(Id(), 3);  // the record that was current moved down one row
  link.SetActiveRecord(2);
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  ds->Cancel();
  EXPECT_EQ(Rows(link), Range(1, 5));
}

TEST_F(WindowTest, BookmarksReturnToTheirRecord) {
  Link(5);
  ds->Open();
  ds->MoveBy(30);
  TBookmark mark = ds->Bookmark();
  ASSERT_EQ(mark.size(), 4u);
  EXPECT_TRUE(ds->BookmarkValid(mark));
  ds->First();
  TBookmark first = ds->Bookmark();
  EXPECT_LT(ds->CompareBookmarks(first, mark), 0);
  EXPECT_EQ(ds->CompareBookmarks(mark, mark), 0);
  EXPECT_LT(ds->CompareBookmarks(TBookmark(), mark), 0);
  ds->GotoBookmark(mark);
  EXPECT_EQ(Id(), 31);
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(mark));
  EXPECT_EQ(Id(), 32);
}

TEST_F(WindowTest, RecNoFollowsTheCursorAndSetRecNoClamps) {
  Link(5);
  ds->Open();
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_EQ(ds->RecordCount(), 100);
  ds->MoveBy(41);
  EXPECT_EQ(ds->RecNo(), 42);
  ds->SetRecNo(0);
  EXPECT_EQ(ds->RecNo(), 1);
  ds->SetRecNo(500);
  EXPECT_EQ(ds->RecNo(), 100);
  ds->SetRecNo(60);
  EXPECT_EQ(Id(), 60);
}

TEST_F(WindowTest, LinksGoInactiveWhenTheSourceIsDisabledOrTheDatasetCloses) {
  TRecordingLink& link = Link(5);
  ds->Open();
  source.SetEnabled(false);
  EXPECT_FALSE(link.Active());
  link.Clear();
  ds->Next();
  EXPECT_TRUE(link.notices.empty());
  source.SetEnabled(true);
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(link.ActiveRecord(), 1);
  ds->Close();
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.RecordCount(), 0);
}

}  // namespace
