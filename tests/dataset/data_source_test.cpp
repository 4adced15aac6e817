// Data sources and the field, detail and master data links.
#include <gtest/gtest.h>

#include "test_dataset.h"

using namespace notarra;

namespace {

class SourceTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    ds = MakePeople(5);
    source.SetName("dsPeople");
    source.SetDataSet(ds.get());
  }
  std::unique_ptr<TTestDataSet> ds;
  TDataSource source;
};

TEST_F(SourceTest, FollowsTheDatasetsStateAndReportsChanges) {
  std::vector<TDataSetState> states;
  std::vector<TField*> changes;
  source.OnStateChange = [&](TObject*) { states.push_back(source.State()); };
  source.OnDataChange = [&](TObject*, TField* f) { changes.push_back(f); };
  EXPECT_EQ(source.State(), dsInactive);
  ds->Open();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("N");
  ds->Post();
  ds->Close();
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
  ASSERT_GE(changes.size(), 3u);
  EXPECT_EQ(changes[0], nullptr);  // opened
  EXPECT_NE(std::find(changes.begin(), changes.end(), ds->Fields().FindField("Name")), changes.end());
}

TEST_F(SourceTest, AutoEditPutsTheDatasetIntoEditState) {
  ds->Open();
  EXPECT_TRUE(source.AutoEdit());
  source.Edit();
  EXPECT_EQ(ds->State(), dsEdit);
  ds->Cancel();
  source.SetAutoEdit(false);
  source.Edit();
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(SourceTest, CircularLinksAreRefused) {
  // A dataset whose master source is this source cannot become its dataset.
  struct TDetail : TTestDataSet {
    TDataSource* master = nullptr;
    using TTestDataSet::TTestDataSet;
    TDataSource* GetMasterSource() const override { return master; }
  };
  TDetail detail({{"ID", ftInteger}});
  detail.master = &source;
  TDataSource other;
  other.SetName("dsDetail");
  other.SetDataSet(&detail);
  EXPECT_TRUE(detail.IsLinkedTo(&other));
  EXPECT_TRUE(other.IsLinkedTo(&detail) == false);
  try {
    source.SetDataSet(&detail);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "dsPeople: Circular datalinks are not allowed");
  }
  EXPECT_EQ(source.DataSet(), ds.get());
}

TEST_F(SourceTest, DestroyingTheDatasetDetachesTheSource) {
  TRecordingLink link;
  link.SetDataSource(&source);
  ds->Open();
  EXPECT_TRUE(link.Active());
  ds.reset();
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(source.State(), dsInactive);
}

TEST_F(SourceTest, DestroyingTheSourceDetachesItsLinks) {
  auto s = std::make_unique<TDataSource>();
  s->SetDataSet(ds.get());
  TRecordingLink link;
  link.SetDataSource(s.get());
  ds->Open();
  s.reset();
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_FALSE(link.Active());
  ds->Next();  // no link left to notify
  EXPECT_EQ(ds->BufferCount(), 1);
}

TEST_F(SourceTest, ReadOnlyLinkNeverEdits) {
  TRecordingLink link;
  link.SetDataSource(&source);
  ds->Open();
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  link.SetReadOnly(false);
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(ds->State(), dsEdit);
}

TEST_F(SourceTest, FixedDataSourceCannotChange) {
  TRecordingLink link;
  link.SetDataSource(&source);
  link.SetDataSourceFixed(true);
  TDataSource other;
  try {
    link.SetDataSource(&other);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "dsPeople: DataSource cannot be changed");
  }
}

// --------------------------------------------------------------- field links

class FieldLinkTest : public SourceTest {
protected:
  void SetUp() override {
    SourceTest::SetUp();
    link.SetFieldName("Name");
    link.OnDataChange = [this](TObject*) {
      ++dataChanges;
      shown = link.Field() != nullptr ? link.Field()->DisplayText() : std::string();
    };
    link.OnEditingChange = [this](TObject*) { editingChanges.push_back(link.Editing()); };
    link.OnUpdateData = [this](TObject*) { link.Field()->SetText(typed); };
    link.SetDataSource(&source);
  }
  TFieldDataLink link;
  int dataChanges = 0;
  std::string shown;
  std::string typed;
  std::vector<bool> editingChanges;
};

TEST_F(FieldLinkTest, FindsItsFieldWhenTheDatasetOpens) {
  EXPECT_EQ(link.Field(), nullptr);
  ds->Open();
  ASSERT_NE(link.Field(), nullptr);
  EXPECT_EQ(link.Field()->FieldName(), "Name");
  EXPECT_EQ(shown, "Person 1");
  ds->Next();
  EXPECT_EQ(shown, "Person 2");
  ds->Close();
  EXPECT_EQ(link.Field(), nullptr);
}

