#include "system/wide_format.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

#include "system/text_encoding.h"

namespace {

// Width and precision digits stop counting here, the largest a '*' argument can give.
constexpr size_t kCountLimit = INT_MAX;
// The decimal expansion of every binary floating value we build for (long double included) ends
// within this many digits; a larger precision only adds zeros, which the capacity cuts anyway.
constexpr size_t kExactFloatDigits = 16500;

class WideWriter {
 public:
  WideWriter(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

  size_t Capacity() const { return capacity_; }
  void Put(char16_t unit) {
    if (length_ + 1 < capacity_) out_[length_++] = unit;
  }
  // Both stop at the capacity, so a huge width or text costs no more than the room left.
  void PutRepeated(char16_t unit, size_t count) {
    for (count = std::min(count, Room()); count > 0; --count) out_[length_++] = unit;
  }
  void PutText(std::u16string_view text) {
    for (char16_t unit : text.substr(0, Room())) out_[length_++] = unit;
  }
  size_t Finish() {
    if (capacity_ > 0) out_[length_] = 0;
    return length_;
  }

 private:
  size_t Room() const { return length_ + 1 < capacity_ ? capacity_ - length_ - 1 : 0; }

  char16_t* out_;
  size_t capacity_;
  size_t length_ = 0;
};

enum class Length {
  kNone,
  kChar,
  kShort,
  kLong,
  kLongLong,
  kWide,
  kPointer,
  kInt32,
  kInt64,
  kSize,
  kMax,
  kPtrdiff,
  kLongDouble,
};

struct LengthSpelling {
  std::u16string_view text;
  Length length;
};

// Longer spellings ahead of their prefixes.
constexpr LengthSpelling kLengthSpellings[] = {
    {u"hh", Length::kChar},   {u"h", Length::kShort},   {u"ll", Length::kLongLong},
    {u"l", Length::kLong},    {u"w", Length::kWide},    {u"I32", Length::kInt32},
    {u"I64", Length::kInt64}, {u"I", Length::kPointer}, {u"z", Length::kSize},
    {u"j", Length::kMax},     {u"t", Length::kPtrdiff}, {u"L", Length::kLongDouble},
};

// What a directive takes and prints; an unknown one prints itself and takes nothing.
enum class Kind {
  kUnknown,
  kSigned,
  kUnsigned,
  kPointer,
  kFloat,
  kWideChar,
  kNarrowChar,
  kWideString,
  kNarrowString,
};

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  bool widthArgument = false;  // '*'
  size_t width = 0;
  bool precisionArgument = false;  // ".*"
  bool hasPrecision = false;
  size_t precision = 0;
  Length length = Length::kNone;
  char16_t type = 0;  // 0 when the format ends inside the directive
};

bool ReadFlag(char16_t unit, Directive& d) {
  switch (unit) {
    case u'-':
      d.left = true;
      return true;
    case u'+':
      d.plus = true;
      return true;
    case u' ':
      d.space = true;
      return true;
    case u'#':
      d.alternate = true;
      return true;
    case u'0':
      d.zero = true;
      return true;
    default:
      return false;
  }
}

size_t ReadCount(const char16_t*& p) {
  unsigned long long value = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    value = std::min<unsigned long long>(value * 10 + (*p - u'0'), kCountLimit);
  }
  return static_cast<size_t>(value);
}

// Compares unit by unit, so nothing past a terminator in `p` is read.
bool StartsWith(const char16_t* p, std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && p[i] == text[i]) ++i;
  return i == text.size();
}

Length ReadLength(const char16_t*& p) {
  for (const LengthSpelling& spelling : kLengthSpellings) {
    if (StartsWith(p, spelling.text)) {
      p += spelling.text.size();
      return spelling.length;
    }
  }
  return Length::kNone;
}

