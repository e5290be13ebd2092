#include "system/text_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "system/text_case.h"

namespace {

TEST(FindString, ByteExactSearch) {
  EXPECT_EQ(FindString("abc", "c"), 2);
  EXPECT_EQ(FindString("abc", ""), 0);
  EXPECT_EQ(FindString("", ""), -1);
  EXPECT_EQ(FindString("abc", "abcd"), -1);
  EXPECT_EQ(FindString("aab", "ab"), 1);
  EXPECT_EQ(FindString(nullptr, "a"), -1);
  EXPECT_EQ(FindString("a", nullptr), -1);
  EXPECT_EQ(FindStringW(u"<path>C:\\x</path>", u"</path>"), 10);
  EXPECT_EQ(FindStringW(u"\u8868x", u"x"), 1);
  EXPECT_EQ(FindStringW(u"", u""), -1);
  EXPECT_EQ(FindStringW(u"ab", u"c"), -1);
}

TEST(FindChar, SingleBytesPairsAndUnits) {
  EXPECT_EQ(FindCharA("a\\b", '\\'), 1);
  // The pair may start anywhere, even at a trail byte.
  EXPECT_EQ(FindCharA("x\x95\x5C", 0x955C), 1);
  EXPECT_EQ(FindCharA("\x83\x95\x5C", 0x955C), 1);
  EXPECT_EQ(FindCharA("\x95", 0x955C), -1);
  EXPECT_EQ(FindCharA("abc", 'z'), -1);
  EXPECT_EQ(FindCharA(nullptr, 'a'), -1);
  EXPECT_EQ(FindCharW(u"ab\u3042", u'\u3042'), 2);
  EXPECT_EQ(FindCharW(u"ab", u'c'), -1);
  EXPECT_EQ(FindCharW(nullptr, u'a'), -1);
}

TEST(ReplaceAll, LeftToRightWithoutOverlap) {
  char out[32];
  EXPECT_EQ(ReplaceAll(out, sizeof out, "aaaa", "aa", "b"), 2u);
  EXPECT_STREQ(out, "bb");
  EXPECT_EQ(ReplaceAll(out, sizeof out, "aaa", "aa", "xyz"), 4u);
  EXPECT_STREQ(out, "xyza");
  ReplaceAll(out, sizeof out, "a-b-c", "-", "");
  EXPECT_STREQ(out, "abc");
  ReplaceAll(out, sizeof out, "abc", "", "x");
  EXPECT_STREQ(out, "abc");
  char16_t wide[32];
  EXPECT_EQ(ReplaceAllW(wide, 32, u"%1 of %2", u"%", u"#"), 8u);
  EXPECT_EQ(std::u16string(wide), u"#1 of #2");
  // Cut at the capacity, even inside a replacement.
  char small[5] = "zzzz";
  EXPECT_EQ(ReplaceAll(small, 4, "ab", "b", "xyz"), 3u);
  EXPECT_STREQ(small, "axy");
  EXPECT_EQ(small[4], 0);
}

TEST(ReadLine, SplitsAtLfAndCrLf) {
  char out[16];
  EXPECT_EQ(ReadLine("ab\r\ncd", out, sizeof out), 4u);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(out[3], 0);  // two terminating zeros
  EXPECT_EQ(ReadLine("ab\rcd", out, sizeof out), 5u);
  EXPECT_STREQ(out, "ab\rcd");
  EXPECT_EQ(ReadLine("x\ny", out, sizeof out), 2u);
  EXPECT_STREQ(out, "x");
  EXPECT_EQ(ReadLine("\n", out, sizeof out), 1u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(ReadLine("", out, sizeof out), 0u);
  // A long line is cut but the offset still passes it.
  char small[6] = "zzzzz";
  EXPECT_EQ(ReadLine("abcdef\nz", small, 4), 7u);
  EXPECT_STREQ(small, "ab");
  EXPECT_EQ(small[3], 0);
  EXPECT_EQ(small[4], 'z');
}

TEST(Bytes, CompareCopyAndZero) {
  EXPECT_EQ(CompareBytes("abc", "abc", 3), 0);
  EXPECT_EQ(CompareBytes("ab\xF0", "ab\x10", 3), 0xF0 - 0x10);
  EXPECT_EQ(CompareBytes("a", "b", 0), 0);
  char buffer[12] = "hello world";
  FastCopy(buffer, "HELLO", 5);
  EXPECT_STREQ(buffer, "HELLO world");
  FastCopy(buffer, nullptr, 5);
  FastZero(buffer + 5, 6);
  EXPECT_EQ(std::memcmp(buffer, "HELLO\0\0\0\0\0\0", 12), 0);
}

TEST(TextCase, ChangesOnlyAsciiLetters) {
  char sjis[] =
      "AB\x83\x5A"
      "Cz";  // 83 5A is a pair whose trail byte is 'Z'
  EXPECT_EQ(ToLowerA(sjis), 6u);
  EXPECT_STREQ(sjis,
               "ab\x83\x5A"
               "cz");
  char extended[] = "\xFA\x41\xFC\x5A";  // "ⅱ" and a character of the last lead byte
  EXPECT_EQ(ToLowerA(extended), 4u);
  EXPECT_STREQ(extended, "\xFA\x41\xFC\x5A");
  // The unit after a non-Latin one is left alone with it.
  char16_t wide[] = u"Ab\u00E0\u3042xy";
  EXPECT_EQ(ToUpperW(wide), 6u);
  EXPECT_EQ(std::u16string(wide), u"AB\u00E0\u3042xY");
  char16_t last[] = u"A\u3042";  // no unit to skip past the terminator
  EXPECT_EQ(ToLowerW(last), 2u);
  EXPECT_EQ(std::u16string(last), u"a\u3042");
  EXPECT_EQ(ToLowerW(nullptr), 0u);
}

}  // namespace
