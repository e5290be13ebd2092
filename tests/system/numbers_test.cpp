#include "system/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(TextToInt, SignsBasesAndStops) {
  EXPECT_EQ(WideToInt(u"0x1F"), 31);
  EXPECT_EQ(WideToInt(u"-12"), -12);
  EXPECT_EQ(WideToInt(u"12.5"), 0);
  EXPECT_EQ(WideToInt(u"+7"), 7);
  EXPECT_EQ(WideToInt(u"x1"), 0);
  EXPECT_EQ(WideToInt(u"12abc"), 12);
  EXPECT_EQ(WideToInt(u"\uFF11"), 0);  // full-width digit
  EXPECT_EQ(WideToInt(u"1\uFF12"), 1);
  EXPECT_EQ(WideToInt(nullptr), 0);
  EXPECT_EQ(TextToInt("-0XfF"), -255);
  EXPECT_EQ(TextToInt("0x"), 0);
  EXPECT_EQ(TextToInt(" 5"), 0);
  EXPECT_EQ(TextToInt("-"), 0);
  EXPECT_EQ(TextToInt("0x1.5"), 1);  // the "." rule is for decimal numbers only
  EXPECT_EQ(TextToInt(nullptr), 0);
}

TEST(TextToInt, WrapsAtThirtyTwoBits) {
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("2147483648"), INT32_MIN);
  EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(TextToInt("4294967297"), 1);
  EXPECT_EQ(TextToInt("0xFFFFFFFF"), -1);
  EXPECT_EQ(TextToInt("0x123456789"), 0x23456789);
}

TEST(ParseInt, ReportsSuccessAndPosition) {
  size_t position = 99;
  int32_t value = 99;
  EXPECT_EQ(ParseInt("-0x10,3", &position, &value), 1);
  EXPECT_EQ(value, -16);
  EXPECT_EQ(position, 5u);
  EXPECT_EQ(ParseInt("12.5", &position, &value), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(position, 5u);  // unchanged on failure
  EXPECT_EQ(ParseInt("+", &position, &value), 0);
  EXPECT_EQ(ParseIntW(u"42 ", &position, &value), 1);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(ParseIntW(u"a", &position, &value), 0);
  EXPECT_EQ(ParseIntW(nullptr, &position, &value), 0);
}

TEST(TextToFloat, DigitsPointAndSuffix) {
  EXPECT_FLOAT_EQ(TextToFloat("1.5"), 1.5f);
  EXPECT_FLOAT_EQ(TextToFloat("-0.25f"), -0.25f);
  EXPECT_FLOAT_EQ(TextToFloat("3F"), 3.0f);
  EXPECT_FLOAT_EQ(TextToFloat("7."), 7.0f);
  EXPECT_FLOAT_EQ(TextToFloat("-.5"), -0.5f);
  EXPECT_FLOAT_EQ(TextToFloat("2e3"), 2.0f);  // no exponent
  EXPECT_EQ(TextToFloat("+1"), 0.0f);
  EXPECT_EQ(TextToFloat(".5"), 0.0f);
  EXPECT_EQ(TextToFloat(nullptr), 0.0f);
  EXPECT_EQ(TextToFloat("0.1"), 0.1f);  // rounded straight to single precision
  EXPECT_EQ(TextToFloat("16777217"), 16777216.0f);
  EXPECT_TRUE(std::isinf(TextToFloat(std::string(60, '9').c_str())));
  EXPECT_EQ(TextToFloat(("0." + std::string(100, '0') + "1").c_str()), 0.0f);
  // Only 1023 characters are taken: the digits after them do not count.
  EXPECT_EQ(TextToFloat((std::string(1023, '0') + "5").c_str()), 0.0f);
  EXPECT_EQ(TextToFloat((std::string(1022, '0') + "5").c_str()), 5.0f);
}

}  // namespace
