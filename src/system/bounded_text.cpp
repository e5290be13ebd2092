#include "system/bounded_text.h"

#include <cstring>

size_t WideLength(const char16_t* text) {
  if (!text) return 0;
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}

size_t CopyWide(char16_t* out, size_t capacity, const char16_t* source) {
  if (!out || capacity == 0) return 0;
  size_t length = 0;
  if (source) {
    while (length + 1 < capacity && source[length]) {
      out[length] = source[length];
      ++length;
    }
  }
  out[length] = 0;
  return length;
}

size_t CopyNarrow(char* out, size_t capacity, const char* source) {
  if (!out || capacity == 0) return 0;
  size_t length = source ? strnlen(source, capacity - 1) : 0;
  std::memcpy(out, source ? source : "", length);
  out[length] = 0;
  return length;
}
