// Code-page conversion (Shift-JIS through iconv, UTF-8 here), shaped like the Windows calls: sizes
// can be queried, a result that does not fit gives 0, and input that does not convert is replaced,
// never an error.
#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case kCodePageShiftJis:
      return "CP932";
    case kCodePageUtf8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Handle() const { return handle_; }

 private:
  iconv_t handle_;
};

// Collects the converted bytes: counts all of them and stores those that fit `out`.
class Sink {
 public:
  Sink(unsigned char* out, size_t capacity) : out_(out), capacity_(out == nullptr ? 0 : capacity) {}
  void Put(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      if (total_ < capacity_) out_[total_] = bytes[i];
      ++total_;
    }
  }
  size_t Total() const { return total_; }

 private:
  unsigned char* out_;
  size_t capacity_;
  size_t total_ = 0;
};

// The UTF-8 sequence at `s`: true with its length when it is well formed; false with the bytes one
// replacement character stands for otherwise, the longest start that could still have become
// valid (at least one), as the Windows decoder counts them.
bool Utf8Sequence(const unsigned char* s, size_t left, size_t* length) {
  const unsigned char lead = s[0];
  *length = 1;
  if (lead < 0x80) return true;
  unsigned char low = 0x80, high = 0xBF;
  size_t needed;
  if (lead >= 0xC2 && lead <= 0xDF) {
    needed = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    needed = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    needed = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return false;
  }
  size_t span = 1;
  while (span < needed && span < left) {
    const unsigned char b = s[span];
    const bool ok = span == 1 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
    if (!ok) break;
    ++span;
  }
  *length = span;
  return span == needed;
}

void PutUnit(Sink& sink, uint32_t unit) {
  const unsigned char bytes[] = {static_cast<unsigned char>(unit),
                                 static_cast<unsigned char>(unit >> 8)};
  sink.Put(bytes, 2);
}

// UTF-8 is decoded and encoded here rather than by iconv: its rules are few, and every path the
// library hands to the system is converted, where opening a converter would cost more than the
// system call itself.
void DecodeUtf8(const unsigned char* s, size_t bytes, Sink& sink) {
  for (size_t i = 0, length; i < bytes; i += length) {
    if (!Utf8Sequence(s + i, bytes - i, &length)) {
      PutUnit(sink, 0xFFFD);
      continue;
    }
    uint32_t code = length == 1 ? s[i] : s[i] & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) code = (code << 6) | (s[i + k] & 0x3F);
    if (code >= 0x10000) {
      PutUnit(sink, 0xD800 + ((code - 0x10000) >> 10));
      PutUnit(sink, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      PutUnit(sink, code);
    }
  }
}

