// lstrcmpiW as a Windows user sees it. Windows compares by sort keys of several levels; this
// models them for the characters that appear in file names:
//   1. base weights: ASCII punctuation and other symbols, then digits (as characters: "10.txt"
//      before "9.txt"), then Latin letters (accented Latin-1 letters with their base letter),
//      then the letters of other scripts, then kana, then kanji. Hyphen and apostrophe are
//      skipped here, as Windows' word sort skips them so that "co-op" stays beside "coop";
//   2. accents, and the voicing marks of kana;
//   3. width and kana type: full-width forms sort beside their ASCII form without being equal
//      to it; small kana before large, then half-width katakana, katakana and hiragana;
//   4. the skipped hyphens and apostrophes (and control characters and the soft hyphen, which
//      Windows ignores altogether), by position;
//   5. the case-folded text itself, so that only texts that differ in case are equal.
// Case never counts. What Windows orders by its own tables (accents among themselves, the
// letters of other scripts, kanji, which a Japanese Windows orders by reading) follows the code
// points here. The locale changes one thing that file names show: for a Japanese user the
// backslash is the yen sign of code page 932 and sorts after the other ASCII punctuation.
#include "platform/posix/text_compare.h"

#include <cstddef>
#include <cstdint>

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
constexpr uint32_t kKanji = 6u << 20;
constexpr uint32_t kUnclassified = 7u << 20;

// Other symbols follow the ASCII punctuation, by code point.
constexpr uint32_t kOtherSymbolBase = 0x100;

// Third-level weights.
constexpr uint8_t kWidthVariant = 1;  // full-width ASCII, half-width CJK punctuation
// Kana types in the order Windows is seen to give them (under Wine 8): half-width katakana,
// katakana, hiragana; small kana before large comes first.
constexpr uint8_t kHalfWidthKatakana = 0;
constexpr uint8_t kKatakana = 1;
constexpr uint8_t kHiragana = 2;
constexpr uint8_t kLargeKana = 4;

// Second-level weights of kana.
constexpr uint16_t kVoiced = 1;
constexpr uint16_t kSemiVoiced = 2;
// Second-level weights of marks that stand alone, above every accent (Latin-1 code points).
constexpr uint16_t kCombiningMarkBase = 0x100;

// ASCII punctuation by code point, then + < = >; hyphen and apostrophe are skipped.
constexpr char kPunctuationOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
constexpr char kPunctuationOrderJapanese[] = " !\"#$%&()*,./:;?@[]^_`{|}~+<=>\\";

// The base letter of each Latin-1 small letter from U+00E0; '*' marks those handled apart.
constexpr char kLatin1Base[] = "aaaaaa*ceeeeiiiidnooooo*ouuuuy*y";

