// Feeds arbitrary format strings to FormatWide with small and large outputs; the sanitizers catch
// any read past an argument or write past the capacity, and the outputs must agree.
//
// Why the arguments are safe whatever the format asks for: inputs with more than 8 '%' are
// dropped, and a directive takes at most three arguments ('*' width, '*' precision, value), so
// at most 24 are taken. Every integer-class argument is the same pointer to kText, which is a
// terminated wide string and, read byte by byte, a terminated UTF-8 string too; read as an
// integer, a character or a pointer it is merely a number. Eight doubles fill the floating
// registers on x86-64, where integer and floating arguments are counted apart. A long double is
// read from the stack arguments, two slots wide: 8 of them, with alignment and the '*' values,
// take at most 40 slots, and 42 of the 48 pointers are on the stack. kText is read-only, so a
// write through an argument (what "%n" would do) would crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "system/wide_format.h"

namespace {

// UTF-8 "wide 字 text" then zero units; as UTF-16 the pairs of bytes are other characters.
alignas(char16_t) const char kText[] = "wide \xe5\xad\x97 text\0\0\0";
const void* const kP = kText;

constexpr int kMaxDirectives = 8;

size_t Format(char16_t* out, size_t capacity, const char16_t* format) {
  return FormatWide(out, capacity, format, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP,
                    kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP,
                    kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, kP, 1.5, -2.25e300, 3e-310,
                    0.0, -0.0, 1e22, 7.0, 123456.789);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One unit per byte keeps '%' and the directive letters easy to reach.
  std::vector<char16_t> format(data, data + size);
  format.push_back(0);
  int directives = 0;
  for (char16_t unit : format) directives += unit == u'%';
  if (directives > kMaxDirectives) return 0;

  // Exact-size heap outputs, so that ASan sees a write past the capacity.
  std::vector<char16_t> large(4096);
  const size_t length = Format(large.data(), large.size(), format.data());
  if (length >= large.size() || large[length] != 0) std::abort();
  for (size_t capacity : {size_t{1}, size_t{2}, size_t{9}}) {
    std::vector<char16_t> small(capacity);
    const size_t cut = Format(small.data(), capacity, format.data());
    // A smaller output holds the start of the same text.
    if (cut != std::min(length, capacity - 1) || small[cut] != 0) std::abort();
    for (size_t i = 0; i < cut; ++i) {
      if (small[i] != large[i]) std::abort();
    }
  }
  std::vector<char16_t> none(1, u'x');
  if (Format(none.data(), 0, format.data()) != 0 || none[0] != u'x') std::abort();
  return 0;
}
