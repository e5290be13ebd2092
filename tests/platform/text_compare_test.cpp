#include "platform/text_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/text_compare.h"
#include "platform/system_folders.h"
#include "support/test_support.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

int Compare(const std::string& a, const std::string& b, bool japanese) {
  return platform::CompareTextIgnoringCaseFor(Wide(a).c_str(), Wide(b).c_str(), japanese);
}

// Checks every pair of `sorted`: ascending, and equal only for the pairs named in `equal`.
void ExpectOrder(const std::vector<std::string>& sorted,
                 const std::vector<std::pair<std::string, std::string>>& equal, bool japanese) {
  for (size_t i = 0; i < sorted.size(); ++i) {
    for (size_t j = i + 1; j < sorted.size(); ++j) {
      const bool same = std::find(equal.begin(), equal.end(),
                                  std::make_pair(sorted[i], sorted[j])) != equal.end();
      EXPECT_EQ(Compare(sorted[i], sorted[j], japanese) < 0, !same)
          << sorted[i] << " | " << sorted[j];
      EXPECT_EQ(Compare(sorted[j], sorted[i], japanese) > 0, !same)
          << sorted[j] << " | " << sorted[i];
      EXPECT_EQ(Compare(sorted[i], sorted[j], japanese) == 0, same)
          << sorted[i] << " | " << sorted[j];
    }
  }
  // A sort driven by the comparison reproduces the order from a scrambled list.
  std::vector<std::string> scrambled = sorted;
  std::reverse(scrambled.begin(), scrambled.end());
  for (const auto& pair : equal) {  // keep equal names in their expected relative order
    auto first = std::find(scrambled.begin(), scrambled.end(), pair.first);
    auto second = std::find(scrambled.begin(), scrambled.end(), pair.second);
    std::iter_swap(first, second);
  }
  std::stable_sort(
      scrambled.begin(), scrambled.end(),
      [&](const std::string& a, const std::string& b) { return Compare(a, b, japanese) < 0; });
  EXPECT_EQ(scrambled, sorted);
}

// The orders Windows gives for these names in the en-US and the ja-JP locale.
TEST(CompareTextIgnoringCase, ReproducesTheObservedEnglishOrder) {
  ExpectOrder({"", "[x].txt", "~x.txt", "10.txt", "9.txt", "a b.txt", "a.txt", "A.TXT", "a'b.txt",
               "b.c.txt", "B\\a.txt", "b\\c.txt", "b_c.txt", "b-c.txt", "\u00E9.txt", "z.txt",
               "データ\\a.txt"},
              {{"a.txt", "A.TXT"}}, false);
}

TEST(CompareTextIgnoringCase, ReproducesTheObservedJapaneseOrder) {
  ExpectOrder({"", "[x].txt", "~x.txt", "10.txt", "9.txt", "a b.txt", "a.txt", "A.TXT", "a'b.txt",
               "b.c.txt", "b_c.txt", "B\\a.txt", "b\\c.txt", "b-c.txt", "\u00E9.txt", "z.txt",
               "データ\\a.txt"},
              {{"a.txt", "A.TXT"}}, true);
}

// Kana as Windows is seen to sort them (under Wine 8): half-width katakana, katakana, hiragana;
// small before large; the prolonged sound mark with the symbols.
TEST(CompareTextIgnoringCase, ReproducesTheObservedKanaOrder) {
  ExpectOrder(
      {"ー.txt", "Ａ.txt", "e.txt", "ァ.txt", "ぁ.txt", "ア.txt", "あ.txt", "カ.txt", "か.txt",
       "ガ.txt", "が.txt", "ｶﾞ.txt", "ｶﾅ.txt", "カナ.txt", "かな.txt", "一.txt", "日.txt"},
      {}, false);
}

// A kana followed by the combining voicing mark U+3099 or U+309A, as decomposed names carry it,
// is weighed as the voiced or semi-voiced kana: it sorts beside that kana, after it only by code
// point. The half-width marks U+FF9E and U+FF9F stay symbols of their own.
TEST(CompareTextIgnoringCase, CombiningVoicingMarksVoiceTheKanaBefore) {
  for (bool japanese : {false, true}) {
    ExpectOrder({"か", "ｶ\u3099", "カ\u3099", "ガ", "か\u3099", "が", "ｶﾞ", "き", "は", "ば",
                 "ﾊ\u309A", "パ", "は\u309A", "ぱ", "ﾊﾟ", "ひ"},
                {}, japanese);
    // Weighed as the voiced kana: a later difference in width decides.
    EXPECT_LT(Compare("か\u3099a", "がａ", japanese), 0);
    EXPECT_GT(Compare("か\u3099ａ", "がa", japanese), 0);
    EXPECT_GT(Compare("は\u309Aａ", "ぱa", japanese), 0);
  }
}

