// Fields: conversions per type, null rules, text events, validation,
// calculated and lookup fields, BLOB content.
#include <gtest/gtest.h>

#include "test_dataset.h"

using namespace notarra;

namespace {

std::vector<char> Bytes(const void* p, std::size_t n) {
  const char* c = static_cast<const char*>(p);
  return std::vector<char>(c, c + n);
}

class FieldTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    ds = std::make_unique<TTestDataSet>(std::vector<TTestColumn>{{"S", ftString, 10},
                                                                    {"Small", ftSmallint},
                                                                    {"W", ftWord},
                                                                    {"I", ftInteger},
                                                                    {"L", ftLargeint},
                                                                    {"B", ftBoolean},
                                                                    {"F", ftFloat},
                                                                    {"C", ftCurrency},
                                                                    {"D", ftDate},
                                                                    {"T", ftTime},
                                                                    {"DT", ftDateTime},
                                                                    {"A", ftAutoInc},
                                                                    {"M", ftMemo}});
    ds->SetName("Kinds");
    ds->AddRow({});
    ds->Open();
    ds->Edit();
  }
  void TearDown() override { FormatSettings() = TFormatSettings::UsEnglish(); }
  TField* F(const char* name) { return ds->FieldByName(name); }
  // The stored bytes after posting and re-entering edit.
  std::vector<char> Stored(int field) {
    ds->Post();
    std::vector<char> v = ds->StoredValue(0, field);
    ds->Edit();
    return v;
  }
  std::unique_ptr<TTestDataSet> ds;
};

TEST_F(FieldTest, DefaultFieldsHaveTheClassAndFormOfTheirType) {
  EXPECT_NE(dynamic_cast<TSmallintField*>(F("Small")), nullptr);
  EXPECT_NE(dynamic_cast<TWordField*>(F("W")), nullptr);
  EXPECT_NE(dynamic_cast<TLargeintField*>(F("L")), nullptr);
  EXPECT_NE(dynamic_cast<TCurrencyField*>(F("C")), nullptr);
  EXPECT_NE(dynamic_cast<TAutoIncField*>(F("A")), nullptr);
  EXPECT_NE(dynamic_cast<TMemoField*>(F("M")), nullptr);
  EXPECT_EQ(F("S")->DataSize(), 11);
  EXPECT_EQ(F("B")->DataSize(), 2);
  EXPECT_EQ(F("D")->DataSize(), 4);
  EXPECT_EQ(F("DT")->DataSize(), 8);
  EXPECT_EQ(F("I")->Alignment(), taRightJustify);
  EXPECT_EQ(F("S")->Alignment(), taLeftJustify);
  EXPECT_EQ(F("S")->DisplayWidth(), 10);
  EXPECT_TRUE(F("C")->Currency());
  EXPECT_EQ(F("M")->DataType(), ftMemo);
}

TEST_F(FieldTest, EveryFieldOfAnEmptyRecordIsNull) {
  for (TField* f : ds->Fields()) {
    EXPECT_TRUE(f->IsNull()) << f->FieldName();
    EXPECT_TRUE(VarIsNull(f->Value())) << f->FieldName();
    EXPECT_EQ(f->Text(), f->IsBlob() ? "(Memo)" : "") << f->FieldName();
  }
  EXPECT_EQ(F("I")->AsInteger(), 0);
  EXPECT_EQ(F("F")->AsFloat(), 0.0);
  EXPECT_FALSE(F("B")->AsBoolean());
  EXPECT_EQ(F("D")->AsDateTime(), 0.0);
}

