#include "system/text_case.h"

#include "system/text_encoding.h"

namespace {

// Units of 256 or above take the following unit with them unchanged: the pair is left whole.
template <typename Convert>
size_t ConvertWide(char16_t* text, Convert convert) {
  if (text == nullptr) return 0;
  size_t i = 0;
  while (text[i] != 0) {
    if (text[i] >= 256) {
      i += text[i + 1] != 0 ? 2 : 1;
    } else {
      text[i] = convert(text[i]);
      ++i;
    }
  }
  return i;
}

}  // namespace

size_t ToLowerA(char* text) {
  if (text == nullptr) return 0;
  size_t i = 0;
  while (text[i] != 0) {
    if (IsSjisPair(text + i)) {
      i += 2;
      continue;
    }
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
    ++i;
  }
  return i;
}

size_t ToLowerW(char16_t* text) {
  return ConvertWide(text, [](char16_t c) -> char16_t {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  });
}

size_t ToUpperW(char16_t* text) {
  return ConvertWide(text, [](char16_t c) -> char16_t {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
  });
}
