#include "updater/zrTextLog.h"

#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "file/zrFile.h"
#include "platform/text_compare.h"
#include "system/bounded_text.h"
#include "system/text_encoding.h"
#include "system/text_search.h"

// The file is read into one zeroed buffer of its size and 8 more bytes, so that ReadLine always
// finds a terminator. A std::vector holds it rather than the library heap: the package tool and
// the tests use the log without creating the heap.
int zrTextLog::Load(const char16_t* path) {
  zrFile file;
  if (!file.Open(path, ZRFILE_READ | ZRFILE_OPEN_EXISTING)) return 0;
  const int32_t size = file.GetSize();
  if (size < 0) return 0;
  try {
    std::vector<char> bytes(static_cast<size_t>(size) + 8, 0);
    if (file.Read(bytes.data(), size) != size) return 0;
    file.Close();
    // A line is never longer than the file, so ReadLine never cuts one.
    std::vector<char> line(static_cast<size_t>(size) + 2);
    std::list<std::u16string> loaded;
    for (size_t offset = 0; bytes[offset] != 0;) {
      offset += ReadLine(bytes.data() + offset, line.data(), line.size());
      loaded.push_back(DecodeLine(line.data()));
    }
    lines_.splice(lines_.end(), loaded);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

std::u16string zrTextLog::DecodeLine(const char* bytes) const {
  char16_t wide[kLineCapacity];
  if (!shiftJis_) return std::u16string(wide, Utf8ToWide(bytes, wide, kLineCapacity));
  char utf8[kUtf8LineBytes] = {};
  SjisToUtf8(bytes, utf8, sizeof utf8);
  if (utf8[0] == 0 && bytes[0] != 0) {
    // Too long for the buffer, which SjisToUtf8 then leaves untouched: keep the whole
    // characters that fit rather than lose the line.
    std::vector<char16_t> all(std::strlen(bytes) + 1);
    SjisToWide(all.data(), all.size(), bytes);
    WideToUtf8(all.data(), utf8, sizeof utf8);
  }
  return std::u16string(wide, Utf8ToWide(utf8, wide, kLineCapacity));
}

int zrTextLog::AddLine(const char16_t* text) {
  size_t length = WideLength(text);
  if (length > kLineCapacity - 1) {
    length = kLineCapacity - 1;
    if (IsHighSurrogate(text[length - 1])) --length;  // never half of a pair
  }
  try {
    lines_.emplace_back(text ? text : u"", length);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int zrTextLog::SortUnique() {
  // std::list::sort is a stable merge sort: equal lines keep their order, so the first of each
  // group is the one that was in the list earliest.
  lines_.sort([](const std::u16string& a, const std::u16string& b) {
    return platform::CompareTextIgnoringCase(a.c_str(), b.c_str()) < 0;
  });
  lines_.unique([](const std::u16string& a, const std::u16string& b) {
    return platform::CompareTextIgnoringCase(a.c_str(), b.c_str()) == 0;
  });
  return 1;
}

std::string zrTextLog::EncodeLine(const std::u16string& line) const {
  char utf8[kLineCapacity * 3 + 1];  // a whole line: at most three bytes a unit
  WideToUtf8(line.c_str(), utf8, sizeof utf8);
  if (!shiftJis_) return std::string(utf8) + "\r\n";

  char sjis[kSjisLineBytes] = {};
  const size_t room = sizeof sjis - 2;  // CR LF follows the text in the same buffer
  Utf8ToSjis(utf8, sjis, room);
  // Utf8ToSjis leaves the buffer untouched when the text does not fit: drop characters from
  // the end until it does, rather than write an empty line.
  std::u16string cut = line;
  while (sjis[0] == 0 && !cut.empty()) {
    const bool pair =
        cut.size() >= 2 && IsLowSurrogate(cut.back()) && IsHighSurrogate(cut[cut.size() - 2]);
    cut.resize(cut.size() - (pair ? 2 : 1));
    WideToUtf8(cut.c_str(), utf8, sizeof utf8);
    Utf8ToSjis(utf8, sjis, room);
  }
  return std::string(sjis) + "\r\n";
}

int zrTextLog::Save(const char16_t* path) {
  // The whole text is made before the file is emptied, so a failure here keeps the old log.
  std::string bytes;
  try {
    for (const std::u16string& line : lines_) bytes += EncodeLine(line);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return 0;
  zrFile file;
  if (!file.Open(path, ZRFILE_WRITE | ZRFILE_CREATE_ALWAYS)) return 0;
  const int32_t count = static_cast<int32_t>(bytes.size());
  // A short write is a failed save, not a written log.
  if (count > 0 && file.Write(bytes.data(), count) != count) return 0;
  return 1;
}
