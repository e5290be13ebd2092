// lstrcmpiW as a Windows user sees it. Windows compares by sort keys of several levels; this
// models them for the characters that appear in file names:
//   1. base weights: ASCII punctuation and other symbols, then digits (as characters: "10.txt"
//      before "9.txt"), then Latin letters (accented Latin-1 letters with their base letter),
//      then the letters of other scripts, then kana, private use, kanji. Hyphen and apostrophe are
//      skipped here, as Windows' word sort skips them so that "co-op" stays beside "coop";
//   2. accents, and the voicing of kana (combining accents and voicing marks, combining or
//      spacing, add theirs to the character before them);
//   3. kana size, kana repeated or prolonged by a mark, and width: full-width forms sort beside
//      their ASCII form without being equal to it;
//   4. kana type: half-width katakana, katakana, hiragana;
//   5. the skipped hyphens and apostrophes (and control characters and the soft hyphen, which
//      Windows ignores altogether), by position: the earlier one sorts later.
// Texts with the same weights are equal: case never counts. The marks that repeat or prolong
// (ー ｰ ゝ ゞ ヽ ヾ 々) take their weights from the character before them, as Windows does so
// that "かー" sorts with "かあ". What Windows orders by its own tables (accents among themselves,
// the letters of other scripts, kanji, which a Japanese Windows orders by reading) follows the
// code points here. The locale changes what file names show in two places: for a Japanese user
// the backslash is the yen sign of code page 932 and sorts among the CJK brackets, and a repeat
// mark after a kanji repeats it (for other users it weighs below every symbol).
#include "platform/posix/text_compare.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "platform/system_folders.h"
#include "platform/text_compare.h"