// Reads the directive after '%' without taking any argument; returns where it ends.
const char16_t* ParseDirective(const char16_t* p, Directive& d) {
  while (ReadFlag(*p, d)) ++p;
  if (*p == u'*') {
    d.widthArgument = true;
    ++p;
  } else {
    d.width = ReadCount(p);
  }
  if (*p == u'.') {
    ++p;
    d.hasPrecision = true;
    if (*p == u'*') {
      d.precisionArgument = true;
      ++p;
    } else {
      d.precision = ReadCount(p);
    }
  }
  d.length = ReadLength(p);
  if (*p) d.type = *p++;
  return p;
}

// In a wide format the lowercase character and string types are wide and the uppercase ones
// narrow; 'h' makes either narrow, 'l' and 'w' wide.
Kind ClassifyText(const Directive& d) {
  bool wide;
  switch (d.length) {
    case Length::kNone:
      wide = d.type == u'c' || d.type == u's';
      break;
    case Length::kShort:
      wide = false;
      break;
    case Length::kLong:
    case Length::kWide:
      wide = true;
      break;
    default:
      return Kind::kUnknown;
  }
  if (d.type == u'c' || d.type == u'C') return wide ? Kind::kWideChar : Kind::kNarrowChar;
  return wide ? Kind::kWideString : Kind::kNarrowString;
}

Kind Classify(const Directive& d) {
  const bool integerLength = d.length != Length::kWide && d.length != Length::kLongDouble;
  switch (d.type) {
    case u'd':
    case u'i':
      return integerLength ? Kind::kSigned : Kind::kUnknown;
    case u'u':
    case u'o':
    case u'x':
    case u'X':
      return integerLength ? Kind::kUnsigned : Kind::kUnknown;
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
    case u'a':
    case u'A': {
      const bool floatLength =
          d.length == Length::kNone || d.length == Length::kLong || d.length == Length::kLongDouble;
      return floatLength ? Kind::kFloat : Kind::kUnknown;
    }
    case u'p':
      return d.length == Length::kNone ? Kind::kPointer : Kind::kUnknown;
    case u'c':
    case u'C':
    case u's':
    case u'S':
      return ClassifyText(d);
    default:  // '%n' among them: it would write through its argument
      return Kind::kUnknown;
  }
}

void TakeWidthAndPrecision(Directive& d, va_list& args) {
  if (d.widthArgument) {
    const int width = va_arg(args, int);
    // A negative width left-justifies; its magnitude is taken unsigned so that INT_MIN fits.
    if (width < 0) d.left = true;
    d.width = width < 0 ? 0u - static_cast<unsigned>(width) : static_cast<unsigned>(width);
  }
  if (d.precisionArgument) {
    const int precision = va_arg(args, int);
    d.hasPrecision = precision >= 0;  // a negative one counts as none
    d.precision = d.hasPrecision ? static_cast<size_t>(precision) : 0;
  }
}

struct Integer {
  unsigned long long magnitude;
  bool negative;
};

static_assert(sizeof(intmax_t) <= sizeof(long long), "%j values are read as long long");

// The argument of an integer directive, by its length, with the sign taken apart.
template <bool kSigned>
Integer TakeInteger(Length length, va_list& args) {
  using Int = std::conditional_t<kSigned, int, unsigned>;
  using Char = std::conditional_t<kSigned, signed char, unsigned char>;
  using Short = std::conditional_t<kSigned, short, unsigned short>;
  using Long = std::conditional_t<kSigned, long, unsigned long>;
  using LongLong = std::conditional_t<kSigned, long long, unsigned long long>;
  using Size = std::conditional_t<kSigned, ptrdiff_t, size_t>;
  using Max = std::conditional_t<kSigned, intmax_t, uintmax_t>;
  LongLong value;
  switch (length) {
    case Length::kChar:
      value = static_cast<Char>(va_arg(args, Int));
      break;
    case Length::kShort:
      value = static_cast<Short>(va_arg(args, Int));
      break;
    case Length::kLong:
      value = va_arg(args, Long);
      break;
    case Length::kLongLong:
    case Length::kInt64:
      value = va_arg(args, LongLong);
      break;
    case Length::kPointer:
    case Length::kSize:
    case Length::kPtrdiff:
      value = va_arg(args, Size);
      break;
    case Length::kMax:
      value = va_arg(args, Max);
      break;
    default:
      value = va_arg(args, Int);
      break;  // none, I32
  }
  const auto bits = static_cast<unsigned long long>(value);
  if constexpr (kSigned) {
    if (value < 0) return {0 - bits, true};
  }
  return {bits, false};
}