TEST_F(FieldTest, IntegersWriteTheirStorageFormAndCheckTheRange) {
  F("Small")->SetAsString("-300");
  int16_t s = -300;
  EXPECT_EQ(Stored(1), Bytes(&s, 2));
  F("W")->SetAsInteger(65535);
  uint16_t w = 65535;
  EXPECT_EQ(Stored(2), Bytes(&w, 2));
  F("L")->SetAsString("9000000000");
  int64_t l = 9000000000LL;
  EXPECT_EQ(Stored(4), Bytes(&l, 8));
  EXPECT_EQ(F("L")->AsLargeInt(), 9000000000LL);
  try {
    F("Small")->SetAsInteger(40000);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767");
  }
  EXPECT_EQ(F("Small")->AsInteger(), -300);
  EXPECT_THROW(F("W")->SetAsInteger(-1), EDatabaseError);
  auto* i = static_cast<TIntegerField*>(F("I"));
  i->SetMinValue(1);
  i->SetMaxValue(10);
  EXPECT_THROW(i->SetAsInteger(11), EDatabaseError);
  i->SetAsInteger(10);
  EXPECT_EQ(i->Value(), TVariant(10));
}

TEST_F(FieldTest, TextThatIsNotANumberRaisesAConversionError) {
  F("I")->SetAsInteger(5);
  try {
    F("I")->SetText("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
  }
  EXPECT_EQ(F("I")->AsInteger(), 5);
  try {
    F("F")->SetText("1.2.3");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1.2.3' is not a valid floating point value");
  }
  EXPECT_THROW(F("D")->SetText("31/31/2000"), EConvertError);
  EXPECT_THROW(F("T")->SetText("noon"), EConvertError);
  EXPECT_THROW(F("DT")->SetText("x"), EConvertError);
}

TEST_F(FieldTest, EmptyTextClearsNumbersAndDates) {
  F("I")->SetAsInteger(3);
  F("I")->SetText("");
  EXPECT_TRUE(F("I")->IsNull());
  F("D")->SetAsDateTime(EncodeDate(2000, 1, 1));
  F("D")->SetText("");
  EXPECT_TRUE(F("D")->IsNull());
  F("B")->SetAsBoolean(true);
  F("B")->SetText("");
  EXPECT_TRUE(F("B")->IsNull());
}

TEST_F(FieldTest, BooleansShowTrueAndFalseAndAcceptThemBack) {
  F("B")->SetAsBoolean(true);
  int16_t minusOne = -1;
  EXPECT_EQ(Stored(5), Bytes(&minusOne, 2));
  EXPECT_EQ(F("B")->Text(), "True");
  F("B")->SetText("false");
  EXPECT_FALSE(F("B")->IsNull());  // false is a value
  EXPECT_EQ(F("B")->DisplayText(), "False");
  F("B")->SetText("TRUE");
  EXPECT_TRUE(F("B")->AsBoolean());
  F("B")->SetText("f");
  EXPECT_FALSE(F("B")->AsBoolean());
  try {
    F("B")->SetText("maybe");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "'maybe' is not a valid boolean value");
  }
  auto* b = static_cast<TBooleanField*>(F("B"));
  b->SetDisplayValues("Yes;No");
  F("B")->SetText("yes");
  EXPECT_EQ(F("B")->Text(), "Yes");
}

TEST_F(FieldTest, FloatsUseTheLocaleAndTheirFormats) {
  FormatSettings().DecimalSeparator = ',';
  F("F")->SetText("1234,5");
  EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 1234.5);
  EXPECT_EQ(F("F")->Text(), "1234,5");
  F("F")->SetDisplayFormat("#,##0.00");
  FormatSettings().ThousandSeparator = '.';
  EXPECT_EQ(F("F")->DisplayText(), "1.234,50");
  EXPECT_EQ(F("F")->EditText(), "1.234,50");  // no edit format: the display format
  F("F")->SetEditFormat("0.0");
  EXPECT_EQ(F("F")->EditText(), "1234,5");
  FormatSettings() = TFormatSettings::UsEnglish();
  F("C")->SetAsFloat(1234.5);
  EXPECT_EQ(F("C")->DisplayText(), "1,234.50");
  EXPECT_EQ(F("C")->Text(), "1234.50");
  auto* f = static_cast<TFloatField*>(F("F"));
  f->SetDisplayFormat("");
  f->SetEditFormat("");
  f->SetAsFloat(1.0 / 3.0);
  EXPECT_EQ(f->Precision(), 15);
  EXPECT_EQ(f->Text(), "0.333333333333333");
  f->SetPrecision(4);
  EXPECT_EQ(f->Text(), "0.3333");
  EXPECT_EQ(F("F")->AsInteger(), 0);
}

