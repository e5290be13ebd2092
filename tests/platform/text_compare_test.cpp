#ifdef _WIN32
#include <gtest/gtest.h>

TEST(CompareTextIgnoringCase, LinuxOnly) {
  GTEST_SKIP()
      << "checks the Linux layer's own copy of the Windows order; Windows compares by itself";
}
#else
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/text_compare.h"
#include "platform/system_folders.h"
#include "platform/text_compare.h"
#include "support/test_support.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

int Compare(const std::string& a, const std::string& b, bool japanese) {
  return platform::CompareTextIgnoringCaseFor(Wide(a).c_str(), Wide(b).c_str(), japanese);
}

// Checks every pair of `sorted`: ascending, and equal only for the pairs named in `equal`.
void ExpectOrder(const std::vector<std::string>& sorted,
                 const std::vector<std::pair<std::string, std::string> >& equal, bool japanese) {
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
// small before large; a prolonged sound mark with nothing to prolong after the kanji.
TEST(CompareTextIgnoringCase, ReproducesTheObservedKanaOrder) {
  ExpectOrder(
      {"Ａ.txt", "e.txt", "ァ.txt", "ぁ.txt", "ア.txt", "あ.txt", "カ.txt", "か.txt", "ガ.txt",
       "が.txt", "ｶﾞ.txt", "ｶﾅ.txt", "カナ.txt", "かな.txt", "一.txt", "日.txt", "ー.txt"},
      {}, false);
}

// The voicing marks, combining (U+3099, U+309A, as decomposed names carry them) or spacing, add
// their weight to the kana before them: the kana sorts after the precomposed voiced kana.
TEST(CompareTextIgnoringCase, VoicingMarksAddToTheKanaBefore) {
  for (bool japanese : {false, true}) {
    ExpectOrder({"か", "ガ", "が", "ｶ\u3099", "ｶﾞ", "カ\u3099", "か\u3099", "き", "は", "ば", "パ",
                 "ぱ", "ﾊ\u309A", "ﾊﾟ", "は\u309A", "ひ"},
                {{"ｶ\u3099", "ｶﾞ"}, {"ﾊ\u309A", "ﾊﾟ"}}, japanese);
    // The weight of the mark counts before a later difference in width.
    EXPECT_GT(Compare("か\u3099a", "がａ", japanese), 0);
    EXPECT_GT(Compare("か\u3099ａ", "がa", japanese), 0);
    EXPECT_GT(Compare("は\u309Aａ", "ぱa", japanese), 0);
    // Weights add up: the semi-voicing mark on a plain kana weighs as the voicing mark on a
    // voiced one.
    EXPECT_EQ(Compare("はﾟ", "ばﾞ", japanese), 0);
    EXPECT_EQ(Compare("ばﾟ", "ぱ\u3099", japanese), 0);
    // With nothing before them, they weigh lighter, as the voicing of the kana after them.
    EXPECT_EQ(Compare("ﾞカ", "ガ", japanese), 0);
    EXPECT_EQ(Compare("ゝ゛", "ﾞゝ", japanese), 0);
    EXPECT_GT(Compare("ﾟﾌ", "ブ", japanese), 0);
    EXPECT_LT(Compare("ﾟﾌ", "プ", japanese), 0);
  }
}

// Any mark adds its weight to the character before it, a combining accent as the accent of a
// precomposed letter.
TEST(CompareTextIgnoringCase, MarksAddToTheCharacterBefore) {
  for (bool japanese : {false, true}) {
    ExpectOrder({"a", "a\u3099", "a\u309A", "a\u0301", "\u00E1", "\u00E0", "\u00E4", "b", "が",
                 "が\u3099", "が\u0301", "ぎ"},
                {{"a\u0301", "\u00E1"}}, japanese);
    // Hyphens, which weigh only at the last level, do not part a mark from its character.
    EXPECT_GT(Compare("か-\u3099a", "か-ａ", japanese), 0);
    EXPECT_EQ(Compare("か-゛", "か゛-", japanese), 0);
  }
}

// The marks that repeat a character (ゝ ゞ ヽ ヾ 々) or prolong its vowel (ー ｰ) weigh as what
// they stand for, where Windows is seen to give them a meaning.
TEST(CompareTextIgnoringCase, RepeatMarksWeighAsWhatTheyRepeat) {
  for (bool japanese : {false, true}) {
    // After a kana: the kana repeated, or its vowel, after the plain one of the same size.
    EXPECT_GT(Compare("かー", "かあ", japanese), 0);
    EXPECT_LT(Compare("かー", "かい", japanese), 0);
    EXPECT_LT(Compare("っー", "っう", japanese), 0);
    EXPECT_GT(Compare("んー", "んん", japanese), 0);
    EXPECT_LT(Compare("カー", "かー", japanese), 0);
    EXPECT_LT(Compare("ｶｰ", "ｶー", japanese), 0);
    EXPECT_GT(Compare("ｷｰ", "キイ", japanese), 0);
    EXPECT_EQ(Compare("かゝ", "かヽ", japanese), 0);
    EXPECT_GT(Compare("かゝ", "かか", japanese), 0);
    EXPECT_LT(Compare("かゝ", "かかa", japanese), 0);
    EXPECT_LT(Compare("ばゝ", "ばば", japanese), 0);
    EXPECT_GT(Compare("ば々", "ばば", japanese), 0);
    EXPECT_GT(Compare("あー", "あゝ", japanese), 0);
    EXPECT_LT(Compare("あー", "あ々", japanese), 0);
    // After anything else: that character, without its width or voicing marks.
    EXPECT_EQ(Compare("aー", "aa", japanese), 0);
    EXPECT_EQ(Compare("Aｰ", "aa", japanese), 0);
    EXPECT_EQ(Compare("ａー", "ａa", japanese), 0);
    EXPECT_EQ(Compare("aﾞー", "aﾞa", japanese), 0);
    EXPECT_EQ(Compare("1ゝ", "11", japanese), 0);
    EXPECT_LT(Compare("「ー", "「「", japanese), 0);
    // After a hyphen: a weight below every symbol.
    EXPECT_LT(Compare("-ー", "!", japanese), 0);
    EXPECT_GT(Compare("-ー", "-", japanese), 0);
    // With nothing before them: all alike, after the kanji.
    EXPECT_EQ(Compare("ー", "ゝ", japanese), 0);
    EXPECT_EQ(Compare("ｰ", "ゞ", japanese), 0);
    EXPECT_EQ(Compare("々", "ヽ", japanese), 0);
    EXPECT_GT(Compare("ー", "表", japanese), 0);
  }
  // After a kanji: the kanji for a Japanese user, a weight below every symbol for others.
  EXPECT_EQ(Compare("日ー", "日日", true), 0);
  EXPECT_EQ(Compare("日ー", "日々", false), 0);
  EXPECT_LT(Compare("日ー", "日!", false), 0);
  EXPECT_GT(Compare("日ー", "日", false), 0);
}

TEST(CompareTextIgnoringCase, PunctuationDigitsLettersKanaKanji) {
  for (bool japanese : {false, true}) {
    ExpectOrder(
        {" ",      "!",      "#",      "(",  ",",  "、", ".",      "。", "@",  "[",  "_",      "~",
         "+",      ">",      "\u00A7", "0",  "1",  "１", "2",      "a",  "ａ", "b",  "\u00FE", "z",
         "\u03B1", "\u0436", "ｱ",      "ア", "あ", "カ", "か",     "ガ", "が", "ｶﾞ", "き",     "っ",
         "つ",     "づ",     "は",     "ば", "ぱ", "ん", "\uE000", "一", "表", "ー"},
        {}, japanese);
    // 、 and 。 are symbols of their own, not variants of , and .; the half-width forms of the
    // CJK punctuation sort before it.
    EXPECT_GT(Compare("、", ",a", japanese), 0);
    EXPECT_LT(Compare("､", "、", japanese), 0);
    EXPECT_LT(Compare("｢", "「", japanese), 0);
  }
  // Only the backslash moves with the locale: for a Japanese user it is the yen sign, between
  // 》 and 「; the full-width backslash keeps the place of the ASCII one.
  EXPECT_LT(Compare("\\", "_", false), 0);
  EXPECT_LT(Compare("\\", ">", true), 0);
  EXPECT_GT(Compare("\\", "》", true), 0);
  EXPECT_LT(Compare("\\", "「", true), 0);
  EXPECT_LT(Compare("\\", "0", true), 0);
  EXPECT_LT(Compare("[", "＼", true), 0);
  EXPECT_LT(Compare("＼", "]", true), 0);
}

TEST(CompareTextIgnoringCase, EqualOnlyWhenEveryWeightIsEqual) {
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
    // Decomposed letters and the letters that expand weigh as what they stand for.
    EXPECT_EQ(Compare("e\u0301", "\u00E9", japanese), 0);
    EXPECT_EQ(Compare("ae", "\u00E6", japanese), 0);
    EXPECT_LT(Compare("\u00E6", "af", japanese), 0);
    EXPECT_EQ(Compare("ss", "\u00DF", japanese), 0);
    EXPECT_EQ(Compare("th", "\u00FE", japanese), 0);

    // Hyphen and apostrophe are skipped first and decide only among otherwise equal names, the
    // earlier one sorting later.
    EXPECT_LT(Compare("bc.txt", "b-c.txt", japanese), 0);
    EXPECT_LT(Compare("b-c.txt", "bd.txt", japanese), 0);
    EXPECT_GT(Compare("b-c.txt", "bc-.txt", japanese), 0);
    EXPECT_GT(Compare("'a", "a'", japanese), 0);
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
#endif  // _WIN32
