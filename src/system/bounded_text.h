// Length and bounded copies of terminated strings. Every copy into a fixed-size field goes through
// these: the copy stops at the field's end and is always terminated.
#pragma once

#include <cstddef>

size_t WideLength(const char16_t* text);

// Copies at most capacity - 1 units of `source` and terminates; returns the units copied.
// Nothing is written when capacity is 0; a null source copies as empty.
size_t CopyWide(char16_t* out, size_t capacity, const char16_t* source);
size_t CopyNarrow(char* out, size_t capacity, const char* source);

// Whole-array forms for fixed fields.
template <size_t N>
size_t CopyWide(char16_t (&out)[N], const char16_t* source) {
  return CopyWide(out, N, source);
}
template <size_t N>
size_t CopyNarrow(char (&out)[N], const char* source) {
  return CopyNarrow(out, N, source);
}