TEST_F(FieldTest, DatesAndTimesStoreDayNumbersAndMilliseconds) {
  F("D")->SetText("1/1/2000");
  int32_t day = 730120;
  EXPECT_EQ(Stored(8), Bytes(&day, 4));
  EXPECT_EQ(F("D")->Text(), "1/1/2000");
  F("T")->SetText("1:02:03 PM");
  int32_t ms = (13 * 3600 + 2 * 60 + 3) * 1000;
  EXPECT_EQ(Stored(9), Bytes(&ms, 4));
  EXPECT_EQ(F("T")->Text(), "1:02:03 PM");
  F("DT")->SetAsDateTime(EncodeDate(2000, 1, 1) + EncodeTime(6, 0, 0, 0));
  double stamp = 730120.0 * 86400000 + 6 * 3600000.0;
  EXPECT_EQ(Stored(10), Bytes(&stamp, 8));
  EXPECT_EQ(F("DT")->Text(), "1/1/2000 6:00:00 AM");
  F("D")->SetDisplayFormat("yyyy-mm-dd");
  EXPECT_EQ(F("D")->DisplayText(), "2000-01-01");
  EXPECT_EQ(F("D")->EditText(), "1/1/2000");
  EXPECT_EQ(VarType(F("D")->Value()), varDate);
}

TEST_F(FieldTest, StringsAreCutToTheirSize) {
  F("S")->SetAsString("abcdefghijKLM");
  EXPECT_EQ(F("S")->AsString(), "abcdefghij");
  std::vector<char> expected{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', '\0'};
  EXPECT_EQ(Stored(0), expected);
  F("S")->SetAsString("42");
  EXPECT_EQ(F("S")->AsInteger(), 42);
  F("S")->SetAsString("4x2");
  EXPECT_THROW(F("S")->AsFloat(), EConvertError);
  F("S")->SetAsString("yes");
  EXPECT_TRUE(F("S")->AsBoolean());
}

TEST_F(FieldTest, VariantsConvertIntoTheFieldsType) {
  F("I")->SetValue(TVariant("17"));
  EXPECT_EQ(F("I")->AsInteger(), 17);
  F("F")->SetValue(TVariant(3));
  EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 3.0);
  F("S")->SetValue(TVariant(2.5));
  EXPECT_EQ(F("S")->AsString(), "2.5");
  F("S")->SetValue(Null());
  EXPECT_TRUE(F("S")->IsNull());
  EXPECT_THROW(F("I")->SetValue(TVariant("x")), EConvertError);
}

TEST_F(FieldTest, ValidCharactersFollowTheType) {
  EXPECT_TRUE(F("I")->IsValidChar('7'));
  EXPECT_TRUE(F("I")->IsValidChar('-'));
  EXPECT_FALSE(F("I")->IsValidChar('a'));
  EXPECT_FALSE(F("I")->IsValidChar('.'));
  EXPECT_TRUE(F("F")->IsValidChar('.'));
  EXPECT_TRUE(F("F")->IsValidChar('E'));
  EXPECT_FALSE(F("F")->IsValidChar(','));
  FormatSettings().DecimalSeparator = ',';
  EXPECT_TRUE(F("F")->IsValidChar(','));
  EXPECT_TRUE(F("S")->IsValidChar('a'));
}

TEST_F(FieldTest, TextEventsReplaceTheFieldsOwnText) {
  TField* i = F("I");
  i->SetAsInteger(7);
  i->OnGetText = [](TField* f, std::string& text, bool display) {
    text = (display ? "shown " : "edit ") + std::to_string(f->AsInteger());
  };
  EXPECT_EQ(i->DisplayText(), "shown 7");
  EXPECT_EQ(i->Text(), "edit 7");
  i->OnSetText = [](TField* f, const std::string& text) { f->SetAsInteger(static_cast<int32_t>(text.size())); };
  i->SetText("abcd");
  EXPECT_EQ(i->AsInteger(), 4);
}