// A mark with nothing to voice, after another letter or after a voiced kana, weighs as a mark of
// its own, after the combining accents.
TEST(CompareTextIgnoringCase, VoicingMarksThatVoiceNothingStandAlone) {
  for (bool japanese : {false, true}) {
    ExpectOrder(
        {"a", "a\u0301", "a\u3099", "a\u309A", "\u00E1", "b", "が", "が\u0301", "が\u3099", "ぎ"},
        {}, japanese);
    // After a hyphen, which weighs only at the fourth level, the mark is not lost: it counts
    // before a later difference in width.
    EXPECT_GT(Compare("か-\u3099a", "か-ａ", japanese), 0);
  }
}

TEST(CompareTextIgnoringCase, PunctuationDigitsLettersKanaKanji) {
  for (bool japanese : {false, true}) {
    ExpectOrder({" ",      "!",      "#",  "(",  ".",  "@",  "[",  "_",  "~",  "+",     ">",
                 "\u00A7", "ー",     "0",  "1",  "１", "2",  "a",  "ａ", "b",  "z",     "\u00FE",
                 "\u03B1", "\u0436", "ｱ",  "ア", "あ", "カ", "か", "ガ", "が", "ｶﾞ",    "き",
                 "っ",     "つ",     "づ", "は", "ば", "ぱ", "ん", "一", "表", "\uE000"},
                {}, japanese);
  }
  // Only the backslash moves with the locale.
  EXPECT_LT(Compare("\\", "_", false), 0);
  EXPECT_GT(Compare("\\", ">", true), 0);
  EXPECT_LT(Compare("\\", "0", true), 0);
}

TEST(CompareTextIgnoringCase, EqualOnlyWhenTheTextsDifferInCase) {
  for (bool japanese : {false, true}) {
    // Case of ASCII, accented, full-width, Greek and Cyrillic letters does not count.
    EXPECT_EQ(Compare("DATA\\File.TXT", "data\\file.txt", japanese), 0);
    EXPECT_EQ(Compare("\u00C9T\u00C9", "\u00E9t\u00E9", japanese), 0);
    EXPECT_EQ(Compare("Ａｂ", "ａＢ", japanese), 0);
    EXPECT_EQ(Compare("\u0141\u00F3d\u017A", "\u0142\u00D3D\u0179", japanese), 0);
    EXPECT_EQ(Compare("\u0391\u0392", "\u03B1\u03B2", japanese), 0);
    EXPECT_EQ(Compare("\u042F\u0401", "\u044F\u0451", japanese), 0);

    // Width, kana type, size, voicing and accents do: such names sort side by side.
    EXPECT_LT(Compare("a", "ａ", japanese), 0);
    EXPECT_LT(Compare("A.txt", "Ａ.txt", japanese), 0);
    EXPECT_LT(Compare("1", "１", japanese), 0);
    EXPECT_LT(Compare("a.txt", "a．txt", japanese), 0);
    EXPECT_LT(Compare("ア", "あ", japanese), 0);
    EXPECT_LT(Compare("ｱ", "ア", japanese), 0);
    EXPECT_LT(Compare("っ", "つ", japanese), 0);
    EXPECT_LT(Compare("ガ", "ｶﾞ", japanese), 0);
    EXPECT_LT(Compare("e.txt", "\u00E9.txt", japanese), 0);
    EXPECT_LT(Compare("\u00E9.txt", "ea.txt", japanese), 0);  // the accent decides last
    EXPECT_LT(Compare("\u00E9", "f", japanese), 0);
    EXPECT_NE(Compare("e\u0301", "\u00E9", japanese), 0);
    EXPECT_LT(Compare("ae", "\u00E6", japanese), 0);
    EXPECT_LT(Compare("\u00E6", "af", japanese), 0);
    EXPECT_LT(Compare("ss", "\u00DF", japanese), 0);

    // Hyphen and apostrophe are skipped first and decide only among otherwise equal names.
    EXPECT_LT(Compare("bc.txt", "b-c.txt", japanese), 0);
    EXPECT_LT(Compare("b-c.txt", "bd.txt", japanese), 0);
    EXPECT_LT(Compare("b-c.txt", "bc-.txt", japanese), 0);
    EXPECT_NE(Compare("b-c", "b'c", japanese), 0);
    EXPECT_NE(Compare("b-c", "b－c", japanese), 0);
    EXPECT_NE(Compare("a\tb", "ab", japanese), 0);
  }
}

TEST(CompareTextIgnoringCase, FollowsTheUserLanguage) {
  const bool japanese = (platform::GetUserDefaultUILanguage() & 0x3FF) == 0x11;
  for (const char* name : {"b\\c.txt", "b_c.txt", "b.c.txt"}) {
    const int expected = Compare(name, "B_a.txt", japanese);
    const int actual = platform::CompareTextIgnoringCase(Wide(name).c_str(), u"B_a.txt");
    EXPECT_EQ(expected < 0, actual < 0) << name;
    EXPECT_EQ(expected == 0, actual == 0) << name;
  }
  EXPECT_EQ(platform::CompareTextIgnoringCase(nullptr, u""), 0);
  EXPECT_LT(platform::CompareTextIgnoringCase(nullptr, u"a"), 0);
}

}  // namespace
