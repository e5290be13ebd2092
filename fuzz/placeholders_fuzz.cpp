// Expands arbitrary texts' folder and language placeholders into outputs of every size from 0 to
// a little past what the text needs; the sanitizers catch a write past the capacity, and a
// smaller output must hold a prefix of a larger one's result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/placeholders.h"

namespace {

const PlaceholderValues kValues = {u"Brand", u"\u661f\u306e\u8a18\u9332", u"C:\\Save",
                                   u"C:\\Save\\imglib"};

bool IsPrefix(const std::u16string& part, const std::u16string& whole) {
  return whole.compare(0, part.size(), part) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    if (const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8)) text += unit;
  }
  const size_t room = text.size() * 4 + 64;
  std::vector<char16_t> full(room);
  ExpandPlaceholderText(full.data(), room, text.c_str(), kValues);
  const std::u16string expected(full.data());
  for (size_t capacity = 0; capacity < 40 && capacity < room; ++capacity) {
    std::vector<char16_t> out(capacity + 1, u'\x55');
    const size_t length = ExpandPlaceholderText(out.data(), capacity, text.c_str(), kValues);
    if (out[capacity] != u'\x55') std::abort();  // written past the capacity
    if (capacity > 0 && (length >= capacity || !IsPrefix(out.data(), expected))) std::abort();
  }

  std::vector<char16_t> language(text.begin(), text.end());
  language.resize(text.size() + 16);
  ExpandLanguageText(language.data(), language.size(), u"japanese", u"english");
  std::string narrow(reinterpret_cast<const char*>(data), size);
  narrow.resize(size + 16, '\0');
  ExpandLanguageText(narrow.data(), narrow.size(), "japanese", "english");
  return 0;
}
