#include "system/text_encoding.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <string>

#include "platform/code_page.h"

namespace {

#ifdef _WIN32
// Reference conversion from UTF-8 by the system's own converters, called directly.
std::string Iconv(const char* to, const char* from, const std::string& text) {
  EXPECT_STREQ(from, "UTF-8");
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  if (std::string(to) == "UTF-16LE") {
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  }
  EXPECT_STREQ(to, "CP932");
  std::string out(wide.size() * 2 + 1, '\0');
  out.resize(WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}
#else
// Reference conversion by the C library, independent of the code under test.
std::string Iconv(const char* to, const char* from, const std::string& text) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(text.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* o = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}
#endif

std::u16string ToWide(const std::string& bytes) {
  char16_t out[64];
  Utf8ToWide(bytes.c_str(), out, 64);
  return out;
}

// Japanese text with kana, kanji and the trail byte 0x5C (ソ = 83 5C, 表 = 95 5C).
const std::string kJapanese = "ソフト表示\\データ.txt ひらがな カタカナ 漢字";

TEST(SjisBytes, PairsAndCodes) {
  EXPECT_EQ(IsSjisPair("\x83\x5C"), 1);
  EXPECT_EQ(IsSjisPair("\xA0\x40"), 0);  // half-width kana range is single-byte
  EXPECT_EQ(IsSjisPair("\x81\x7F"), 0);
  EXPECT_EQ(IsSjisPair("\x81"), 0);  // the terminator is no trail byte
  EXPECT_EQ(IsSjisPair("\xEF\x40"), 1);
  EXPECT_EQ(IsSjisPair("\xFC\xFC"), 1);  // the last lead and trail bytes of code page 932
  EXPECT_EQ(IsSjisPair("\xFD\x40"), 0);
  EXPECT_EQ(GetSjisCode("\x95\x5C"), 0x955Cu);
  EXPECT_EQ(GetSjisCode("\xB1"), 0xB1u);
  EXPECT_EQ(GetSjisCode(nullptr), 0u);
  EXPECT_EQ(IsWideNonLatin(u"\u3042"), 1);
  EXPECT_EQ(IsWideNonLatin(u"\u00FF"), 0);
}

TEST(Utf8SequenceLength, ByLeadByteAndInnerBytes) {
  EXPECT_EQ(Utf8SequenceLength("A"), 1);
  EXPECT_EQ(Utf8SequenceLength("\xBF"), -2);
  EXPECT_EQ(Utf8SequenceLength("\xC3"), 2);      // the second byte is not examined
  EXPECT_EQ(Utf8SequenceLength("\xE3\x81"), 3);  // nor the last one
  EXPECT_EQ(Utf8SequenceLength("\xE3\x41\x82"), -3);
  EXPECT_EQ(Utf8SequenceLength("\xE3"), -3);  // an inner byte cut by the terminator
  EXPECT_EQ(Utf8SequenceLength("\xF0\x9F\x41\x80"), -3);
  EXPECT_EQ(Utf8SequenceLength("\xF8\x88\x80\x80\x80"), 5);
  EXPECT_EQ(Utf8SequenceLength("\xFC"), 1);
}

TEST(CopyUtf8Char, CopiesOneSequenceWithinCapacity) {
  char out[8];
  CopyUtf8Char("\xE3\x81\x82rest", out, sizeof out);
  EXPECT_STREQ(out, "\xE3\x81\x82");
  CopyUtf8Char("\xE3\x81", out, sizeof out);  // cut: nothing complete
  EXPECT_STREQ(out, "");
  char small[3] = "zz";
  CopyUtf8Char("\xE3\x81\x82", small, sizeof small);
  EXPECT_STREQ(small, "");
}

TEST(Utf8ToWide, DecodesSequenceBySequence) {
  EXPECT_EQ(ToWide("a\xC3\xA9\xE3\x81\x82"), u"a\u00E9\u3042");
  EXPECT_EQ(ToWide("\xFF\xFF\x41"), std::u16string({0xFFFF, u'A'}));
  // Outside the BMP only the high surrogate is kept.
  EXPECT_EQ(ToWide("\xF0\x9F\x98\x80!"), std::u16string({0xD83D, u'!'}));
  // Overlong forms, surrogates, values above U+10FFFF, bad last bytes, five and six leading
  // ones: one U+FFFD each.
  for (const char* invalid : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                              "\xC3\x41", "\xF8\x88\x80\x80\x80", "\xFE"}) {
    EXPECT_EQ(ToWide(std::string(invalid) + "a"), u"\uFFFDa") << invalid;
  }
  // A continuation byte or a broken inner byte ends the text.
  EXPECT_EQ(ToWide("ab\x80\x63"), u"ab");
  EXPECT_EQ(ToWide("ab\xE3\x41\x82\x63"), u"ab");
}

TEST(Utf8ToWide, StopsAtACutSequenceAndAtTheCapacity) {
  // C3 00: the length says 2 but the terminator cuts it; nothing past it is read (ASan).
  const char cut[] = {'a', '\xC3', '\0'};
  char16_t out[8];
  EXPECT_EQ(Utf8ToWide(cut, out, 8), 1u);
  EXPECT_EQ(std::u16string(out), u"a");
  const char cutThree[] = {'a', '\xE3', '\x81', '\0'};
  EXPECT_EQ(Utf8ToWide(cutThree, out, 8), 1u);

  char16_t small[4] = {9, 9, 9, 9};
  EXPECT_EQ(Utf8ToWide("abcdef", small, 3), 2u);
  EXPECT_EQ(std::u16string(small), u"ab");
  EXPECT_EQ(small[3], 9);
  EXPECT_EQ(Utf8ToWide("abc", small, 0), 0u);
  EXPECT_EQ(small[0], u'a');
  EXPECT_EQ(Utf8ToWide(nullptr, small, 4), 0u);
  EXPECT_EQ(small[0], 0);
}

TEST(WideToUtf8, EncodesUnitByUnit) {
  char out[32];
  EXPECT_EQ(WideToUtf8(u"a\u00E9\u3042", out, sizeof out), 6u);
  EXPECT_STREQ(out, "a\xC3\xA9\xE3\x81\x82");
  // A surrogate alone, even one of a pair, becomes U+FFFD.
  WideToUtf8(u"\U0001F600", out, sizeof out);
  EXPECT_STREQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
  // A unit whose bytes do not fit is left out whole.
  char small[5] = "zzzz";
  EXPECT_EQ(WideToUtf8(u"a\u3042", small, 4), 1u);
  EXPECT_STREQ(small, "a");
  // The marker survives the round trip.
  const std::u16string text({u'x', 0xFFFF, u'y', 0x6F22});
  EXPECT_EQ(WideToUtf8(text.c_str(), out, sizeof out), 7u);
  EXPECT_STREQ(out, "x\xFF\xFFy\xE6\xBC\xA2");
  EXPECT_EQ(ToWide(out), text);
}

TEST(ShiftJis, MatchesIconvOnJapaneseText) {
  const std::string sjis = Iconv("CP932", "UTF-8", kJapanese);
  ASSERT_NE(sjis.find("\x83\x5C"), std::string::npos);
  ASSERT_NE(sjis.find("\x95\x5C"), std::string::npos);

  char out[256] = "untouched";
  Utf8ToSjis(kJapanese.c_str(), out, sizeof out);
  EXPECT_EQ(std::string(out), sjis);
  SjisToUtf8(sjis.c_str(), out, sizeof out);
  EXPECT_EQ(std::string(out), kJapanese);

  char16_t wide[128];
  EXPECT_EQ(SjisToWide(wide, 128, sjis.c_str()), ToWide(kJapanese).size() + 1);
  EXPECT_EQ(std::u16string(wide), ToWide(kJapanese));
  char back[256];
  EXPECT_EQ(WideToSjis(back, sizeof back, wide), sjis.size() + 1);
  EXPECT_EQ(std::string(back), sjis);

  std::string inPlace = sjis;
  SjisToUtf8String(inPlace);
  EXPECT_EQ(inPlace, kJapanese);
}

TEST(ShiftJis, ReplacesWhatDoesNotConvert) {
  char16_t wide[8];
  SjisToWide(wide, 8, "a\x81");  // a lead byte cut by the terminator
  EXPECT_EQ(std::u16string(wide), u"a\u30FB");
  char sjis[8];
  WideToSjis(sjis, sizeof sjis, u"a\u00E9");  // no such character in code page 932
  EXPECT_STREQ(sjis, "a?");
  EXPECT_EQ(platform::MultiByteToWide(platform::kCodePageUtf8, "\xC3\x41", -1, wide, 8), 3u);
  EXPECT_EQ(std::u16string(wide), u"\uFFFDA");
  EXPECT_EQ(platform::MultiByteToWide(1252, "a", -1, wide, 8), 0u);
}

TEST(ShiftJis, LimitsLeaveTheOutputUntouchedOrEmpty) {
  const std::string sjis = Iconv("CP932", "UTF-8", kJapanese);
  char out[16] = "untouched";
  SjisToUtf8(sjis.c_str(), out, sizeof out);  // the result does not fit
  EXPECT_STREQ(out, "untouched");
  static char big[8192] = "untouched";
  SjisToUtf8(std::string(4096, 'a').c_str(), big, sizeof big);  // 4097 units: too many
  EXPECT_STREQ(big, "untouched");
  SjisToUtf8(std::string(4095, 'a').c_str(), big, sizeof big);
  EXPECT_EQ(std::string(big), std::string(4095, 'a'));

  // A result that does not fit leaves an empty text, not a partial one.
  char small[6] = "zzzzz";
  EXPECT_EQ(WideToSjis(small, sizeof small, u"\u8868\u793A\u6F22"), 0u);  // needs 7 bytes
  EXPECT_STREQ(small, "");
  char16_t narrow[3] = {9, 9, 9};
  EXPECT_EQ(SjisToWide(narrow, 3, "abc"), 0u);
  EXPECT_EQ(narrow[0], 0);

  std::string over(4001, 'a');
  SjisToUtf8String(over);
  EXPECT_TRUE(over.empty());
  // 2000 kana are 4000 Shift-JIS bytes but 6000 UTF-8 bytes: too long for the buffer.
  std::string kana;
  for (int i = 0; i < 2000; ++i) kana += "\x82\xA0";
  SjisToUtf8String(kana);
  EXPECT_TRUE(kana.empty());
}

// The code page's UTF-8: every well-formed text as the C library decodes it, and each malformed
// stretch replaced by one U+FFFD for the longest start that could still have become valid, so a
// plain character after a cut sequence is never lost.
TEST(CodePageUtf8, DecodesLikeTheCLibraryAndReplacesMaximalSubparts) {
  const auto decode = [](const std::string& bytes) {
    std::u16string out(platform::MultiByteToWide(platform::kCodePageUtf8, bytes.data(),
                                                 static_cast<ptrdiff_t>(bytes.size()), nullptr, 0),
                       u'\0');
    platform::MultiByteToWide(platform::kCodePageUtf8, bytes.data(),
                              static_cast<ptrdiff_t>(bytes.size()), out.data(), out.size());
    return out;
  };
  const std::string utf16 =
      Iconv("UTF-16LE", "UTF-8", kJapanese + "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  EXPECT_EQ(decode(kJapanese + "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"),
            std::u16string(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size() / 2));
#ifdef _WIN32
  GTEST_SKIP() << "ill-formed text is replaced by the system's own converter, Wine's another way";
#endif
  EXPECT_EQ(decode("\xE0\x41"), u"\uFFFDA");
  EXPECT_EQ(decode("\xE0\xA0\x41"), u"\uFFFDA");
  EXPECT_EQ(decode("\xE0\x80"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(decode("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(decode("\xF0\x8F\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
  EXPECT_EQ(decode("\xC0\xAF\xF5\xFF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(decode("a\xF0\x90\x80"), u"a\uFFFD");  // cut by the end
}

}  // namespace