// A lone surrogate becomes U+FFFD; a pair is one character.
void EncodeUtf8(const char16_t* s, size_t units, Sink& sink) {
  for (size_t i = 0; i < units; ++i) {
    uint32_t code = s[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (s[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    unsigned char bytes[4];
    size_t count;
    if (code < 0x80) {
      bytes[0] = static_cast<unsigned char>(code);
      count = 1;
    } else if (code < 0x800) {
      bytes[0] = static_cast<unsigned char>(0xC0 | (code >> 6));
      bytes[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
      count = 2;
    } else if (code < 0x10000) {
      bytes[0] = static_cast<unsigned char>(0xE0 | (code >> 12));
      bytes[1] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
      count = 3;
    } else {
      bytes[0] = static_cast<unsigned char>(0xF0 | (code >> 18));
      bytes[1] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
      bytes[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
      count = 4;
    }
    sink.Put(bytes, count);
  }
}

// Bytes one replacement character stands for in Shift-JIS: a whole pair when the lead byte has a
// trail byte after it, otherwise the single byte.
size_t SjisInvalidSpan(const unsigned char* s, size_t left) {
  return left >= 2 && IsShiftJisLeadByte(s[0]) && IsShiftJisTrailByte(s[1]) ? 2 : 1;
}

// Runs iconv over the whole input, replacing what does not convert: `skip` tells how many input
// bytes one replacement stands for.
template <typename SkipFn>
bool Convert(const char* to, const char* from, const unsigned char* input, size_t inputBytes,
             const unsigned char* replacement, size_t replacementBytes, SkipFn skip, Sink& sink) {
  Converter converter(to, from);
  if (!converter.Valid()) return false;
  char* in = const_cast<char*>(reinterpret_cast<const char*>(input));
  size_t inLeft = inputBytes;
  unsigned char chunk[1024];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(chunk);
    size_t outLeft = sizeof chunk;
    const size_t result = iconv(converter.Handle(), &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    sink.Put(chunk, sizeof chunk - outLeft);
    if (result != static_cast<size_t>(-1)) break;
    if (error == E2BIG) continue;
    if (error != EILSEQ && error != EINVAL) return false;
    const size_t skipped = skip(reinterpret_cast<const unsigned char*>(in), inLeft);
    sink.Put(replacement, replacementBytes);
    in += skipped;
    inLeft -= skipped;
    iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  }
  return true;
}

size_t Finish(const Sink& sink, size_t capacity, bool query) {
  if (query) return sink.Total();
  return sink.Total() <= capacity ? sink.Total() : 0;
}

}  // namespace

size_t MultiByteToWide(unsigned codePage, const char* source, ptrdiff_t sourceLength, char16_t* out,
                       size_t capacity) {
  const char* name = IconvName(codePage);
  if (name == nullptr || source == nullptr || sourceLength == 0 || sourceLength < -1) return 0;
  const size_t bytes =
      sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  const bool query = out == nullptr || capacity == 0;
  Sink sink(reinterpret_cast<unsigned char*>(out), query ? 0 : capacity * 2);
  if (codePage == kCodePageUtf8) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(source), bytes, sink);
  } else {
    // U+30FB (katakana middle dot), little-endian.
    static const unsigned char kSjisReplacement[] = {0xFB, 0x30};
    if (!Convert("UTF-16LE", name, reinterpret_cast<const unsigned char*>(source), bytes,
                 kSjisReplacement, 2, SjisInvalidSpan, sink)) {
      return 0;
    }
  }
  const size_t units = sink.Total() / 2;
  if (query) return units;
  return units <= capacity ? units : 0;
}

size_t WideToMultiByte(unsigned codePage, const char16_t* source, ptrdiff_t sourceLength, char* out,
                       size_t capacity) {
  const char* name = IconvName(codePage);
  if (name == nullptr || source == nullptr || sourceLength == 0 || sourceLength < -1) return 0;
  size_t units = static_cast<size_t>(sourceLength);
  if (sourceLength == -1) {
    units = 0;
    while (source[units] != 0) ++units;
    ++units;
  }
  const bool query = out == nullptr || capacity == 0;
  Sink sink(reinterpret_cast<unsigned char*>(out), query ? 0 : capacity);
  if (codePage == kCodePageUtf8) {
    EncodeUtf8(source, units, sink);
    return Finish(sink, capacity, query);
  }
  // A unit that does not convert is a character the code page lacks; a surrogate pair is one
  // character.
  auto skipCharacter = [](const unsigned char* s, size_t left) -> size_t {
    const unsigned unit = s[0] | (s[1] << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
      const unsigned next = s[2] | (s[3] << 8);
      if (next >= 0xDC00 && next <= 0xDFFF) return 4;
    }
    return left >= 2 ? 2 : left;
  };
  static const unsigned char kSjisReplacement[] = {'?'};
  if (!Convert(name, "UTF-16LE", reinterpret_cast<const unsigned char*>(source), units * 2,
               kSjisReplacement, 1, skipCharacter, sink)) {
    return 0;
  }
  return Finish(sink, capacity, query);
}

}  // namespace platform