TEST_F(FieldTest, OnValidateSeesTheNewValueAndCanRefuseIt) {
  TField* i = F("I");
  i->SetAsInteger(1);
  std::vector<int> seen;
  i->OnValidate = [&seen](TField* f) {
    seen.push_back(f->AsInteger());
    if (f->AsInteger() < 0) DatabaseError("No negatives");
  };
  i->SetAsInteger(5);
  EXPECT_THROW(i->SetAsInteger(-2), EDatabaseError);
  EXPECT_EQ(seen, (std::vector<int>{5, -2}));
  EXPECT_EQ(i->AsInteger(), 5);
}

TEST_F(FieldTest, OnChangeFiresForEveryWrite) {
  int changes = 0;
  F("S")->OnChange = [&changes](TField*) { ++changes; };
  F("S")->SetAsString("a");
  F("S")->SetText("b");
  EXPECT_EQ(changes, 2);
}

TEST_F(FieldTest, ReadOnlyFieldsCannotBeModified) {
  F("S")->SetReadOnly(true);
  EXPECT_FALSE(F("S")->CanModify());
  try {
    F("S")->SetAsString("x");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Kinds: Field 'S' cannot be modified");
  }
}

TEST_F(FieldTest, WrongTypeAccessNamesTheField) {
  try {
    F("D")->AsBoolean();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot access field 'D' as type Boolean");
  }
}

TEST_F(FieldTest, MemoContentGoesThroughBlobStreams) {
  TField* m = F("M");
  m->SetAsString("line one\r\nline two");
  EXPECT_FALSE(m->IsNull());
  EXPECT_EQ(m->DisplayText(), "(MEMO)");
  ds->Post();
  EXPECT_EQ(ds->StoredBlob(0, 12), "line one\r\nline two");
  EXPECT_EQ(m->AsString(), "line one\r\nline two");
  EXPECT_EQ(static_cast<TBlobField*>(m)->BlobSize(), 18);
}

TEST_F(FieldTest, DisplayLabelFallsBackToTheFieldName) {
  TField* s = F("S");
  EXPECT_EQ(s->DisplayLabel(), "S");
  s->SetDisplayLabel("Subject");
  EXPECT_EQ(s->DisplayName(), "Subject");
  EXPECT_EQ(s->FullName(), "S");
  EXPECT_EQ(s->Index(), 0);
  s->SetIndex(2);
  EXPECT_EQ(ds->Fields()[2], s);
  EXPECT_EQ(s->Index(), 2);
}

// ------------------------------------------------------ calculated and lookup

class CalcTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::UsEnglish();
    groups = std::make_unique<TTestDataSet>(std::vector<TTestColumn>{{"Code", ftInteger}, {"Title", ftString, 15}});
    groups->SetName("Groups");
    groups->AddRow({1, "Ideas"});
    groups->AddRow({2, "Drafts"});
    items = std::make_unique<TTestDataSet>(
        std::vector<TTestColumn>{{"Qty", ftInteger}, {"Price", ftFloat}, {"GroupCode", ftInteger}});
    items->SetName("Items");
    items->AddRow({2, 1.5, 1});
    items->AddRow({3, 2.0, 2});
    items->AddRow({4, 1.0, 9});
    qty = new TIntegerField(items.get());
    qty->SetFieldName("Qty");
    qty->SetDataSet(items.get());
    price = new TFloatField(items.get());
    price->SetFieldName("Price");
    price->SetDataSet(items.get());
    code = new TIntegerField(items.get());
    code->SetFieldName("GroupCode");
    code->SetDataSet(items.get());
    total = new TFloatField(items.get());
    total->SetFieldName("Total");
    total->SetFieldKind(fkCalculated);
    total->SetDataSet(items.get());
    group = new TStringField(items.get());
    group->SetFieldName("GroupTitle");
    group->SetSize(15);
    group->SetFieldKind(fkLookup);
    group->SetLookupDataSet(groups.get());
    group->SetKeyFields("GroupCode");
    group->SetLookupKeyFields("Code");
    group->SetLookupResultField("Title");
    group->SetDataSet(items.get());
    items->OnCalcFields = [this](TDataSet*) {
      ++calcCalls;
      if (!qty->IsNull()) total->SetAsFloat(qty->AsInteger() * price->AsFloat());
    };
  }
  std::unique_ptr<TTestDataSet> groups, items;
  TIntegerField *qty = nullptr, *code = nullptr;
  TFloatField *price = nullptr, *total = nullptr;
  TStringField* group = nullptr;
  int calcCalls = 0;
};

