// The "UNICOD" default codes.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "platform/date_time.h"
#include "tableengine/unique_code.h"

using namespace notarra;

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return c - 'a' + 36;
}
long Number(const std::string& digits) {
  long v = 0;
  for (char c : digits) v = v * 62 + DigitValue(c);
  return v;
}

TEST(UniqueCode, PartsFollowTheClockAndTheCounter) {
  // 2000-11-02 03:04:05.678: one day and three hours after the epoch of the codes.
  TDateTime at = EncodeDate(2000, 11, 2) + EncodeTime(3, 4, 5, 678);
  std::string first = NewUniqueCode(at);
  ASSERT_EQ(first.size(), 8u);
  EXPECT_EQ(Number(first.substr(0, 3)), 27);          // 1 day * 24 + 3 hours
  EXPECT_EQ(Number(first.substr(3, 2)), 4 * 60 + 5);  // minute and second
  // Hundredths (67) * 3844 / 2, plus the process's counter (below 3844).
  long counter = Number(first.substr(5, 3)) - 67L * 3844 / 2;
  EXPECT_GE(counter, 0);
  EXPECT_LT(counter, 3844);

  // Later codes at the same moment differ only by the counter.
  std::string second = NewUniqueCode(at);
  EXPECT_EQ(second.substr(0, 5), first.substr(0, 5));
  EXPECT_EQ(Number(second.substr(5, 3)) - 67L * 3844 / 2, (counter + 1) % 3844);
}

TEST(UniqueCode, ManyCodesInOneInstantAreDistinct) {
  TDateTime at = EncodeDate(2026, 12, 9) + EncodeTime(23, 59, 59, 999);
  std::set<std::string> codes;
  for (int i = 0; i < 3000; ++i) codes.insert(NewUniqueCode(at));
  EXPECT_EQ(codes.size(), 3000u);
  for (const std::string& c : codes)
    for (char ch : c) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(ch))) << c;
}

}  // namespace