namespace platform {
namespace {

// Groups of base weights, in their order.
constexpr uint32_t kSymbol = 1u << 20;
constexpr uint32_t kDigit = 2u << 20;
constexpr uint32_t kLatin = 3u << 20;
constexpr uint32_t kOtherLetter = 4u << 20;
constexpr uint32_t kKana = 5u << 20;
constexpr uint32_t kPrivateUse = 6u << 20;
constexpr uint32_t kKanji = 7u << 20;
constexpr uint32_t kUnclassified = 8u << 20;

// Other symbols follow the ASCII punctuation, by code point.
constexpr uint32_t kOtherSymbolBase = 0x100;

// Third-level weights of variant forms. A repeat mark copies a character without them.
constexpr uint8_t kWidthVariant = 1;        // full-width ASCII
constexpr uint8_t kHalfWidthVariant = 2;    // half-width CJK punctuation
constexpr uint8_t kIdeographicVariant = 3;  // 、 。 「 」 ・ after their half-width forms
// Third-level weights of kana: small before large; a kana repeated by ゝ or ヽ, then one
// prolonged by ー or ｰ, then one repeated by 々, after the plain kana of the same size.
constexpr uint8_t kRepeatedKana = 0x04;
constexpr uint8_t kProlongedKana = 0x08;
constexpr uint8_t kKanjiRepeatedKana = 0x10;
constexpr uint8_t kLargeKana = 0x20;
// Kana types (fourth level) in the order Windows is seen to give them (under Wine 8), doubled:
// the low bit tells a full-width prolonged sound mark from a half-width one.
constexpr uint8_t kHalfWidthKatakana = 0;
constexpr uint8_t kKatakana = 2;
constexpr uint8_t kHiragana = 4;
constexpr uint8_t kFullWidthMark = 1;

// Second-level weights of kana. The spacing voicing marks add theirs to those of the character
// before them, so that "はﾟ" and "ばﾞ" weigh the same; where there is none, they weigh as a mark
// of their own, lighter ("ﾞか" weighs as "が": Windows drops trailing unaccented weights).
constexpr uint16_t kVoiced = 2;
constexpr uint16_t kSemiVoiced = 4;
constexpr uint16_t kVoicingMark = 6;      // ﾞ ゛
constexpr uint16_t kSemiVoicingMark = 8;  // ﾟ ゜
constexpr uint16_t kLeadingVoicingMark = kVoiced;
constexpr uint16_t kLeadingSemiVoicingMark = 3;
// 〇 is 0 with an accent of its own, above those of the voicing marks.
constexpr uint16_t kIdeographicZero = 0x20;
// Second-level weights of accents, added like those of the voicing marks, so that "e\u0301" weighs
// as "é": those of Latin-1 in their order, then the other combining marks by code point.
constexpr uint16_t kAccentBase = 0x10;
constexpr char16_t kAccentOrder[] =
    u"\u0301\u0300\u0306\u0302\u030C\u030A\u0308\u030B\u0303\u0307\u0327"
    u"\u0328\u0304\u0335\u0338";
constexpr uint16_t kCombiningMarkBase = 0x100;

// ASCII punctuation by code point (、 and 。 right after , and .), then the CJK brackets and
// marks, then + < = >, then the middle dot, then other symbols by code point; hyphen and
// apostrophe are skipped. For a Japanese user the backslash (the yen sign) sorts between 》 and
// 「; the full-width backslash keeps the place of the ASCII one.
constexpr char kPunctuationOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~";
constexpr char kMathOrder[] = "+<=>";
constexpr uint32_t kCjkBracketRank = 0x40;  // U+3008 to U+301F (but U+301C), then 〃 〆
constexpr uint32_t kMathRank = 0x80;
constexpr uint32_t kYenRank = kCjkBracketRank + 2 * (0x300B - 0x3008) + 1;
constexpr uint32_t kMiddleDotRank = 0x90;
constexpr char16_t kAfterMiddleDot[] = u"\u30FB\u3012\u3013\u3004";  // ・ 〒 〓 〄
// Skipped characters in their fifth-level order; others skipped come by code point.
constexpr char16_t kSkippedOrder[] = u"'\uFF07-\uFF0D\u301C";
// A repeat mark that repeats nothing sorts after the kanji; one that repeats a skipped character,
// or a kanji for a user who is not Japanese, before every symbol.
constexpr uint32_t kLoneRepeat = kKanji | 0x20000;
constexpr uint32_t kUnrepeatable = kSymbol;

// The base letter and the accent of each Latin-1 small letter from U+00E0; '*' marks those
// handled apart.
constexpr char kLatin1Base[] = "aaaaaa*ceeeeiiiidnooooo*ouuuuy*y";
constexpr char16_t kLatin1Accent[] = {
    0x300, 0x301, 0x302, 0x303, 0x308, 0x30A, 0,     0x327, 0x300, 0x301, 0x302,  // à to ê
    0x308, 0x300, 0x301, 0x302, 0x308, 0x335, 0x303, 0x300, 0x301, 0x302, 0x303,  // ë to õ
    0x308, 0,     0x338, 0x300, 0x301, 0x302, 0x308, 0x301, 0,     0x308,         // ö to ÿ
};
static_assert(sizeof kLatin1Accent / sizeof kLatin1Accent[0] == 0x100 - 0xE0,
              "one accent per Latin-1 small letter");

struct Element {
  uint32_t primary = 0;  // 0: no base weight (a combining mark, or a skipped character)
  uint16_t secondary = 0;
  uint8_t tertiary = 0;
  uint8_t kanaType = 0;
  bool skipped = false;  // weighed at the fifth level only
  char16_t unit = 0;     // the skipped character
};

// Simple case folding to the small letter.
char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 0x20;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
  if (c < 0x100) return c;
  if (c <= 0x17F) {  // Latin Extended-A: pairs of capital and small letter
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return c | 1;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;  // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;  // full-width Latin
  return c;
}

// Full-width and half-width variants other than full-width ASCII, with their ordinary form.
struct VariantForm {
  char16_t variant;
  char16_t ordinary;
};
constexpr VariantForm kVariantForms[] = {
    {0x00A0, u' '},   {0x3000, u' '},   {0xFF61, 0x3002}, {0xFF62, 0x300C}, {0xFF63, 0x300D},
    {0xFF64, 0x3001}, {0xFF65, 0x30FB}, {0xFFE0, 0x00A2}, {0xFFE1, 0x00A3}, {0xFFE2, 0x00AC},
    {0xFFE3, 0x00AF}, {0xFFE4, 0x00A6}, {0xFFE5, 0x00A5}, {0xFFE6, 0x20A9},
};

// The ordinary form of a full-width or half-width variant; 0 for any other character.
char16_t NarrowForm(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return c - 0xFEE0;
  for (const VariantForm& form : kVariantForms) {
    if (form.variant == c) return form.ordinary;
  }
  return 0;
}

// Full-width katakana for the half-width katakana U+FF66 to U+FF9D.
constexpr char16_t kHalfWidthToKatakana[] = {
    0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3,  // FF66
    0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1,  // FF70
    0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6,  // FF7A
    0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8,  // FF84
    0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,  // FF8E
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3,                                  // FF98
};
static_assert(sizeof kHalfWidthToKatakana / sizeof kHalfWidthToKatakana[0] == 0xFF9D - 0xFF66 + 1,
              "one entry per half-width katakana");

bool IsCombiningMark(char16_t c) {
  return (c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F);
}

// The second-level weight a voicing mark (゛ ゜ ﾞ ﾟ, combining or not) adds; 0 for any other
// character.
uint16_t VoicingWeight(char16_t c) {
  if (c == 0x3099 || c == 0x309B || c == 0xFF9E) return kVoicingMark;
  if (c == 0x309A || c == 0x309C || c == 0xFF9F) return kSemiVoicingMark;
  return 0;
}

uint16_t AccentWeight(char16_t accent) {
  for (uint16_t i = 0; kAccentOrder[i]; ++i) {
    if (kAccentOrder[i] == accent) return kAccentBase + i;
  }
  return kCombiningMarkBase + (accent & 0xFF);
}

// The second-level weight a mark adds to the character before it; 0 for any other character.
uint16_t MarkWeight(char16_t c) {
  if (IsCombiningMark(c)) return AccentWeight(c);
  return VoicingWeight(c);
}

// The marks that repeat the character before them (ゝ ゞ ヽ ヾ 々) or prolong its vowel (ー ｰ).
bool IsRepeatMark(char16_t c) {
  return c == 0x309D || c == 0x309E || c == 0x30FD || c == 0x30FE || c == 0x3005 || c == 0x30FC ||
         c == 0xFF70;
}

bool IsSymbol(char16_t c) {
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2B0 && c <= 0x2FF) ||
         (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x2E00 && c <= 0x2E7F) ||
         (c >= 0x3000 && c <= 0x303F && c != 0x3005 && c != 0x3007) || c == 0x30A0 || c == 0x30FB ||
         (c >= 0xFE10 && c <= 0xFE1F) || (c >= 0xFE30 && c <= 0xFE6F) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

bool IsKanji(char16_t c) {
  return (c >= 0x3005 && c <= 0x3007) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

// A Japanese user's kanji order: as code page 932 holds them (by reading, then by radical), the
// rest after them by code point.
uint32_t JapaneseKanjiRank(char16_t c) {
  struct KanjiCode {
    char16_t kanji;
    uint16_t code;
  };
  static constexpr KanjiCode kTable[] = {
#include "platform/posix/kanji_order_table.inc"
  };
  const KanjiCode* found =
      std::lower_bound(std::begin(kTable), std::end(kTable), c,
                       [](const KanjiCode& entry, char16_t kanji) { return entry.kanji < kanji; });
  return found != std::end(kTable) && found->kanji == c ? found->code : 0x10000 + c;
}

// The word sort weighs these only at the fifth level: hyphens, apostrophes, the wave dash,
// control characters and the soft hyphen.
bool IsSkipped(char16_t c) {
  return c == u'-' || c == u'\'' || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD ||
         c == 0x301C;
}

// A skipped character, or the full-width form of one; not the end of the text.
bool IsSkippedUnit(char16_t c) {
  const char16_t narrow = NarrowForm(c);
  return c != 0 && IsSkipped(narrow ? narrow : c);
}

// Where a skipped character sorts among the others.
uint32_t SkippedRank(char16_t c) {
  for (size_t i = 0; kSkippedOrder[i]; ++i) {
    if (kSkippedOrder[i] == c) return 0x20 + i;
  }
  return c < 0x20 ? c : 0x100 + c;
}

// The rank of a symbol among the symbols.
uint32_t SymbolRank(char16_t c, bool japanese) {
  if (c < 0x80) {
    if (japanese && c == u'\\') return kYenRank;
    for (uint32_t i = 0; kPunctuationOrder[i]; ++i) {
      if (kPunctuationOrder[i] == static_cast<char>(c)) return 2 * (1 + i);
    }
    for (uint32_t i = 0; kMathOrder[i]; ++i) {
      if (kMathOrder[i] == static_cast<char>(c)) return kMathRank + i;
    }
  }
  if (c == 0x3001 || c == 0x3002) return SymbolRank(c == 0x3001 ? u',' : u'.', japanese) + 1;
  if (c >= 0x3008 && c <= 0x301F) return kCjkBracketRank + 2 * (c - 0x3008);
  if (c == 0x3003 || c == 0x3006) return kCjkBracketRank + 2 * (c == 0x3003 ? 24 : 25);
  for (uint32_t i = 0; kAfterMiddleDot[i]; ++i) {
    if (kAfterMiddleDot[i] == c) return kMiddleDotRank + i;
  }
  return kOtherSymbolBase + c;
}

bool IsSmallHiragana(char16_t h) {
  for (const char16_t* small = u"ぁぃぅぇぉっゃゅょゎゕゖ"; *small; ++small) {
    if (*small == h) return true;
  }
  return false;
}

// A hiragana (U+3041 to U+3096) as its plain large form, its voicing and its size. The block is
// in dictionary order with each small form right before, each voiced form right after its plain
// one.
Element HiraganaElement(char16_t h) {
  uint16_t voicing = 0;
  char16_t base = h;
  if (h == 0x3094) {  // ゔ
    base = 0x3046;
    voicing = kVoiced;
  } else if (h == 0x3095 || h == 0x3096) {  // ゕ ゖ
    base = h == 0x3095 ? 0x304B : 0x3051;
  } else if (IsSmallHiragana(h)) {
    base = h + 1;
  } else if ((h >= 0x304B && h <= 0x3062 && (h - 0x304B) % 2 == 1) ||  // が to ぢ
             (h >= 0x3064 && h <= 0x3069 && (h - 0x3064) % 2 == 1)) {  // づ で ど
    base = h - 1;
    voicing = kVoiced;
  } else if (h >= 0x306F && h <= 0x307D) {  // は ば ぱ to ほ ぼ ぽ
    const int step = (h - 0x306F) % 3;
    base = h - step;
    voicing = step == 0 ? 0 : step == 1 ? kVoiced : kSemiVoiced;
  }
  Element element;
  element.primary = kKana | base;
  element.secondary = voicing;
  element.tertiary = IsSmallHiragana(h) ? 0 : kLargeKana;
  return element;
}

// The vowel a prolonged sound mark repeats after the plain large hiragana `h`: あ い う え お,
// or ん itself.
char16_t VowelOf(char16_t h) {
  // One letter per hiragana from U+3041 (ぁ) to U+3096 (ゖ).
  static constexpr char kVowels[] =
      "aaiiuueeoo"       // ぁ to お
      "aaiiuueeoo"       // か to ご
      "aaiiuueeoo"       // さ to ぞ
      "aaiiuuueeoo"      // た to ど
      "aiueo"            // な to の
      "aaaiiiuuueeeooo"  // は to ぽ
      "aiueo"            // ま to も
      "aauuoo"           // ゃ to よ
      "aiueo"            // ら to ろ
      "aaieon"           // ゎ to ん
      "uae";             // ゔ ゕ ゖ
  static_assert(sizeof kVowels - 1 == 0x3096 - 0x3041 + 1, "one vowel per hiragana");
  switch (kVowels[h - 0x3041]) {
    case 'a':
      return 0x3042;
    case 'i':
      return 0x3044;
    case 'u':
      return 0x3046;
    case 'e':
      return 0x3048;
    case 'o':
      return 0x304A;
    default:
      return h;
  }
}

// The kana element of `c`, or false when it is no kana.
bool KanaElement(char16_t c, Element& element) {
  uint8_t type = kHiragana;
  if (c >= 0xFF66 && c <= 0xFF9D) {
    c = kHalfWidthToKatakana[c - 0xFF66];
    type = kHalfWidthKatakana;
  } else if ((c >= 0x30A1 && c <= 0x30FA) || c == 0x30FF) {
    type = kKatakana;
  }
  const bool katakana = type != kHiragana;
  if (katakana && c >= 0x30A1 && c <= 0x30F6) {
    c -= 0x60;                                          // to the hiragana
  } else if (katakana && c >= 0x30F7 && c <= 0x30FA) {  // ヷヸヹヺ: voiced ワヰヱヲ
    element = HiraganaElement(c - 0x68);
    element.secondary = kVoiced;
    element.kanaType = type;
    return true;
  }
  if (c >= 0x3041 && c <= 0x3096) {
    element = HiraganaElement(c);
  } else if (c == 0x309F || c == 0x30FF || (c >= 0x31F0 && c <= 0x31FF)) {
    element.primary = kKana | c;  // digraphs and small extensions, after the others
    element.tertiary = kLargeKana;
  } else {
    return false;
  }
  element.kanaType = type;
  return true;
}

// The elements of one character that is not a variant form; returns their count (1 or 2).
int DescribeCharacter(char16_t c, bool japanese, Element (&out)[2]) {
  Element& first = out[0];
  first = Element();
  if (IsSkipped(c)) {
    first.skipped = true;
    first.unit = c;
    return 1;
  }
  if (c == 0x3007) {  // 〇, a variant of 0
    DescribeCharacter(u'0', japanese, out);
    first.secondary = kIdeographicZero;
    return 1;
  }
  if (c < 0x80) {
    if (c >= u'0' && c <= u'9') {
      first.primary = kDigit | (c - u'0');
    } else if (c >= u'a' && c <= u'z') {
      first.primary = kLatin | (c - u'a' + 1);
    } else {
      first.primary = kSymbol | SymbolRank(c, japanese);
    }
    return 1;
  }
  if (c == 0xDF || c == 0xE6 || c == 0xFE) {  // ß, æ and þ weigh as "ss", "ae" and "th"
    const char* letters = c == 0xDF ? "ss" : c == 0xE6 ? "ae" : "th";
    DescribeCharacter(letters[0], japanese, out);
    out[1] = Element();
    out[1].primary = kLatin | (letters[1] - 'a' + 1);
    return 2;
  }
  if (c >= 0xE0 && c <= 0xFF && c != 0xF7) {
    first.primary = kLatin | (kLatin1Base[c - 0xE0] - 'a' + 1);
    first.secondary = AccentWeight(kLatin1Accent[c - 0xE0]);
    return 1;
  }
  if (const uint16_t weight = MarkWeight(c)) {  // a mark with nothing before it to add to
    first.secondary = weight;
    return 1;
  }
  if (KanaElement(c, first)) return 1;
  if (IsSymbol(c)) {
    first.primary = kSymbol | SymbolRank(c, japanese);
    // The forms with half-width variants: the variants sort first.
    if (c == 0x3001 || c == 0x3002 || c == 0x300C || c == 0x300D || c == 0x30FB) {
      first.tertiary = kIdeographicVariant;
    }
  } else if (IsKanji(c)) {
    first.primary = kKanji | (japanese ? JapaneseKanjiRank(c) : c);
  } else if (c >= 0xE000 && c <= 0xF8FF) {
    first.primary = kPrivateUse | c;
  } else if ((c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFF0) {
    first.primary = kUnclassified | c;  // surrogates, U+FFF0 onwards
  } else {
    first.primary = kOtherLetter | c;
  }
  return 1;
}

// Reads the elements of a text one by one.
class ElementCursor {
 public:
  ElementCursor(const char16_t* text, bool japanese)
      : text_(text ? text : u""), japanese_(japanese) {}

  bool Next(Element& element) {
    if (next_ == count_) {
      if (!Describe()) return false;
      next_ = 0;
    }
    element = pending_[next_++];
    if (element.primary != 0) ++position_;
    return true;
  }
  // Elements with a base weight read so far.
  uint32_t Position() const { return position_; }

 private:
  // Describes the next character; false at the end of the text.
  bool Describe() {
    if (index_ == passedMarksBegin_) index_ = passedMarksEnd_;  // weighed already
    if (text_[index_] == 0) return false;
    count_ = 1;
    if (!voiceable_ && VoicingWeight(text_[index_])) {
      pending_[0] = LeadingVoicingMarks();
      return true;
    }
    const char16_t c = FoldCase(text_[index_++]);
    if (IsRepeatMark(c)) {
      pending_[0] = Repeat(c);
    } else {
      const char16_t narrow = NarrowForm(c);
      // A variant form is never the yen sign: the full-width backslash weighs as the ASCII one.
      count_ = DescribeCharacter(narrow ? narrow : c, japanese_ && !narrow, pending_);
      if (narrow) {
        for (int i = 0; i < count_; ++i) {
          if (pending_[i].skipped) {
            pending_[i].unit = c;
          } else {
            pending_[i].tertiary = c >= 0xFF61 && c <= 0xFF65 ? kHalfWidthVariant : kWidthVariant;
          }
        }
      }
      const Element& last = pending_[count_ - 1];
      if (last.primary != 0 || last.skipped) {  // a mark that stands alone is not repeated
        repeatable_ = last;
        hasRepeatable_ = true;
        repeatableIsKanji_ = c > 0x3007 && IsKanji(c);
      }
    }
    Element& last = pending_[count_ - 1];
    if (last.primary != 0 && last.primary != kLoneRepeat) {
      voiceable_ = true;
      AddMarks(last);
    }
    return true;
  }

  // Voicing marks with no character before them to voice weigh as one mark of their own: the
  // first lighter than after a character, the others adding theirs to it.
  Element LeadingVoicingMarks() {
    Element element;
    element.secondary = VoicingWeight(text_[index_++]) == kVoicingMark ? kLeadingVoicingMark
                                                                       : kLeadingSemiVoicingMark;
    while (const uint16_t weight = VoicingWeight(text_[index_])) {
      element.secondary += weight;
      ++index_;
    }
    return element;
  }

  // Marks (accents, voicing marks) add their weight to the character before them, even past
  // hyphens and apostrophes: "か-゛" weighs as "か゛-".
  void AddMarks(Element& last) {
    size_t next = index_;
    while (IsSkippedUnit(text_[next])) ++next;
    const size_t first = next;
    while (const uint16_t weight = MarkWeight(text_[next])) {
      last.secondary += weight;
      ++next;
    }
    if (first == index_) {
      index_ = next;
    } else if (next != first) {
      passedMarksBegin_ = first;
      passedMarksEnd_ = next;
    }
  }

  // What a repeat mark stands for: the character before it (without its voicing marks), or,
  // after a kana, that kana repeated or its vowel prolonged, sorting after the plain kana.
  Element Repeat(char16_t mark) const {
    Element element;
    if (!hasRepeatable_) {
      element.primary = kLoneRepeat;
      return element;
    }
    if (repeatable_.skipped || (repeatableIsKanji_ && !japanese_)) {
      element.primary = kUnrepeatable;
      return element;
    }
    element = repeatable_;
    const char16_t kana = static_cast<char16_t>(element.primary & 0xFFFF);
    if ((element.primary & 0xF00000) != kKana || kana < 0x3041 || kana > 0x3096) {
      element.tertiary = 0;  // the character, not its form
      return element;
    }
    element.tertiary &= kLargeKana;
    if (mark == 0x30FC || mark == 0xFF70) {
      element.primary = kKana | VowelOf(kana);
      element.secondary = 0;
      element.tertiary |= kProlongedKana;
      if (mark == 0x30FC) element.kanaType |= kFullWidthMark;
    } else if (mark == 0x3005) {
      element.tertiary |= kKanjiRepeatedKana;
    } else {
      element.secondary = mark == 0x309E || mark == 0x30FE ? kVoiced : 0;
      element.tertiary |= kRepeatedKana;
    }
    return element;
  }

  const char16_t* text_;
  bool japanese_;
  size_t index_ = 0;
  Element pending_[2];
  int count_ = 0;
  int next_ = 0;
  uint32_t position_ = 0;
  bool voiceable_ = false;  // whether a character that voicing marks add to has been read
  // Voicing marks after skipped characters, weighed with the character before those.
  size_t passedMarksBegin_ = SIZE_MAX;
  size_t passedMarksEnd_ = 0;
  // The last character a repeat mark can repeat.
  Element repeatable_;
  bool hasRepeatable_ = false;
  bool repeatableIsKanji_ = false;
};

// The weight of the next element that counts at `level`; false at the end of the text.
bool NextWeight(ElementCursor& cursor, int level, uint64_t& weight) {
  Element element;
  while (cursor.Next(element)) {
    if (level == 1) {
      if (element.primary == 0) continue;
      weight = element.primary;
    } else if (level == 5) {
      if (!element.skipped) continue;
      // The earlier a skipped character, the later the text sorts: "b-c" after "bc-".
      weight =
          (static_cast<uint64_t>(UINT32_MAX - cursor.Position()) << 32) | SkippedRank(element.unit);
    } else {
      // Marks weigh at the second level only; a repeat mark that repeats nothing, not there.
      if (element.skipped || (level == 2 ? element.primary == kLoneRepeat : element.primary == 0))
        continue;
      weight = level == 2 ? element.secondary : level == 3 ? element.tertiary : element.kanaType;
    }
    return true;
  }
  return false;
}

int CompareLevel(const char16_t* a, const char16_t* b, bool japanese, int level) {
  ElementCursor left(a, japanese);
  ElementCursor right(b, japanese);
  for (;;) {
    uint64_t weightA = 0;
    uint64_t weightB = 0;
    const bool hasA = NextWeight(left, level, weightA);
    const bool hasB = NextWeight(right, level, weightB);
    if (!hasA && !hasB) return 0;
    // The shorter sorts first; at the second level, Windows drops the trailing weights of
    // characters without accents, so a missing weight counts as one.
    if (level != 2 && (!hasA || !hasB)) return hasA ? 1 : -1;
    if (weightA != weightB) return weightA < weightB ? -1 : 1;
  }
}

}  // namespace

int CompareTextIgnoringCaseFor(const char16_t* a, const char16_t* b, bool japaneseOrder) {
  for (int level = 1; level <= 5; ++level) {
    const int order = CompareLevel(a, b, japaneseOrder, level);
    if (order != 0) return order;
  }
  return 0;
}

int CompareTextIgnoringCase(const char16_t* a, const char16_t* b) {
  // Windows takes the order from the user's locale, which does not change while we run.
  static const bool japanese = (GetUserDefaultUILanguage() & 0x3FF) == 0x11;
  return CompareTextIgnoringCaseFor(a, b, japanese);
}

}  // namespace platform
