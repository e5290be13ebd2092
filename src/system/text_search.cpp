#include "system/text_search.h"

#include <cstring>

namespace {

template <typename Char>
size_t Length(const Char* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

template <typename Char>
int Find(const Char* haystack, const Char* needle) {
  if (haystack == nullptr || needle == nullptr || haystack[0] == 0) return -1;
  for (size_t i = 0; haystack[i] != 0; ++i) {
    size_t k = 0;
    while (needle[k] != 0 && haystack[i + k] == needle[k]) ++k;
    if (needle[k] == 0) return static_cast<int>(i);
  }
  return -1;
}

template <typename Char>
size_t Replace(Char* out, size_t capacity, const Char* source, const Char* find,
               const Char* replacement) {
  if (out == nullptr || capacity == 0) return 0;
  size_t written = 0;
  auto put = [&](Char c) {
    if (written + 1 >= capacity) return false;
    out[written++] = c;
    return true;
  };
  if (source != nullptr) {
    const size_t findLength = find == nullptr ? 0 : Length(find);
    size_t i = 0;
    bool room = true;
    while (room && source[i] != 0) {
      size_t k = 0;
      if (findLength > 0) {
        while (k < findLength && source[i + k] == find[k]) ++k;
      }
      if (findLength > 0 && k == findLength) {
        for (size_t r = 0; room && replacement != nullptr && replacement[r] != 0; ++r) {
          room = put(replacement[r]);
        }
        i += findLength;
      } else {
        room = put(source[i]);
        ++i;
      }
    }
  }
  out[written] = 0;
  return written;
}

}  // namespace

int FindString(const char* haystack, const char* needle) {
  return Find(haystack, needle);
}

int FindStringW(const char16_t* haystack, const char16_t* needle) {
  return Find(haystack, needle);
}

int FindCharA(const char* text, unsigned code) {
  if (text == nullptr || code == 0 || code > 0xFFFF) return -1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  if (code < 256) {
    for (size_t i = 0; bytes[i] != 0; ++i) {
      if (bytes[i] == code) return static_cast<int>(i);
    }
    return -1;
  }
  // Any byte position: a pair that straddles two characters counts too.
  const unsigned lead = code >> 8, trail = code & 0xFF;
  for (size_t i = 0; bytes[i] != 0; ++i) {
    if (bytes[i] == lead && bytes[i + 1] == trail) return static_cast<int>(i);
  }
  return -1;
}

int FindCharW(const char16_t* text, char16_t unit) {
  if (text == nullptr || unit == 0) return -1;
  for (size_t i = 0; text[i] != 0; ++i) {
    if (text[i] == unit) return static_cast<int>(i);
  }
  return -1;
}

size_t ReplaceAll(char* out, size_t capacity, const char* source, const char* find,
                  const char* replacement) {
  return Replace(out, capacity, source, find, replacement);
}

size_t ReplaceAllW(char16_t* out, size_t capacity, const char16_t* source, const char16_t* find,
                   const char16_t* replacement) {
  return Replace(out, capacity, source, find, replacement);
}

size_t ReadLine(const char* text, char* out, size_t capacity) {
  // Room for the line and its two terminating zeros.
  const size_t room = capacity >= 2 ? capacity - 2 : 0;
  size_t end = 0;
  size_t next = 0;
  if (text != nullptr) {
    while (text[end] != 0 && text[end] != '\n' && !(text[end] == '\r' && text[end + 1] == '\n')) {
      ++end;
    }
    next = end;
    if (text[end] == '\r') {
      next = end + 2;
    } else if (text[end] == '\n') {
      next = end + 1;
    }
  }
  if (out != nullptr && capacity > 0) {
    const size_t copied = end < room ? end : room;
    if (copied > 0) std::memcpy(out, text, copied);
    out[copied] = 0;
    if (copied + 1 < capacity) out[copied + 1] = 0;
  }
  return next;
}

int CompareBytes(const void* a, const void* b, size_t n) {
  if (a == nullptr || b == nullptr) return 0;
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (size_t i = 0; i < n; ++i) {
    if (x[i] != y[i]) return static_cast<int>(x[i]) - static_cast<int>(y[i]);
  }
  return 0;
}

void FastCopy(void* destination, const void* source, size_t n) {
  if (destination == nullptr || source == nullptr || n == 0) return;
  std::memcpy(destination, source, n);
}

void FastZero(void* destination, size_t n) {
  if (destination == nullptr || n == 0) return;
  std::memset(destination, 0, n);
}