TEST_F(CalcTest, CalculatedFieldsAreComputedForEveryRecord) {
  items->Open();
  EXPECT_EQ(total->FieldNo(), -1);
  EXPECT_EQ(items->CalcFieldsSize(), (8 + 1) + (16 + 1));
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
  items->Next();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 6.0);
  EXPECT_FALSE(total->CanModify());
  EXPECT_THROW(total->SetAsFloat(1), EDatabaseError);  // browse mode
}

TEST_F(CalcTest, EveryBufferKeepsItsOwnCalculatedValues) {
  TDataSource source;
  source.SetDataSet(items.get());
  TRecordingLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&source);
  items->Open();
  std::vector<double> totals;
  std::vector<std::string> groupsShown;
  for (int row = 0; row < link.RecordCount(); ++row) {
    link.SetActiveRecord(row);
    totals.push_back(total->AsFloat());
    groupsShown.push_back(group->DisplayText());
  }
  link.SetActiveRecord(0);
  EXPECT_EQ(totals, (std::vector<double>{3.0, 6.0, 4.0}));
  EXPECT_EQ(groupsShown, (std::vector<std::string>{"Ideas", "Drafts", ""}));
}

TEST_F(CalcTest, ChangingADataFieldRecalculates) {
  items->Open();
  items->Edit();
  qty->SetAsInteger(10);
  EXPECT_DOUBLE_EQ(total->AsFloat(), 15.0);
  items->Cancel();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
}

TEST_F(CalcTest, LookupFieldsReadTheOtherDataset) {
  items->Open();
  EXPECT_TRUE(groups->Active());  // opened by the binding
  EXPECT_EQ(group->AsString(), "Ideas");
  items->Next();
  EXPECT_EQ(group->AsString(), "Drafts");
  items->Next();
  EXPECT_TRUE(group->IsNull());  // no group 9
  EXPECT_TRUE(group->CanModify());
  // Writing the lookup field's value writes its key.
  items->Edit();
  group->SetValue(TVariant("Ideas"));
  EXPECT_EQ(code->AsInteger(), 1);
  EXPECT_EQ(group->AsString(), "Ideas");
  // The lookup dataset never moved.
  EXPECT_EQ(groups->RecNo(), 1);
}

TEST_F(CalcTest, IncompleteLookupSettingsStopTheOpen) {
  group->SetLookupResultField("");
  try {
    items->Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Lookup information for field 'GroupTitle' is incomplete");
  }
  EXPECT_FALSE(items->Active());
}

TEST_F(CalcTest, DestroyingTheLookupDatasetClearsTheReference) {
  groups.reset();
  EXPECT_EQ(group->LookupDataSet(), nullptr);
}

TEST_F(CalcTest, LookupAndLocateThroughTheDataset) {
  items->Open();
  EXPECT_EQ(groups->Lookup("Code", TVariant(2), "Title"), TVariant("Drafts"));
  EXPECT_TRUE(VarIsNull(groups->Lookup("Code", TVariant(5), "Title")));
  EXPECT_TRUE(items->Locate("Qty;Price", VarArrayOf({3, 2.0}), {}));
  EXPECT_EQ(items->RecNo(), 2);
  EXPECT_FALSE(items->Locate("Qty", Null(), {}));
  EXPECT_EQ(items->RecNo(), 2);
}

}  // namespace
