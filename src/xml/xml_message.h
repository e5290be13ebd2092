// The parser's message field: the last error text, UTF-8, in a fixed 512-byte field.
#pragma once

#include <cstddef>

class zrXmlMessage {
 public:
  static constexpr size_t kCapacity = 512;

  // Writes `pattern` with its first "%s" replaced by `argument` (the messages take at most one).
  // A text that does not fit is cut at the last whole UTF-8 character before the field's end.
  void Set(const char* pattern, const char* argument = nullptr);
  const char* Text() const { return text_; }

 private:
  char text_[kCapacity] = {};
};
