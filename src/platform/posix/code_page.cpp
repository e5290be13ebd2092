// Code-page conversion through iconv, shaped like the Windows calls: sizes can be queried, a
// result that does not fit gives 0, and input that does not convert is replaced, never an error.
#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
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

// Bytes of the longest start of a UTF-8 sequence at `s` that could still become valid (at least
// one): the part one replacement character stands for, as the Windows decoder counts it.
size_t Utf8InvalidSpan(const unsigned char* s, size_t left) {
  const unsigned char lead = s[0];
  unsigned char low = 0x80, high = 0xBF;
  size_t length;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  size_t span = 1;
  while (span < length && span < left) {
    const unsigned char b = s[span];
    const bool ok = span == 1 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
    if (!ok) break;
    ++span;
  }
  return span < length ? span : 1;
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
  const bool sjis = codePage == kCodePageShiftJis;
  // U+30FB (katakana middle dot) for Shift-JIS, U+FFFD for UTF-8, little-endian.
  static const unsigned char kSjisReplacement[] = {0xFB, 0x30};
  static const unsigned char kUtf8Replacement[] = {0xFD, 0xFF};
  const bool ok = sjis ? Convert("UTF-16LE", name, reinterpret_cast<const unsigned char*>(source),
                                 bytes, kSjisReplacement, 2, SjisInvalidSpan, sink)
                       : Convert("UTF-16LE", name, reinterpret_cast<const unsigned char*>(source),
                                 bytes, kUtf8Replacement, 2, Utf8InvalidSpan, sink);
  if (!ok) return 0;
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
  // A unit that does not convert is a lone surrogate (UTF-8) or a character the code page lacks;
  // a surrogate pair is one character.
  auto skipCharacter = [](const unsigned char* s, size_t left) -> size_t {
    const unsigned unit = s[0] | (s[1] << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
      const unsigned next = s[2] | (s[3] << 8);
      if (next >= 0xDC00 && next <= 0xDFFF) return 4;
    }
    return left >= 2 ? 2 : left;
  };
  static const unsigned char kSjisReplacement[] = {'?'};
  static const unsigned char kUtf8Replacement[] = {0xEF, 0xBF, 0xBD};
  const bool sjis = codePage == kCodePageShiftJis;
  const bool ok =
      Convert(name, "UTF-16LE", reinterpret_cast<const unsigned char*>(source), units * 2,
              sjis ? kSjisReplacement : kUtf8Replacement, sjis ? 1 : 3, skipCharacter, sink);
  if (!ok) return 0;
  return Finish(sink, capacity, query);
}

}  // namespace platform
