// Conversions between UTF-16 (wide), UTF-8 and Shift-JIS (code page 932), and the byte-level
// facts about both narrow encodings. The unit 0xFFFF and the UTF-8 bytes FF FF are a marker that
// the UTF conversions carry across unchanged. Every function takes its output's capacity and
// never writes past it.
#pragma once

#include <cstddef>
#include <string>

// 1 when p[0], p[1] form a Shift-JIS double-byte character (lead 0x81-0x9F or 0xE0-0xFC, trail
// 0x40-0x7E or 0x80-0xFC, as code page 932 has them); 0 otherwise and for null.
int IsSjisPair(const char* p);
// lead * 256 + trail for a double-byte character, else the byte; 0 for null or empty.
unsigned GetSjisCode(const char* p);
// 1 when the unit is non-zero and 256 or above.
int IsWideNonLatin(const char16_t* p);
// The two halves of a UTF-16 surrogate pair.
inline bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length of the UTF-8 sequence at p: 1 for ASCII and for six or more leading one-bits, 2 to 5 by
// the leading one-bits, -2 for a continuation byte, -3 when an inner byte of a 3- to 5-byte
// sequence is not a continuation byte (the last byte is not examined).
int Utf8SequenceLength(const char* p);
// Copies the sequence at `source` into `out` (capacity bytes) and terminates it; empty for a
// null or empty source, or when it does not fit.
void CopyUtf8Char(const char* source, char* out, size_t capacity);

// UTF-8 to UTF-16, sequence by sequence: FF FF becomes 0xFFFF; each other sequence becomes the
// first unit its decoding yields (U+FFFD for an invalid one, the high surrogate outside the BMP).
// Stops at the terminator, at a sequence that is not well started (length below 1) or that the
// terminator cuts, and after capacity - 1 units. Returns the units written.
size_t Utf8ToWide(const char* source, char16_t* out, size_t capacity);
// UTF-16 to UTF-8, unit by unit: 0xFFFF becomes FF FF, a lone surrogate U+FFFD. Stops before a
// unit whose bytes would not fit capacity - 1 bytes. Returns the bytes written.
size_t WideToUtf8(const char16_t* source, char* out, size_t capacity);

// Whole-text conversions between Shift-JIS and UTF-8 through at most 4096 UTF-16 units. When the
// text is longer, or the result does not fit outBytes with its terminator, `out` is untouched.
void SjisToUtf8(const char* source, char* out, size_t outBytes);
void Utf8ToSjis(const char* source, char* out, size_t outBytes);
// Converts a Shift-JIS byte string to UTF-8 in place; a text over 4000 bytes, or whose UTF-8
// form with its terminator exceeds 4096 bytes, leaves the string empty.
void SjisToUtf8String(std::string& text);

// UTF-16 to Shift-JIS and back for a terminated source. Result: units written including the
// terminator, or 0 when the result does not fit. The short forms use 4096 as the capacity.
size_t WideToSjis(char* out, size_t outBytes, const char16_t* source);
size_t WideToSjis(char* out, const char16_t* source);
size_t SjisToWide(char16_t* out, size_t outChars, const char* source);
size_t SjisToWide(char16_t* out, const char* source);
