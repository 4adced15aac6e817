#include <gtest/gtest.h>

#include "dataset/variant.h"
#include "platform/format_settings.h"

using namespace notarra;

namespace {

TEST(VariantTest, NullAndUnassignedAreDistinct) {
  TVariant empty;
  EXPECT_TRUE(VarIsEmpty(empty));
  EXPECT_FALSE(VarIsNull(empty));
  EXPECT_TRUE(VarIsNull(Null()));
  EXPECT_FALSE(Null() == Unassigned());
  EXPECT_TRUE(Null() == Null());
  EXPECT_EQ(VarToStr(Null()), "");
  EXPECT_THROW(Null().AsInteger(), EVariantError);
}

TEST(VariantTest, IntegersPickTheirWidth) {
  EXPECT_EQ(TVariant(5).VarType(), varInteger);
  EXPECT_EQ(TVariant(int64_t{5}).VarType(), varInt64);
  EXPECT_EQ(TVariant(5u).VarType(), varInt64);
  EXPECT_EQ(TVariant(static_cast<int16_t>(5)).VarType(), varInteger);
  EXPECT_EQ(TVariant(true).VarType(), varBoolean);
  EXPECT_EQ(TVariant("x").VarType(), varString);
}

TEST(VariantTest, NumbersCompareByValueWhateverTheirType) {
  EXPECT_TRUE(TVariant(2) == TVariant(int64_t{2}));
  EXPECT_TRUE(TVariant(2) == TVariant(2.0));
  EXPECT_FALSE(TVariant(2) == TVariant(2.5));
  EXPECT_TRUE(TVariant("10") == TVariant(10));
  EXPECT_FALSE(TVariant("ten") == TVariant(10));
  EXPECT_LT(VarCompareValue(TVariant(9), TVariant(10)), 0);
  EXPECT_LT(VarCompareValue(Null(), TVariant(-5)), 0);
  EXPECT_GT(VarCompareValue(TVariant("b"), TVariant("a")), 0);
}

TEST(VariantTest, ConversionsFollowTheLocale) {
  FormatSettings() = TFormatSettings::UsEnglish();
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(VarToStr(TVariant(2.5)), "2,5");
  EXPECT_DOUBLE_EQ(TVariant("2,5").AsFloat(), 2.5);
  EXPECT_THROW(TVariant("2.5x").AsFloat(), EVariantError);
  FormatSettings() = TFormatSettings::UsEnglish();
  EXPECT_EQ(VarToStr(TVariant(true)), "True");
  EXPECT_EQ(TVariant("123").AsInteger(), 123);
  EXPECT_THROW(TVariant(int64_t{1} << 40).AsInteger(), EVariantError);
  EXPECT_EQ(VarToStr(VarFromDateTime(36526.25)), "1/1/2000 6:00:00 AM");
  EXPECT_EQ(VarAsType(TVariant("7"), varInteger).VarType(), varInteger);
  EXPECT_EQ(VarAsType(TVariant(7), varString), TVariant("7"));
}

TEST(VariantTest, ArraysHoldSeveralValues) {
  TVariant a = VarArrayOf({1, "two", Null()});
  EXPECT_TRUE(VarIsArray(a));
  EXPECT_EQ(VarArrayHighBound(a), 2);
  EXPECT_EQ(a[1], TVariant("two"));
  EXPECT_TRUE(VarIsNull(a[2]));
  EXPECT_TRUE(a == VarArrayOf({1, "two", Null()}));
  EXPECT_FALSE(a == VarArrayOf({1, "two"}));
  EXPECT_THROW(a.AsString(), EVariantError);
}

}  // namespace
