// The browse/edit/insert state machine, its events, and the error texts.
#include <gtest/gtest.h>

#include "test_dataset.h"

using namespace notarra;

namespace {

std::vector<std::string> Take(std::vector<std::string>& log) {
  std::vector<std::string> out;
  out.swap(log);
  return out;
}

class StateTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    ds = MakePeople(3);
    ds->Open();
    ds->log.clear();
  }
  std::unique_ptr<TTestDataSet> ds;
};

TEST_F(StateTest, OpenAndCloseRunTheirEventsAndCreateDefaultFields) {
  auto people = MakePeople(2);
  EXPECT_FALSE(people->Active());
  people->Open();
  EXPECT_EQ(Take(people->log), (std::vector<std::string>{"BeforeOpen", "AfterOpen", "AfterScroll"}));
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_TRUE(people->DefaultFields());
  ASSERT_EQ(people->FieldCount(), 5);
  EXPECT_NE(dynamic_cast<TStringField*>(people->FieldByName("name")), nullptr);
  EXPECT_EQ(people->FieldByName("Name")->FieldNo(), 2);
  EXPECT_TRUE(people->Bof());
  EXPECT_EQ(people->FieldByName("ID")->AsInteger(), 1);
  people->Close();
  EXPECT_EQ(Take(people->log), (std::vector<std::string>{"BeforeClose", "AfterClose"}));
  EXPECT_EQ(people->FieldCount(), 0);
}

