#include "system/text_encoding.h"

#include <cstring>

#include "platform/code_page.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
// The intermediate UTF-16 text of the whole-text Shift-JIS conversions.
constexpr size_t kIntermediateUnits = 4096;
constexpr size_t kShortFormCapacity = 4096;
constexpr size_t kInPlaceLimit = 4000;

inline unsigned char Byte(const char* p, size_t i) {
  return static_cast<unsigned char>(p[i]);
}
inline bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// First UTF-16 unit of one complete sequence of `length` bytes (all non-zero), decoded strictly:
// overlong forms, surrogates, values above 0x10FFFF and bad continuation bytes give U+FFFD, a
// character outside the BMP its high surrogate.
char16_t DecodeFirstUnit(const char* s, int length) {
  const unsigned char lead = Byte(s, 0);
  if (length == 1) return lead < 0x80 ? static_cast<char16_t>(lead) : kReplacement;
  if (length > 4) return kReplacement;
  for (int i = 1; i < length; ++i) {
    if (!IsContinuation(Byte(s, i))) return kReplacement;
  }
  char32_t value = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) value = (value << 6) | (Byte(s, i) & 0x3F);
  static const char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kMinimum[length] || value > 0x10FFFF) return kReplacement;
  if (value >= 0xD800 && value <= 0xDFFF) return kReplacement;
  if (value >= 0x10000) return static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
  return static_cast<char16_t>(value);
}

// UTF-8 bytes of one unit alone (a surrogate alone is U+FFFD); returns the count.
size_t EncodeUnit(char16_t unit, unsigned char (&bytes)[3]) {
  char32_t value = unit;
  if (value >= 0xD800 && value <= 0xDFFF) value = kReplacement;
  if (value < 0x80) {
    bytes[0] = static_cast<unsigned char>(value);
    return 1;
  }
  if (value < 0x800) {
    bytes[0] = static_cast<unsigned char>(0xC0 | (value >> 6));
    bytes[1] = static_cast<unsigned char>(0x80 | (value & 0x3F));
    return 2;
  }
  bytes[0] = static_cast<unsigned char>(0xE0 | (value >> 12));
  bytes[1] = static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F));
  bytes[2] = static_cast<unsigned char>(0x80 | (value & 0x3F));
  return 3;
}

// Converts a terminated multi-byte text to another code page through UTF-16, leaving `out`
// untouched when the intermediate text or the result is too long.
void ConvertThroughWide(unsigned fromCodePage, unsigned toCodePage, const char* source, char* out,
                        size_t outBytes) {
  if (source == nullptr || out == nullptr || outBytes == 0) return;
  const size_t units = platform::MultiByteToWide(fromCodePage, source, -1, nullptr, 0);
  if (units == 0 || units > kIntermediateUnits) return;
  char16_t wide[kIntermediateUnits];
  if (platform::MultiByteToWide(fromCodePage, source, -1, wide, kIntermediateUnits) != units) {
    return;
  }
  const size_t bytes = platform::WideToMultiByte(toCodePage, wide, -1, nullptr, 0);
  if (bytes == 0 || bytes > outBytes) return;
  platform::WideToMultiByte(toCodePage, wide, -1, out, outBytes);
}

}  // namespace

int IsSjisPair(const char* p) {
  if (p == nullptr) return 0;
  return platform::IsShiftJisLeadByte(Byte(p, 0)) && platform::IsShiftJisTrailByte(Byte(p, 1)) ? 1
                                                                                               : 0;
}

unsigned GetSjisCode(const char* p) {
  if (p == nullptr || p[0] == 0) return 0;
  if (IsSjisPair(p)) return Byte(p, 0) * 256u + Byte(p, 1);
  return Byte(p, 0);
}

int IsWideNonLatin(const char16_t* p) {
  return (p != nullptr && *p >= 256) ? 1 : 0;
}

int Utf8SequenceLength(const char* p) {
  if (p == nullptr) return 1;
  const unsigned char lead = Byte(p, 0);
  int ones = 0;
  while (ones < 6 && (lead & (0x80 >> ones))) ++ones;
  if (ones == 0 || ones >= 6) return 1;
  if (ones == 1) return -2;
  // Inner bytes only: the last byte of the sequence is left to the decoder. A terminator among
  // them is not a continuation byte, so this never reads past it.
  for (int i = 1; i <= ones - 2; ++i) {
    if (!IsContinuation(Byte(p, i))) return -3;
  }
  return ones;
}