std::u16string WidenAscii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string WidenUtf8(const char* text) {
  if (!text) return u"(null)";
  std::u16string buffer(std::char_traits<char>::length(text) + 1, u'\0');
  buffer.resize(Utf8ToWide(text, buffer.data(), buffer.size()));
  return buffer;
}

// Lays out the prefix (sign, radix mark), the zeros a precision asks for and the body within the
// width: spaces ahead, zeros after the prefix when zero-padding, or spaces behind when left-
// justified.
void PutField(WideWriter& writer, const Directive& d, bool zeroPad, std::u16string_view prefix,
              size_t zeros, std::u16string_view body) {
  const size_t length = prefix.size() + zeros + body.size();
  const size_t pad = d.width > length ? d.width - length : 0;
  const bool padWithZeros = zeroPad && !d.left;
  if (!d.left && !padWithZeros) writer.PutRepeated(u' ', pad);
  writer.PutText(prefix);
  writer.PutRepeated(u'0', (padWithZeros ? pad : 0) + zeros);
  writer.PutText(body);
  if (d.left) writer.PutRepeated(u' ', pad);
}

std::u16string Digits(unsigned long long value, char16_t type) {
  const unsigned base = type == u'o' ? 8 : type == u'x' || type == u'X' ? 16 : 10;
  const char16_t* symbols = type == u'X' ? u"0123456789ABCDEF" : u"0123456789abcdef";
  std::u16string digits;
  do {
    digits.insert(digits.begin(), symbols[value % base]);
    value /= base;
  } while (value != 0);
  return digits;
}

void PutInteger(WideWriter& writer, const Directive& d, bool isSigned, Integer value) {
  std::u16string prefix;
  if (value.negative) {
    prefix = u"-";
  } else if (isSigned && (d.plus || d.space)) {
    prefix = d.plus ? u"+" : u" ";
  }
  const bool hex = d.type == u'x' || d.type == u'X';
  if (d.alternate && hex && value.magnitude != 0) prefix += d.type == u'x' ? u"0x" : u"0X";
  const bool noDigit = d.hasPrecision && d.precision == 0 && value.magnitude == 0;
  const std::u16string digits = noDigit ? u"" : Digits(value.magnitude, d.type);
  size_t zeros = d.precision > digits.size() ? d.precision - digits.size() : 0;
  if (d.alternate && d.type == u'o' && zeros == 0 && digits != u"0") zeros = 1;
  PutField(writer, d, d.zero && !d.hasPrecision, prefix, zeros, digits);
}

void PutPointer(WideWriter& writer, Directive d, const void* pointer) {
  // As the Windows runtime shows it: every hexadecimal digit of the address, in capitals.
  d.type = u'X';
  if (!d.hasPrecision) {
    d.hasPrecision = true;
    d.precision = 2 * sizeof pointer;
  }
  PutInteger(writer, d, false, {reinterpret_cast<uintptr_t>(pointer), false});
}

template <typename T>
std::string PrintFloat(const std::string& format, T value) {
  const int length = std::snprintf(nullptr, 0, format.c_str(), value);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format.c_str(), value);
  text.resize(static_cast<size_t>(length));
  return text;
}

