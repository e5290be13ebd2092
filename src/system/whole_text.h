// Bounded copies that never cut a character in two: a UTF-16 surrogate pair or a Shift-JIS
// double-byte character that does not fit is left out whole.
#pragma once

#include <cstddef>

// Appends units to a terminated buffer of `capacity` units; once a piece has been cut, the
// buffer is full and later pieces are dropped.
class WideAppender {
 public:
  WideAppender(char16_t* out, size_t capacity);
  void Append(const char16_t* text, size_t units);
  void Append(const char16_t* text);
  size_t Length() const { return length_; }

 private:
  char16_t* out_;
  size_t capacity_;
  size_t length_ = 0;
  bool full_ = false;
};

// Copies `source` into `out` (capacity units or bytes, terminator included); the length copied.
size_t CopyWholeWide(char16_t* out, size_t capacity, const char16_t* source);
size_t CopyWholeSjis(char* out, size_t capacity, const char* source);
