// The engine's typed access to field values, checked against what the
// engine's own text conversion reads from the same record.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/date_time.h"
#include "tableengine/record_store.h"
#include "tableengine/record_values.h"

using namespace notarra;

namespace {

class RecordValuesTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (auto [name, kind, size] : {std::tuple{"Small", TVelaFieldKind::SmallInt, 0},
                                    {"Int", TVelaFieldKind::Integer, 0},
                                    {"Big", TVelaFieldKind::Int64, 0},
                                    {"Flag", TVelaFieldKind::Boolean, 0},
                                    {"Amount", TVelaFieldKind::Double, 0},
                                    {"Day", TVelaFieldKind::Date, 0},
                                    {"At", TVelaFieldKind::Time, 0},
                                    {"Stamp", TVelaFieldKind::DateTime, 0},
                                    {"Key", TVelaFieldKind::AutoInc, 0},
                                    {"Code", TVelaFieldKind::SmallStr, 4},
                                    {"Title", TVelaFieldKind::String, 20},
                                    {"Notes", TVelaFieldKind::Memo, 0}})
      store.AddField(name, kind, size);
    data = store.AllocRecordData();
  }
  void TearDown() override { store.FreeRecordData(data); }
  const TVelaField& F(const char* name) { return *store.FindField(name); }
  std::string Text(const char* name) { return store.ValueToText(data, F(name)); }

  TVelaCursor store;
  uint8_t* data = nullptr;
};

TEST_F(RecordValuesTest, NumbersKeepTheirKindsWidth) {
  record_values::SetInteger(data, F("Small"), -1234);
  record_values::SetInteger(data, F("Int"), 2000000000);
  record_values::SetInteger(data, F("Big"), 9000000000000LL);
  record_values::SetInteger(data, F("Key"), 77);
  EXPECT_EQ(record_values::GetInteger(data, F("Small")), -1234);
  EXPECT_EQ(record_values::GetInteger(data, F("Int")), 2000000000);
  EXPECT_EQ(record_values::GetInteger(data, F("Big")), 9000000000000LL);
  EXPECT_EQ(Text("Small"), "-1234");
  EXPECT_EQ(Text("Big"), "9000000000000");
  EXPECT_EQ(Text("Key"), "77");
  // A SmallInt keeps the low 16 bits and leaves its neighbours alone.
  record_values::SetInteger(data, F("Small"), 65536 + 5);
  EXPECT_EQ(record_values::GetInteger(data, F("Small")), 5);
  EXPECT_EQ(record_values::GetInteger(data, F("Int")), 2000000000);

  record_values::SetBoolean(data, F("Flag"), true);
  EXPECT_TRUE(record_values::GetBoolean(data, F("Flag")));
  EXPECT_EQ(Text("Flag"), "Yes");
  record_values::SetFloat(data, F("Amount"), 12.5);
  EXPECT_EQ(record_values::GetFloat(data, F("Amount")), 12.5);
  EXPECT_EQ(Text("Amount"), "12.5");
}

TEST_F(RecordValuesTest, CalendarValuesAsStoredAndAsDateTimes) {
  record_values::SetInteger(data, F("Day"), 730120);  // 1 January 2000
  record_values::SetInteger(data, F("At"), 12 * 3600000 + 30 * 60000);
  record_values::SetFloat(data, F("Stamp"), 730120.0 * 86400000 + 6 * 3600000);
  EXPECT_EQ(record_values::GetInteger(data, F("Day")), 730120);
  EXPECT_DOUBLE_EQ(record_values::GetDateTime(data, F("Day")), 36526.0);  // days since 30 December 1899
  EXPECT_DOUBLE_EQ(record_values::GetDateTime(data, F("At")), 0.5 + 30.0 / 1440);
  EXPECT_DOUBLE_EQ(record_values::GetDateTime(data, F("Stamp")), 36526.25);
  const TVariant day = record_values::GetVariant(data, F("Day"));
  EXPECT_EQ(day.VarType(), varDate);
  EXPECT_DOUBLE_EQ(day.AsDateTime(), 36526.0);
}

TEST_F(RecordValuesTest, TextsAndBlocksReplaceTheirOldValue) {
  record_values::SetText(data, F("Code"), "ABCDEF");  // a SmallStr keeps its Size
  EXPECT_EQ(record_values::GetText(data, F("Code")), "ABCD");
  record_values::SetText(data, F("Title"), "first");
  record_values::SetText(data, F("Title"), "second");
  EXPECT_EQ(record_values::GetText(data, F("Title")), "second");
  EXPECT_EQ(Text("Title"), "second");
  const std::string bytes("a\0b", 3);
  record_values::SetText(data, F("Notes"), bytes);
  EXPECT_EQ(record_values::GetText(data, F("Notes")), bytes);
  EXPECT_EQ(record_values::GetVariant(data, F("Title")).AsString(), "second");
  EXPECT_TRUE(record_values::GetVariant(data, F("Notes")).IsNull());
}

TEST_F(RecordValuesTest, AnAccessorForAnotherKindLeavesTheRecordAlone) {
  record_values::SetText(data, F("Title"), "kept");
  record_values::SetInteger(data, F("Small"), 3);
  record_values::SetInteger(data, F("Title"), 12345);
  record_values::SetFloat(data, F("Small"), 9.5);
  record_values::SetBoolean(data, F("Int"), true);
  record_values::SetText(data, F("Amount"), "text");
  EXPECT_EQ(record_values::GetText(data, F("Title")), "kept");
  EXPECT_EQ(record_values::GetInteger(data, F("Small")), 3);
  EXPECT_EQ(record_values::GetInteger(data, F("Int")), 0);
  EXPECT_EQ(record_values::GetFloat(data, F("Amount")), 0);
  EXPECT_EQ(record_values::GetInteger(data, F("Title")), 0);
  EXPECT_FALSE(record_values::GetBoolean(data, F("Small")));
  EXPECT_EQ(record_values::GetText(data, F("Small")), "");
}

}  // namespace