template <typename T>
void PutFloat(WideWriter& writer, const Directive& d, T value) {
  std::string format = "%";
  if (d.plus) format += '+';
  if (d.space) format += ' ';
  if (d.alternate) format += '#';
  if (d.hasPrecision) {
    const size_t bound = std::max(kExactFloatDigits, writer.Capacity());
    format += '.' + std::to_string(std::min(d.precision, bound));
  }
  if (std::is_same<T, long double>::value) format += 'L';
  format += static_cast<char>(d.type);
  const std::string text = PrintFloat(format, value);
  // The sign and the hexadecimal mark stay ahead of zero padding.
  size_t split = !text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
  if (text.compare(split, 2, "0x") == 0 || text.compare(split, 2, "0X") == 0) split += 2;
  PutField(writer, d, d.zero && std::isfinite(value), WidenAscii(text.substr(0, split)), 0,
           WidenAscii(text.substr(split)));
}

void PutString(WideWriter& writer, const Directive& d, std::u16string_view text) {
  if (d.hasPrecision) text = text.substr(0, d.precision);
  PutField(writer, d, false, u"", 0, text);
}

void PutWideString(WideWriter& writer, const Directive& d, const char16_t* text) {
  if (!text) text = u"(null)";
  // Nothing past the precision is read: the text need not be terminated within it.
  size_t length = 0;
  while ((!d.hasPrecision || length < d.precision) && text[length] != 0) ++length;
  PutString(writer, d, {text, length});
}

void PutCharacter(WideWriter& writer, const Directive& d, char16_t unit) {
  PutField(writer, d, false, u"", 0, {&unit, 1});
}

void PutConversion(WideWriter& writer, Directive d, Kind kind, va_list& args) {
  TakeWidthAndPrecision(d, args);
  switch (kind) {
    case Kind::kSigned:
      PutInteger(writer, d, true, TakeInteger<true>(d.length, args));
      break;
    case Kind::kUnsigned:
      PutInteger(writer, d, false, TakeInteger<false>(d.length, args));
      break;
    case Kind::kPointer:
      PutPointer(writer, d, va_arg(args, const void*));
      break;
    case Kind::kFloat:
      if (d.length == Length::kLongDouble) {
        PutFloat(writer, d, va_arg(args, long double));
      } else {
        PutFloat(writer, d, va_arg(args, double));
      }
      break;
    case Kind::kWideChar:
      PutCharacter(writer, d, static_cast<char16_t>(va_arg(args, int)));
      break;
    case Kind::kNarrowChar: {
      // A byte beyond ASCII is never a whole UTF-8 character on its own.
      const auto byte = static_cast<unsigned char>(va_arg(args, int));
      PutCharacter(writer, d, static_cast<char16_t>(byte < 0x80 ? byte : 0xFFFD));
      break;
    }
    case Kind::kWideString:
      PutWideString(writer, d, va_arg(args, const char16_t*));
      break;
    case Kind::kNarrowString:
      PutString(writer, d, WidenUtf8(va_arg(args, const char*)));
      break;
    case Kind::kUnknown:
      break;
  }
}

}  // namespace

size_t FormatWideV(char16_t* out, size_t capacity, const char16_t* format, va_list args) {
  WideWriter writer(out, capacity);
  if (!format) return writer.Finish();
  va_list work;
  va_copy(work, args);
  for (const char16_t* p = format; *p;) {
    if (*p != u'%') {
      writer.Put(*p++);
      continue;
    }
    if (p[1] == u'%') {
      writer.Put(u'%');
      p += 2;
      continue;
    }
    // The whole directive is read before any argument is taken, so an unknown one takes none.
    Directive d;
    const char16_t* end = ParseDirective(p + 1, d);
    const Kind kind = Classify(d);
    if (kind == Kind::kUnknown) {
      writer.PutText({p, static_cast<size_t>(end - p)});
    } else {
      PutConversion(writer, d, kind, work);
    }
    p = end;
  }
  va_end(work);
  return writer.Finish();
}

size_t FormatWide(char16_t* out, size_t capacity, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  const size_t length = FormatWideV(out, capacity, format, args);
  va_end(args);
  return length;
}
