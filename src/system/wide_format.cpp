#include "system/wide_format.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "system/text_encoding.h"

namespace {

class WideWriter {
 public:
  WideWriter(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Put(char16_t unit) {
    if (length_ + 1 < capacity_) out_[length_++] = unit;
  }
  void PutAscii(const char* text) {
    for (; *text; ++text) Put(static_cast<unsigned char>(*text));
  }
  size_t Finish() {
    if (capacity_ > 0) out_[length_] = 0;
    return length_;
  }

 private:
  char16_t* out_;
  size_t capacity_;
  size_t length_ = 0;
};

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  std::string lengthModifier;
  char type = 0;
};

int ReadNumber(const char16_t*& p) {
  int value = 0;
  while (*p >= u'0' && *p <= u'9') {
    if (value < 100000) value = value * 10 + (*p - u'0');
    ++p;
  }
  return value;
}

// Parses the conversion after '%'; returns false for an unknown one.
bool ParseConversion(const char16_t*& p, va_list& args, Conversion& conversion) {
  while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
    conversion.flags += static_cast<char>(*p++);
  }
  if (*p == u'*') {
    ++p;
    conversion.width = va_arg(args, int);
    if (conversion.width < 0) {
      conversion.flags += '-';
      conversion.width = -conversion.width;
    }
  } else if (*p >= u'0' && *p <= u'9') {
    conversion.width = ReadNumber(p);
  }
  if (*p == u'.') {
    ++p;
    if (*p == u'*') {
      ++p;
      conversion.precision = va_arg(args, int);
    } else {
      conversion.precision = ReadNumber(p);
    }
  }
  if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
    conversion.lengthModifier = "ll";
    p += 3;
  } else {
    while (*p == u'h' || *p == u'l' || *p == u'z') conversion.lengthModifier += static_cast<char>(*p++);
  }
  if (*p == 0) return false;
  const char16_t type = *p++;
  if (type > 0x7F) return false;
  conversion.type = static_cast<char>(type);
  return true;
}

std::string NarrowDirective(const Conversion& c) {
  std::string directive = "%" + c.flags;
  if (c.width >= 0) directive += std::to_string(c.width);
  if (c.precision >= 0) directive += "." + std::to_string(c.precision);
  return directive;
}

template <typename T>
void PutNumber(WideWriter& writer, const Conversion& c, const char* lengthModifier, T value) {
  const std::string directive = NarrowDirective(c) + lengthModifier + c.type;
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, directive.c_str(), value);
  writer.PutAscii(buffer);
}

void PutPadded(WideWriter& writer, const Conversion& c, const std::u16string& text) {
  size_t length = text.size();
  if (c.precision >= 0 && static_cast<size_t>(c.precision) < length) length = c.precision;
  const bool left = c.flags.find('-') != std::string::npos;
  const size_t pad = c.width > 0 && static_cast<size_t>(c.width) > length ? c.width - length : 0;
  if (!left) for (size_t i = 0; i < pad; ++i) writer.Put(u' ');
  for (size_t i = 0; i < length; ++i) writer.Put(text[i]);
  if (left) for (size_t i = 0; i < pad; ++i) writer.Put(u' ');
}

std::u16string WidenUtf8(const char* text) {
  std::u16string wide;
  if (!text) return u"(null)";
  std::u16string buffer(std::char_traits<char>::length(text) + 1, u'\0');
  Utf8ToWide(text, buffer.data(), buffer.size());
  wide.assign(buffer.c_str());
  return wide;
}

void PutInteger(WideWriter& writer, const Conversion& c, va_list& args) {
  const bool isSigned = c.type == 'd' || c.type == 'i';
  const std::string& m = c.lengthModifier;
  if (m == "ll") {
    if (isSigned) PutNumber(writer, c, "ll", va_arg(args, long long));
    else PutNumber(writer, c, "ll", va_arg(args, unsigned long long));
  } else if (m == "l") {
    if (isSigned) PutNumber(writer, c, "l", va_arg(args, long));
    else PutNumber(writer, c, "l", va_arg(args, unsigned long));
  } else if (m == "z") {
    PutNumber(writer, c, "z", va_arg(args, size_t));
  } else {
    const int value = va_arg(args, int);
    if (m == "hh") PutNumber(writer, c, "hh", value);
    else if (m == "h") PutNumber(writer, c, "h", value);
    else if (isSigned) PutNumber(writer, c, "", value);
    else PutNumber(writer, c, "", static_cast<unsigned>(value));
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
    ++p;
    if (*p == u'%') {
      writer.Put(*p++);
      continue;
    }
    Conversion c;
    if (!ParseConversion(p, work, c)) break;
    switch (c.type) {
      case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        PutInteger(writer, c, work);
        break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        PutNumber(writer, c, "", va_arg(work, double));
        break;
      case 'p':
        PutNumber(writer, c, "", va_arg(work, void*));
        break;
      case 'c': case 'C':
        PutPadded(writer, c, std::u16string(1, static_cast<char16_t>(va_arg(work, int))));
        break;
      case 's': {
        const char16_t* text = va_arg(work, const char16_t*);
        PutPadded(writer, c, text ? std::u16string(text) : std::u16string(u"(null)"));
        break;
      }
      case 'S':
        PutPadded(writer, c, WidenUtf8(va_arg(work, const char*)));
        break;
      default:  // unknown conversion: copied as it stands
        writer.Put(u'%');
        writer.Put(static_cast<char16_t>(c.type));
        break;
    }
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
