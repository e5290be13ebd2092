#include "system/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

template <typename Char>
int HexDigit(Char c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// Shared by the narrow and wide forms. The value is built in uint32_t so that it wraps at 32 bits
// without signed overflow.
template <typename Char>
bool Parse(const Char* text, size_t* position, int32_t* value) {
  if (text == nullptr) return false;
  size_t i = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    i = 1;
  }
  if (!(text[i] >= '0' && text[i] <= '9')) return false;
  uint32_t result = 0;
  if (text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    i += 2;
    for (int digit; (digit = HexDigit(text[i])) >= 0; ++i) {
      result = result * 16u + static_cast<uint32_t>(digit);
    }
  } else {
    for (; text[i] >= '0' && text[i] <= '9'; ++i) {
      result = result * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    if (text[i] == '.') return false;  // a decimal fraction is not an integer
  }
  if (negative) result = 0u - result;
  if (position != nullptr) *position = i;
  if (value != nullptr) *value = static_cast<int32_t>(result);
  return true;
}

template <typename Char>
int32_t ToInt(const Char* text) {
  int32_t value = 0;
  return Parse(text, nullptr, &value) ? value : 0;
}

template <typename Char>
int ParseChecked(const Char* text, size_t* position, int32_t* value) {
  if (Parse(text, position, value)) return 1;
  if (value != nullptr) *value = 0;
  return 0;
}

}  // namespace

int32_t TextToInt(const char* text) {
  return ToInt(text);
}
int32_t WideToInt(const char16_t* text) {
  return ToInt(text);
}

int ParseInt(const char* text, size_t* position, int32_t* value) {
  return ParseChecked(text, position, value);
}

int ParseIntW(const char16_t* text, size_t* position, int32_t* value) {
  return ParseChecked(text, position, value);
}

float TextToFloat(const char* text) {
  if (text == nullptr) return 0.0f;
  const bool negative = text[0] == '-';
  if (!negative && !(text[0] >= '0' && text[0] <= '9')) return 0.0f;
  // Digits, an optional "." and more digits; the sign is applied after the conversion, and a
  // trailing "f" simply ends the collection.
  constexpr size_t kMaxCollected = 1023;
  char collected[kMaxCollected + 1] = {};
  size_t n = 0;
  size_t i = negative ? 1 : 0;
  bool integerPartNonZero = false;
  auto collectDigits = [&](bool integerPart) {
    for (; text[i] >= '0' && text[i] <= '9' && n < kMaxCollected; ++i) {
      if (integerPart && text[i] != '0') integerPartNonZero = true;
      collected[n++] = text[i];
    }
  };
  collectDigits(true);
  if (text[i] == '.' && n < kMaxCollected) {
    collected[n++] = '.';
    ++i;
    collectDigits(false);
  }
  // from_chars is the locale-independent decimal conversion, rounded straight to single
  // precision like strtof in the "C" locale.
  float value = 0.0f;
  const auto result = std::from_chars(collected, collected + n, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Without an exponent only a huge integer part overflows; anything else is an underflow.
    value = integerPartNonZero ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (result.ec != std::errc()) {
    value = 0.0f;
  }
  return negative ? -value : value;
}
