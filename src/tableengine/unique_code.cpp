#include "tableengine/unique_code.h"

#include <cmath>

namespace notarra {

namespace {

constexpr int kBase = 62;
constexpr int kBase2 = kBase * kBase;
constexpr int kBase3 = kBase2 * kBase;
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

void AppendDigits(std::string& out, long value, int count) {
  char buf[3];
  for (int i = count - 1; i >= 0; --i) {
    buf[i] = kDigits[value % kBase];
    value /= kBase;
  }
  out.append(buf, count);
}

}  // namespace

std::string NewUniqueCode(TDateTime now) {
  int hour, minute, second, msec;
  DecodeTime(now, hour, minute, second, msec);
  // One counter for the process: it starts at the minute of the first use.
  static int counter = -1;
  counter = counter < 0 ? hour * 60 + minute : counter + 1;
  if (counter >= kBase2) counter = 0;

  long days = static_cast<long>(std::floor(now)) - static_cast<long>(EncodeDate(2000, 11, 1));
  long x = days * 24 + hour;
  if (x >= kBase3) x -= kBase3;
  x = ((x % kBase3) + kBase3) % kBase3;  // dates before 2000-11-01 still give three digits
  long y = minute * 60 + second;
  long z = static_cast<long>(msec / 10) * kBase2 / 2 + counter;
  if (z >= kBase3) z -= kBase3;

  std::string code;
  AppendDigits(code, x, 3);
  AppendDigits(code, y, 2);
  AppendDigits(code, z, 3);
  return code;
}

std::string NewUniqueCode() { return NewUniqueCode(Now()); }

}  // namespace notarra