struct Element {
  uint32_t primary = 0;  // 0: no base weight (a combining mark, or a skipped character)
  uint16_t secondary = 0;
  uint8_t tertiary = 0;
  bool skipped = false;  // weighed at the fourth level only
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

// The combining voicing marks. The half-width ones (U+FF9E, U+FF9F) are symbols of their own, as
// Windows is seen to sort them: "ｶﾞ" after "ガ" and "が", before "ｶﾅ".
bool IsVoicingMark(char16_t c) {
  return c == 0x3099 || c == 0x309A;
}

bool IsSymbol(char16_t c) {
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2B0 && c <= 0x2FF) ||
         (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x2E00 && c <= 0x2E7F) ||
         (c >= 0x3000 && c <= 0x303F && !(c >= 0x3005 && c <= 0x3007)) || c == 0x309B ||
         c == 0x309C || c == 0x30A0 || c == 0x30FB || (c >= 0xFE10 && c <= 0xFE1F) ||
         (c >= 0xFE30 && c <= 0xFE6F) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool IsKanji(char16_t c) {
  return (c >= 0x3005 && c <= 0x3007) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

bool IsSkipped(char16_t c) {
  return c == u'-' || c == u'\'' || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD;
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

// The kana element of `c`, or false when it is no kana.
bool KanaElement(char16_t c, Element& element) {
  uint8_t type = kHiragana;
  if (c >= 0xFF66 && c <= 0xFF9D) {
    c = kHalfWidthToKatakana[c - 0xFF66];
    type = kHalfWidthKatakana;
  } else if ((c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC || c == 0x30FD || c == 0x30FE) {
    type = kKatakana;
  }
  const bool katakana = type != kHiragana;
  if (katakana && c >= 0x30A1 && c <= 0x30F6) {
    c -= 0x60;                                          // to the hiragana
  } else if (katakana && c >= 0x30F7 && c <= 0x30FA) {  // ヷヸヹヺ: voiced ワヰヱヲ
    element = HiraganaElement(c - 0x68);
    element.secondary = kVoiced;
    element.tertiary |= type;
    return true;
  }
  if (c >= 0x3041 && c <= 0x3096) {
    element = HiraganaElement(c);
  } else if (c == 0x30FC) {  // the prolonged sound mark sorts with the symbols
    element.primary = kSymbol | (kOtherSymbolBase + c);
    element.tertiary = kLargeKana;
  } else if (c == 0x309D || c == 0x309E || c == 0x30FD || c == 0x30FE) {  // iteration marks
    element.primary = kKana | 2;
    element.secondary = (c == 0x309E || c == 0x30FE) ? kVoiced : 0;
    element.tertiary = kLargeKana;
  } else if (c == 0x309F || c == 0x30FF || (c >= 0x31F0 && c <= 0x31FF)) {
    element.primary = kKana | c;  // digraphs and small extensions, after the others
    element.tertiary = kLargeKana;
  } else {
    return false;
  }
  element.tertiary |= type;
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
  if (c < 0x80) {
    if (c >= u'0' && c <= u'9') {
      first.primary = kDigit | (c - u'0');
    } else if (c >= u'a' && c <= u'z') {
      first.primary = kLatin | (c - u'a' + 1);
    } else {
      const char* order = japanese ? kPunctuationOrderJapanese : kPunctuationOrder;
      uint32_t rank = 1;
      while (order[rank - 1] != 0 && order[rank - 1] != static_cast<char>(c)) ++rank;
      first.primary = kSymbol | rank;
    }
    return 1;
  }
  if (c == 0xDF || c == 0xE6) {  // ß and æ expand to "ss" and "ae", marked as themselves
    first.primary = kLatin | (c == 0xDF ? u's' - u'a' + 1 : 1);
    first.secondary = c;
    out[1] = first;
    out[1].primary = kLatin | (c == 0xDF ? u's' - u'a' + 1 : u'e' - u'a' + 1);
    return 2;
  }
  if (c == 0xFE) {  // þ after z
    first.primary = kLatin | 27;
    return 1;
  }
  if (c >= 0xE0 && c <= 0xFF && c != 0xF7) {
    first.primary = kLatin | (kLatin1Base[c - 0xE0] - 'a' + 1);
    first.secondary = c;
    return 1;
  }
  if (IsCombiningMark(c) || IsVoicingMark(c)) {
    first.secondary = kCombiningMarkBase + (c & 0xFF);
    return 1;
  }
  if (KanaElement(c, first)) return 1;
  if (IsSymbol(c)) {
    first.primary = kSymbol | (kOtherSymbolBase + c);
  } else if (IsKanji(c)) {
    first.primary = kKanji | c;
  } else if ((c >= 0xD800 && c <= 0xF8FF) || c >= 0xFFF0) {
    first.primary = kUnclassified | c;  // surrogates, private use, specials
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
      if (text_[index_] == 0) return false;
      Describe();
      next_ = 0;
    }
    element = pending_[next_++];
    if (element.primary != 0) ++position_;
    return true;
  }
  // Elements with a base weight read so far.
  uint32_t Position() const { return position_; }

 private:
  void Describe() {
    const char16_t c = FoldCase(text_[index_++]);
    const char16_t narrow = NarrowForm(c);
    count_ = DescribeCharacter(narrow ? narrow : c, japanese_, pending_);
    if (narrow) {
      for (int i = 0; i < count_; ++i) {
        if (pending_[i].skipped) {
          pending_[i].unit = c;
        } else {
          pending_[i].tertiary |= kWidthVariant;
        }
      }
    }
    // A voicing mark after a plain kana voices it, so that "ｶﾞ" sorts with "ガ".
    Element& last = pending_[count_ - 1];
    const char16_t mark = text_[index_];
    if ((last.primary & 0xF00000) == kKana && last.secondary == 0 && IsVoicingMark(mark)) {
      last.secondary = mark == 0x3099 ? kVoiced : kSemiVoiced;
      ++index_;
    }
  }

  const char16_t* text_;
  bool japanese_;
  size_t index_ = 0;
  Element pending_[2];
  int count_ = 0;
  int next_ = 0;
  uint32_t position_ = 0;
};

// The weight of the next element that counts at `level`; false at the end of the text.
bool NextWeight(ElementCursor& cursor, int level, uint64_t& weight) {
  Element element;
  while (cursor.Next(element)) {
    if (level == 1) {
      if (element.primary == 0) continue;
      weight = element.primary;
    } else if (level == 4) {
      if (!element.skipped) continue;
      weight = (static_cast<uint64_t>(cursor.Position()) << 16) | element.unit;
    } else {
      if (element.skipped) continue;
      weight = level == 2 ? element.secondary : element.tertiary;
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
    if (!hasA || !hasB) return hasA ? 1 : hasB ? -1 : 0;  // the shorter sorts first
    if (weightA != weightB) return weightA < weightB ? -1 : 1;
  }
}

}  // namespace

int CompareTextIgnoringCaseFor(const char16_t* a, const char16_t* b, bool japaneseOrder) {
  for (int level = 1; level <= 4; ++level) {
    const int order = CompareLevel(a, b, japaneseOrder, level);
    if (order != 0) return order;
  }
  const char16_t* left = a ? a : u"";
  const char16_t* right = b ? b : u"";
  for (size_t i = 0;; ++i) {
    const char16_t x = FoldCase(left[i]);
    const char16_t y = FoldCase(right[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int CompareTextIgnoringCase(const char16_t* a, const char16_t* b) {
  // Windows takes the order from the user's locale, which does not change while we run.
  static const bool japanese = (GetUserDefaultUILanguage() & 0x3FF) == 0x11;
  return CompareTextIgnoringCaseFor(a, b, japanese);
}

}  // namespace platform