void CopyUtf8Char(const char* source, char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return;
  out[0] = 0;
  if (source == nullptr || source[0] == 0) return;
  const int length = Utf8SequenceLength(source);
  if (length < 1 || static_cast<size_t>(length) >= capacity) return;
  for (int i = 0; i < length; ++i) {
    if (source[i] == 0) {  // cut by the terminator: nothing complete to copy
      out[0] = 0;
      return;
    }
    out[i] = source[i];
  }
  out[length] = 0;
}

size_t Utf8ToWide(const char* source, char16_t* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return 0;
  size_t written = 0;
  if (source != nullptr) {
    size_t i = 0;
    while (source[i] != 0 && written + 1 < capacity) {
      if (Byte(source, i) == 0xFF && Byte(source, i + 1) == 0xFF) {
        out[written++] = 0xFFFF;
        i += 2;
        continue;
      }
      const int length = Utf8SequenceLength(source + i);
      if (length < 1) break;
      bool cut = false;
      for (int k = 1; k < length; ++k) {
        if (source[i + k] == 0) {
          cut = true;
          break;
        }
      }
      if (cut) break;
      out[written++] = DecodeFirstUnit(source + i, length);
      i += static_cast<size_t>(length);
    }
  }
  out[written] = 0;
  return written;
}

size_t WideToUtf8(const char16_t* source, char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return 0;
  size_t written = 0;
  if (source != nullptr) {
    for (size_t i = 0; source[i] != 0; ++i) {
      unsigned char bytes[3];
      size_t count;
      if (source[i] == 0xFFFF) {
        bytes[0] = bytes[1] = 0xFF;
        count = 2;
      } else {
        count = EncodeUnit(source[i], bytes);
      }
      if (written + count >= capacity) break;
      for (size_t k = 0; k < count; ++k) out[written++] = static_cast<char>(bytes[k]);
    }
  }
  out[written] = 0;
  return written;
}

void SjisToUtf8(const char* source, char* out, size_t outBytes) {
  ConvertThroughWide(platform::kCodePageShiftJis, platform::kCodePageUtf8, source, out, outBytes);
}

void Utf8ToSjis(const char* source, char* out, size_t outBytes) {
  ConvertThroughWide(platform::kCodePageUtf8, platform::kCodePageShiftJis, source, out, outBytes);
}

void SjisToUtf8String(std::string& text) {
  if (text.size() > kInPlaceLimit) {
    text.clear();
    return;
  }
  char buffer[kIntermediateUnits];
  buffer[0] = 0;
  const size_t units =
      platform::MultiByteToWide(platform::kCodePageShiftJis, text.c_str(), -1, nullptr, 0);
  const size_t bytes = [&]() -> size_t {
    if (units == 0 || units > kIntermediateUnits) return 0;
    char16_t wide[kIntermediateUnits];
    platform::MultiByteToWide(platform::kCodePageShiftJis, text.c_str(), -1, wide,
                              kIntermediateUnits);
    const size_t needed = platform::WideToMultiByte(platform::kCodePageUtf8, wide, -1, nullptr, 0);
    if (needed == 0 || needed > sizeof buffer) return 0;
    return platform::WideToMultiByte(platform::kCodePageUtf8, wide, -1, buffer, sizeof buffer);
  }();
  if (bytes == 0) {
    text.clear();
    return;
  }
  text.assign(buffer, bytes - 1);
}

size_t WideToSjis(char* out, size_t outBytes, const char16_t* source) {
  if (out == nullptr || outBytes == 0) return 0;
  if (source == nullptr) {
    out[0] = 0;
    return 0;
  }
  const size_t written =
      platform::WideToMultiByte(platform::kCodePageShiftJis, source, -1, out, outBytes);
  // A conversion that did not fit may have left a partial, unterminated text behind.
  if (written == 0) out[0] = 0;
  return written;
}

size_t WideToSjis(char* out, const char16_t* source) {
  return WideToSjis(out, kShortFormCapacity, source);
}

size_t SjisToWide(char16_t* out, size_t outChars, const char* source) {
  if (out == nullptr || outChars == 0) return 0;
  if (source == nullptr) {
    out[0] = 0;
    return 0;
  }
  const size_t written =
      platform::MultiByteToWide(platform::kCodePageShiftJis, source, -1, out, outChars);
  if (written == 0) out[0] = 0;
  return written;
}

size_t SjisToWide(char16_t* out, const char* source) {
  return SjisToWide(out, kShortFormCapacity, source);
}
