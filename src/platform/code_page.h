// Conversion between UTF-16 and the two narrow encodings the library uses.
#pragma once

#include <cstddef>

namespace platform {

constexpr unsigned kCodePageShiftJis = 932;
constexpr unsigned kCodePageUtf8 = 65001;

// The two bytes of a code page 932 double-byte character: lead bytes 0x81-0x9F and 0xE0-0xFC
// (the upper ones hold the NEC and IBM extensions real names use, such as the kanji of U+9AD9),
// trail bytes 0x40-0x7E and 0x80-0xFC. A trail byte may be 0x5C, the backslash.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
constexpr bool IsShiftJisTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Both work like the Windows conversions: `sourceLength` -1 means "up to and including the
// terminator"; with `out` null (or capacity 0) they return the units needed; otherwise the units
// written, or 0 when the result does not fit or the code page is unknown. Bytes that do not
// decode become U+FFFD (UTF-8) or U+30FB (Shift-JIS); characters that do not encode become '?'
// (Shift-JIS) or U+FFFD (UTF-8).
size_t MultiByteToWide(unsigned codePage, const char* source, ptrdiff_t sourceLength, char16_t* out,
                       size_t capacity);
size_t WideToMultiByte(unsigned codePage, const char16_t* source, ptrdiff_t sourceLength, char* out,
                       size_t capacity);

}  // namespace platform
