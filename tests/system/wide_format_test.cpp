#include "system/wide_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

// Formats into a roomy buffer and returns the text.
template <typename... Args>
std::u16string Format(const char16_t* format, Args... args) {
  char16_t out[2048];
  const size_t length = FormatWide(out, 2048, format, args...);
  return std::u16string(out, length);
}

const char16_t* const kNullWide = nullptr;
const char* const kNullNarrow = nullptr;

TEST(WideFormat, ConversionsFollowTheWideRuntime) {
  EXPECT_EQ(Format(u"%s|%S|%c|%5d|%-4x|%08.3f|%%|%I64d", u"ワイド", "narrow", u'字', 42, 0xAB,
                   3.14159, -5LL),
            u"ワイド|narrow|字|   42|ab  |0003.142|%|-5");
  EXPECT_EQ(Format(u"[%6.2s][%-3s][%s][%S]", u"abcdef", u"x", kNullWide, kNullNarrow),
            u"[    ab][x  ][(null)][(null)]");
}

TEST(WideFormat, LengthsPickTheTextWidth) {
  EXPECT_EQ(Format(u"%hs|%hS|%S", "ナロー", "b", "c"), u"ナロー|b|c");
  EXPECT_EQ(Format(u"%ls|%ws|%lS|%wS", u"a", u"b", u"c", u"ワイド"), u"a|b|c|ワイド");
  EXPECT_EQ(Format(u"%c%lc%wc|%C%hc%hC|%C", u'字', u'b', u'c', 'd', 'e', 'f', 0xE5),
            u"字bc|def|\uFFFD");
  EXPECT_EQ(Format(u"[%.2hs][%-4.1S][%3C]", "abc", "xyz", 'q'), u"[ab][x   ][  q]");
}

TEST(WideFormat, IntegerLengthsTakeTheirArgument) {
  // Each is followed by a string, which must get its own argument.
  EXPECT_EQ(Format(u"%I32d %s", -7, u"a"), u"-7 a");
  EXPECT_EQ(Format(u"%Id %Iu %s", ptrdiff_t{-8}, SIZE_MAX, u"b"),
            u"-8 " + Format(u"%llu", static_cast<unsigned long long>(SIZE_MAX)) + u" b");
  EXPECT_EQ(Format(u"%I64u %lld %s", UINT64_MAX, LLONG_MIN, u"c"),
            u"18446744073709551615 -9223372036854775808 c");
  EXPECT_EQ(
      Format(u"%zu %td %jd %ld %lu %s", size_t{9}, ptrdiff_t{-10}, intmax_t{11}, -12L, 13UL, u"d"),
      u"9 -10 11 -12 13 d");
  EXPECT_EQ(Format(u"%hd %hu %hhd %hhx", 65537, 65535 + 3, 255, 0x1FF), u"1 2 -1 ff");
}

TEST(WideFormat, FlagsAndPrecisionsOfNumbers) {
  EXPECT_EQ(Format(u"%#x|%#X|%#o|%#.0o|%.0d|%+d|% d|%+u", 255, 255, 8, 0, 0, 5, 5, 5u),
            u"0xff|0XFF|010|0||+5| 5|5");
  EXPECT_EQ(Format(u"%06d|%-6d|%08.3d|%.5x|%#06x", -42, -42, 42, 0xAB, 0xAB),
            u"-00042|-42   |     042|000ab|0x00ab");
  EXPECT_EQ(
      Format(u"%+.2e|%#g|%010.2f|%05f|%.1Lf|%lf", 12345.678, 1.5, -1.5, 1.0 / 0.0, 2.25L, 0.5),
      u"+1.23e+04|1.50000|-000001.50|  inf|2.2|0.500000");
  EXPECT_EQ(Format(u"%a|%08A", 1.0, 1.0), u"0x1p+0|0X001P+0");
  EXPECT_EQ(Format(u"%p", reinterpret_cast<void*>(0xABC)),
            std::u16string(2 * sizeof(void*) - 3, u'0') + u"ABC");
}

TEST(WideFormat, StarArgumentsFollowC) {
  EXPECT_EQ(Format(u"[%*d][%*d][%.*s][%.*s]", 4, 7, -4, 7, 2, u"abc", -1, u"abc"),
            u"[   7][7   ][ab][abc]");
  // INT_MIN as a width: left-justified, padded to the end of the output.
  char16_t out[16];
  EXPECT_EQ(FormatWide(out, 16, u"%*d|", INT_MIN, 7), 15u);
  EXPECT_EQ(std::u16string(out), u"7" + std::u16string(14, u' '));
}

TEST(WideFormat, UnknownDirectivesPrintThemselvesAndTakeNothing) {
  EXPECT_EQ(Format(u"%y %s", u"a"), u"%y a");
  EXPECT_EQ(Format(u"%-*.*y %s", u"b"), u"%-*.*y b");
  int written = 0;
  EXPECT_EQ(Format(u"%n %s", u"c", &written), u"%n c");
  EXPECT_EQ(written, 0);
  EXPECT_EQ(Format(u"%Ld %wd %hf %llc %hp %5% %I3d %s", u"d"), u"%Ld %wd %hf %llc %hp %5% %I3d d");
  EXPECT_EQ(Format(u"%d %", 1), u"1 %");
  EXPECT_EQ(Format(u"end %-08.", 1), u"end %-08.");
}

TEST(WideFormat, OutputIsCutAtItsCapacity) {
  char16_t out[6];
  EXPECT_EQ(FormatWide(out, 6, u"%s and more", u"abc"), 5u);
  EXPECT_EQ(std::u16string(out), u"abc a");
  EXPECT_EQ(FormatWide(out, 6, u"%10d", 1), 5u);
  EXPECT_EQ(std::u16string(out), u"     ");
  EXPECT_EQ(FormatWide(out, 6, u"%.9d", -1), 5u);
  EXPECT_EQ(std::u16string(out), u"-0000");
  out[0] = u'x';
  EXPECT_EQ(FormatWide(out, 1, u"%d", 123), 0u);
  EXPECT_EQ(out[0], u'\0');
  EXPECT_EQ(FormatWide(out, 0, u"%d", 123), 0u);
  EXPECT_EQ(out[0], u'\0');
  // A precision bounds the read of a wide string that has no terminator.
  const char16_t unterminated[3] = {u'a', u'b', u'c'};
  EXPECT_EQ(Format(u"%.3s|", unterminated), u"abc|");
}

TEST(WideFormat, LargeWidthsAndPrecisionsFillTheRoom) {
  EXPECT_EQ(Format(u"%600d", 42), std::u16string(598, u' ') + u"42");
  EXPECT_EQ(Format(u"%.600d", 42), std::u16string(598, u'0') + u"42");
  EXPECT_EQ(Format(u"%-700.1f|", 2.5), u"2.5" + std::u16string(697, u' ') + u"|");
  EXPECT_EQ(Format(u"%.1000f", 0.5).size(), 1002u);
  char16_t out[8];
  EXPECT_EQ(FormatWide(out, 8, u"%2147483647d|%.2147483647f", 1, 1.0), 7u);
  EXPECT_EQ(FormatWide(out, 8, u"%.*f", INT_MAX, 1.0), 7u);
  EXPECT_EQ(std::u16string(out), u"1.00000");
}

}  // namespace