TEST_F(FieldLinkTest, AnUnknownFieldNameLeavesTheLinkEmpty) {
  link.SetFieldName("Nope");
  EXPECT_NO_THROW(ds->Open());
  EXPECT_EQ(link.Field(), nullptr);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
}

TEST_F(FieldLinkTest, EditModifiedAndUpdateRecordWriteTheTypedText) {
  ds->Open();
  EXPECT_FALSE(link.Editing());
  EXPECT_TRUE(link.Edit());
  EXPECT_TRUE(link.Editing());
  EXPECT_EQ(editingChanges, std::vector<bool>{true});
  typed = "Typed";
  // Without Modified the control's text is not asked for.
  link.UpdateRecord();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Person 1");
  link.Modified();
  EXPECT_TRUE(link.IsModified());
  int before = dataChanges;
  ds->Post();  // asks the links for their data first
  EXPECT_FALSE(link.IsModified());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Typed");
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(link.Editing());
  EXPECT_GT(dataChanges, before);
  EXPECT_EQ(shown, "Typed");
}

TEST_F(FieldLinkTest, OwnWriteDoesNotEchoButOtherWritesDo) {
  ds->Open();
  link.Edit();
  typed = "Mine";
  link.Modified();
  int before = dataChanges;
  link.UpdateRecord();
  EXPECT_EQ(dataChanges, before);  // the field change from its own write is not echoed
  ds->FieldByName("Name")->SetAsString("Code");
  EXPECT_EQ(dataChanges, before + 1);
  EXPECT_EQ(shown, "Code");
  ds->FieldByName("ID")->SetAsInteger(8);
  EXPECT_EQ(dataChanges, before + 1);  // another field
}

TEST_F(FieldLinkTest, ResetThrowsAwayTheControlsChange) {
  ds->Open();
  link.Edit();
  link.Modified();
  link.Reset();
  EXPECT_FALSE(link.IsModified());
  EXPECT_EQ(shown, "Person 1");
}

TEST_F(FieldLinkTest, ReadOnlyFieldOrDatasetKeepsTheLinkFromEditing) {
  ds->Open();
  ds->FieldByName("Name")->SetReadOnly(true);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->FieldByName("Name")->SetReadOnly(false);
  ds->readOnly = true;
  EXPECT_FALSE(link.Edit());
  // The dataset editing through another control does not make this link edit.
  ds->readOnly = false;
  ds->FieldByName("Name")->SetReadOnly(true);
  ds->Edit();
  EXPECT_FALSE(link.Editing());
}

TEST_F(FieldLinkTest, FocusControlReachesTheLinkOfThatField) {
  ds->Open();
  int asked = 0;
  link.OnFocusControl = [&asked](TFieldDataLink*, bool& taken) {
    ++asked;
    taken = true;
  };
  ds->FieldByName("ID")->FocusControl();
  EXPECT_EQ(asked, 0);
  ds->FieldByName("Name")->FocusControl();
  EXPECT_EQ(asked, 1);
}

TEST_F(FieldLinkTest, RequiredFieldErrorAsksItsControlForFocus) {
  ds->Open();
  int asked = 0;
  link.OnFocusControl = [&asked](TFieldDataLink*, bool& taken) {
    ++asked;
    taken = true;
  };
  ds->FieldByName("Name")->SetRequired(true);
  ds->Append();
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_EQ(asked, 1);
}

// -------------------------------------------------------------- master links

TEST_F(SourceTest, MasterLinkReportsMasterChanges) {
  auto detail = MakePeople(1);
  TMasterDataLink master(detail.get());
  master.SetFieldNames("ID");
  int changes = 0, disables = 0;
  master.OnMasterChange = [&changes](TObject*) { ++changes; };
  master.OnMasterDisable = [&disables](TObject*) { ++disables; };
  detail->Open();
  master.SetDataSource(&source);
  EXPECT_EQ(master.DetailDataSet(), detail.get());
  ds->Open();
  ASSERT_EQ(master.Fields().size(), 1u);
  EXPECT_EQ(master.Fields()[0]->FieldName(), "ID");
  int afterOpen = changes;
  EXPECT_GE(afterOpen, 1);
  ds->Next();
  EXPECT_GT(changes, afterOpen);
  int afterMove = changes;
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Not a key");
  EXPECT_EQ(changes, afterMove + 1);  // the record-change notice of Edit
  ds->FieldByName("ID")->SetAsInteger(42);
  EXPECT_EQ(changes, afterMove + 2);
  ds->Cancel();
  ds->Close();
  EXPECT_EQ(disables, 1);
}

}  // namespace
