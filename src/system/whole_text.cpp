#include "system/whole_text.h"

#include "system/bounded_text.h"
#include "system/text_encoding.h"

WideAppender::WideAppender(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {
  if (capacity_ > 0) {
    out_[0] = 0;
  } else {
    full_ = true;
  }
}

void WideAppender::Append(const char16_t* text, size_t units) {
  if (full_) return;
  const size_t room = capacity_ - 1 - length_;
  size_t taken = units < room ? units : room;
  if (taken < units) {
    full_ = true;
    // A high surrogate whose partner is cut off goes with it.
    if (taken > 0 && IsHighSurrogate(text[taken - 1])) --taken;
  }
  for (size_t i = 0; i < taken; ++i) out_[length_ + i] = text[i];
  length_ += taken;
  out_[length_] = 0;
}

void WideAppender::Append(const char16_t* text) {
  Append(text, WideLength(text));
}

size_t CopyWholeWide(char16_t* out, size_t capacity, const char16_t* source) {
  WideAppender appender(out, capacity);
  if (source) appender.Append(source);
  return appender.Length();
}

size_t CopyWholeSjis(char* out, size_t capacity, const char* source) {
  if (capacity == 0) return 0;
  size_t length = 0;
  while (source && source[length]) {
    const size_t width = IsSjisPair(source + length) ? 2 : 1;
    if (length + width > capacity - 1) break;
    for (size_t i = 0; i < width; ++i) out[length + i] = source[length + i];
    length += width;
  }
  out[length] = 0;
  return length;
}