TEST_F(StateTest, EditAndPostWritesTheRecord) {
  ds->Next();
  ds->log.clear();
  ds->Edit();
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_FALSE(ds->Modified());
  ds->FieldByName("Name")->SetAsString("Changed");
  EXPECT_TRUE(ds->Modified());
  EXPECT_TRUE(ds->FieldByName("Name")->Modified());
  EXPECT_FALSE(ds->FieldByName("ID")->Modified());
  ds->Post();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Take(ds->log), (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforePost", "InternalPost", "AfterPost"}));
  std::vector<char> expected(21, '\0');
  std::memcpy(expected.data(), "Changed", 7);
  EXPECT_EQ(ds->StoredValue(1, 1), expected);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Changed");
  EXPECT_EQ(ds->RecNo(), 2);
}

TEST_F(StateTest, CancelRestoresTheBufferFromTheRecord) {
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Discarded");
  ds->Cancel();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Person 1");
  EXPECT_EQ(Take(ds->log), (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforeCancel", "InternalCancel", "AfterCancel"}));
}

TEST_F(StateTest, InsertPutsTheNewRecordBeforeTheCurrentOne) {
  ds->Next();  // on record 2
  ds->log.clear();
  ds->Insert();
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  EXPECT_TRUE(ds->Bookmark().empty());
  EXPECT_EQ(Take(ds->log), (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
  ds->FieldByName("ID")->SetAsInteger(99);
  ds->Post();
  EXPECT_EQ(ds->StoredCount(), 4);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 99);
  EXPECT_EQ(ds->RecNo(), 2);
  ds->Next();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST_F(StateTest, AppendAddsAtTheEnd) {
  ds->Append();
  EXPECT_EQ(ds->State(), dsInsert);
  ds->FieldByName("ID")->SetAsInteger(50);
  ds->Post();
  EXPECT_EQ(ds->RecNo(), 4);
  ds->Prior();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(StateTest, CancelledInsertLeavesNothingAndReturnsToTheRecord) {
  ds->Next();
  ds->Insert();
  ds->FieldByName("ID")->SetAsInteger(77);
  ds->Cancel();
  EXPECT_EQ(ds->StoredCount(), 3);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST_F(StateTest, OnNewRecordFillsDefaults) {
  ds->OnNewRecord = [](TDataSet* d) { d->FieldByName("Name")->SetAsString("New"); };
  ds->Append();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "New");
  // Defaults alone do not count as a change.
  EXPECT_FALSE(ds->Modified());
}

TEST_F(StateTest, DeleteRemovesTheRecordAndMovesToTheNext) {
  ds->Next();
  ds->log.clear();
  ds->Delete();
  EXPECT_EQ(Take(ds->log), (std::vector<std::string>{"BeforeDelete", "BeforeScroll", "InternalDelete", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(ds->StoredCount(), 2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ds->Delete();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
  ds->Delete();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  try {
    ds->Delete();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Cannot perform this operation on an empty dataset");
  }
}

TEST_F(StateTest, DeleteWhileInsertingCancelsTheInsert) {
  ds->Insert();
  ds->Delete();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->StoredCount(), 3);
}

TEST_F(StateTest, EditOnAnEmptyDatasetInserts) {
  auto empty = MakePeople(0);
  empty->Open();
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_TRUE(empty->Bof() && empty->Eof());
  empty->Edit();
  EXPECT_EQ(empty->State(), dsInsert);
}

TEST_F(StateTest, CheckBrowseModePostsAChangedEditAndCancelsAnUnchangedOne) {
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Kept");
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->log.back(), "AfterPost");
  ds->Edit();
  ds->log.clear();
  ds->CheckBrowseMode();
  EXPECT_EQ(Take(ds->log), (std::vector<std::string>{"BeforeCancel", "InternalCancel", "AfterCancel"}));
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Kept");
}

TEST_F(StateTest, MovingPostsAPendingEdit) {
  ds->Edit();
  ds->FieldByName("ID")->SetAsInteger(10);
  ds->Next();
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->First();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);
}

TEST_F(StateTest, ReadOnlyDatasetRefusesChanges) {
  ds->readOnly = true;
  EXPECT_FALSE(ds->CanModify());
  for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append}) {
    try {
      ((*ds).*op)();
      FAIL();
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "People: Cannot modify a read-only dataset");
    }
    EXPECT_EQ(ds->State(), dsBrowse);
  }
}

TEST_F(StateTest, WritingAFieldOutsideEditIsRefused) {
  EXPECT_THROW(ds->FieldByName("Name")->SetAsString("x"), EDatabaseError);
  try {
    ds->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Dataset not in edit or insert mode");
  }
}

TEST_F(StateTest, ClosedDatasetRefusesOperations) {
  ds->Close();
  try {
    ds->Next();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(ds->Delete(), EDatabaseError);
}

TEST_F(StateTest, RequiredFieldMustHaveAValue) {
  auto people = MakePeople(1);
  people->Open();
  people->FieldByName("Name")->SetRequired(true);
  people->Append();
  try {
    people->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Field 'Name' must have a value");
  }
  EXPECT_EQ(people->State(), dsInsert);
  people->FieldByName("Name")->SetAsString("Given");
  people->Post();
  EXPECT_EQ(people->StoredCount(), 2);
}

TEST_F(StateTest, FieldByNameNamesTheDatasetAndTheField) {
  try {
    ds->FieldByName("Nope");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Field 'Nope' not found");
  }
  EXPECT_EQ(ds->FindField("nope"), nullptr);
  EXPECT_EQ(ds->FindField("AMOUNT"), ds->Fields()[2]);
}

TEST_F(StateTest, GetFieldListAndValues) {
  std::vector<TField*> list;
  ds->GetFieldList(list, "Name; ID");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->FieldName(), "Name");
  EXPECT_EQ(list[1]->FieldName(), "ID");
  TVariant v = ds->GetFieldValue("ID;Name");
  ASSERT_TRUE(v.IsArray());
  EXPECT_EQ(v[0], TVariant(1));
  EXPECT_EQ(v[1], TVariant("Person 1"));
  EXPECT_THROW(ds->GetFieldList(list, "ID;Missing"), EDatabaseError);
}

TEST_F(StateTest, InsertRecordAndAppendRecordPostAtOnce) {
  ds->Next();
  ds->InsertRecord({TVariant(40), TVariant("Inserted")});
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Inserted");
  EXPECT_EQ(ds->RecNo(), 2);
  ds->AppendRecord({TVariant(41), Unassigned(), TVariant(2.5)});
  EXPECT_EQ(ds->RecNo(), 5);
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  EXPECT_DOUBLE_EQ(ds->FieldByName("Amount")->AsFloat(), 2.5);
}

TEST_F(StateTest, PersistentFieldsAreBoundAndCheckedAgainstTheDefinitions) {
  auto people = MakePeople(2);
  auto* id = new TIntegerField(people.get());
  id->SetFieldName("ID");
  id->SetDataSet(people.get());
  people->Open();
  EXPECT_FALSE(people->DefaultFields());
  EXPECT_EQ(people->FieldCount(), 1);
  EXPECT_EQ(id->FieldNo(), 1);
  people->Close();
  EXPECT_EQ(people->FieldCount(), 1);  // persistent fields stay

  auto wrong = MakePeople(1);
  auto* f = new TStringField(wrong.get());
  f->SetFieldName("ID");
  f->SetDataSet(wrong.get());
  try {
    wrong->Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Type mismatch for field 'ID', expecting: String actual: Integer");
  }
  EXPECT_FALSE(wrong->Active());
}

TEST_F(StateTest, DuplicateFieldNamesAreRefused) {
  auto people = MakePeople(0);
  auto* a = new TIntegerField(people.get());
  a->SetFieldName("ID");
  a->SetDataSet(people.get());
  auto* b = new TIntegerField(people.get());
  b->SetFieldName("id");
  EXPECT_THROW(b->SetDataSet(people.get()), EDatabaseError);
  EXPECT_EQ(b->DataSet(), nullptr);
  EXPECT_EQ(people->FieldCount(), 1);
}

TEST_F(StateTest, TempStateIsEnteredAndLeftWithoutNotices) {
  TDataSource source;
  TRecordingLink link;
  source.SetDataSet(ds.get());
  link.SetDataSource(&source);
  link.Clear();
  TDataSetState old = ds->SetTempState(dsCalcFields);
  EXPECT_EQ(old, dsBrowse);
  EXPECT_EQ(ds->State(), dsCalcFields);
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->RestoreState(old);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_TRUE(link.notices.empty());
  EXPECT_EQ(source.State(), dsBrowse);
}

TEST_F(StateTest, AFailedOpenLeavesTheDatasetClosedAndReopenable) {
  auto people = MakePeople(2);
  people->failOpenAfterBind = true;
  try {
    people->Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Error opening table: damaged");
  }
  EXPECT_FALSE(people->Active());
  EXPECT_EQ(people->FieldCount(), 0);  // the default fields went with the failed open
  people->failOpenAfterBind = false;
  people->Open();
  EXPECT_TRUE(people->DefaultFields());
  EXPECT_EQ(people->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(StateTest, ActiveSetWhileLoadingOpensWhenLoaded) {
  auto people = MakePeople(1);
  people->BeginLoading();
  people->SetActive(true);
  EXPECT_FALSE(people->Active());
  people->Loaded();
  EXPECT_TRUE(people->Active());
}

TEST_F(StateTest, FieldPropertyChangesTellTheControls) {
  TDataSource source;
  TRecordingLink link;
  source.SetDataSet(ds.get());
  link.SetDataSource(&source);
  link.Clear();
  ds->FieldByName("Name")->SetVisible(false);
  ds->FieldByName("Name")->SetDisplayFormat("x");
  EXPECT_EQ(link.notices, (std::vector<std::string>{"LayoutChanged", "DataSetChanged"}));
}

TEST_F(StateTest, FieldDefinitionsCreateFieldsOfTheirType) {
  TFieldDefs& defs = ds->FieldDefs();
  EXPECT_EQ(defs.Count(), 5);
  EXPECT_EQ(defs.Find("name")->Size(), 20);
  EXPECT_EQ(defs.IndexOf("BORN"), 4);
  EXPECT_EQ(defs.Find("nope"), nullptr);
  auto other = MakePeople(0);
  other->FieldDefs().Add("Price", ftBCD, 0, false);
  try {
    other->FieldDefs()[0]->CreateField(other.get());
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "People: Field 'Price' is of an unknown type");
  }
  other->FieldDefs().Add("Note", ftString, 12, true);
  TField* f = other->FieldDefs()[1]->CreateField(other.get());
  EXPECT_EQ(f->Size(), 12);
  EXPECT_TRUE(f->Required());
  EXPECT_EQ(f->DataSet(), other.get());
}

}  // namespace
