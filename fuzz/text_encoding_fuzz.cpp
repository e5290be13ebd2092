// Feeds arbitrary bytes, as UTF-8 and as Shift-JIS, through every text conversion with small and
// large outputs; the sanitizers catch any read past the terminator or write past a capacity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "system/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exact-size heap copies so that ASan sees any access beyond the terminator or the capacity.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const char* source = text.data();
  const size_t length = std::strlen(source);

  for (size_t capacity : {size_t{1}, size_t{2}, size_t{5}, length + 1}) {
    std::vector<char16_t> wide(capacity);
    const size_t units = Utf8ToWide(source, wide.data(), capacity);
    if (units >= capacity || wide[units] != 0) std::abort();

    // Every unit, the marker included, goes to at most three bytes.
    std::vector<char> utf8(units * 3 + 1);
    const size_t bytes = WideToUtf8(wide.data(), utf8.data(), utf8.size());
    if (bytes >= utf8.size() || utf8[bytes] != 0) std::abort();
    // What the encoder wrote decodes back to the same units, but for lone surrogates, which
    // the encoder replaces.
    std::vector<char16_t> again(units + 1);
    if (Utf8ToWide(utf8.data(), again.data(), again.size()) != units) std::abort();
    for (size_t i = 0; i < units; ++i) {
      const bool surrogate = wide[i] >= 0xD800 && wide[i] <= 0xDFFF;
      if (again[i] != (surrogate ? char16_t{0xFFFD} : wide[i])) std::abort();
    }

    std::vector<char> small(capacity);
    SjisToUtf8(source, small.data(), small.size());
    Utf8ToSjis(source, small.data(), small.size());
    std::vector<char16_t> sjisWide(capacity);
    const size_t written = SjisToWide(sjisWide.data(), capacity, source);
    if (written > capacity || (written == 0 && sjisWide[0] != 0)) std::abort();
    std::vector<char> sjis(capacity * 2);
    WideToSjis(sjis.data(), sjis.size(), wide.data());
  }

  std::vector<char> large(length * 4 + 16);
  SjisToUtf8(source, large.data(), large.size());
  Utf8ToSjis(source, large.data(), large.size());
  std::string inPlace(source);
  SjisToUtf8String(inPlace);
  for (size_t i = 0; i < length; ++i) {
    char one[8];
    CopyUtf8Char(source + i, one, sizeof one);
    (void)Utf8SequenceLength(source + i);
    (void)IsSjisPair(source + i);
    (void)GetSjisCode(source + i);
  }
  return 0;
}
