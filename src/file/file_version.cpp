#include "file/file_version.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "platform/version_resource.h"
#include "system/bounded_text.h"
#include "system/numbers.h"
#include "system/trace.h"
#include "system/wide_format.h"

namespace {

// The string values, in the order of the record's fields.
constexpr const char16_t* kStringNames[] = {
    u"Comments",     u"CompanyName",    u"FileDescription", u"FileVersion",
    u"InternalName", u"LegalCopyright", u"LegalTrademarks", u"OriginalFilename",
    u"ProductName",  u"ProductVersion", u"PrivateBuild",    u"SpecialBuild"};

char16_t* StringField(FileVersionRecord& record, size_t index) {
  char16_t* const fields[] = {
      record.Comments,     record.CompanyName,    record.FileDescription, record.FileVersion,
      record.InternalName, record.LegalCopyright, record.LegalTrademarks, record.OriginalFilename,
      record.ProductName,  record.ProductVersion, record.PrivateBuild,    record.SpecialBuild};
  return fields[index];
}

// A piece of the text is parsed from a buffer of 64 units; a longer piece is cut there.
constexpr size_t kPieceCapacity = 64;

// The number of `length` units at `text`, leading spaces skipped; 0 when it is not a number.
uint32_t ParsePiece(const char16_t* text, size_t length) {
  while (length > 0 && *text == u' ') {
    ++text;
    --length;
  }
  char16_t piece[kPieceCapacity];
  const size_t units = std::min(length, kPieceCapacity - 1);
  std::copy(text, text + units, piece);
  piece[units] = 0;
  int32_t value = 0;
  ParseIntW(piece, nullptr, &value);  // leaves 0 when the piece is not a number
  return static_cast<uint32_t>(value) & 0xFFFFu;
}

const char16_t* FindUnit(const char16_t* text, char16_t unit) {
  for (; *text != 0; ++text) {
    if (*text == unit) return text;
  }
  return nullptr;
}

}  // namespace

void ParseFileVersionText(const char16_t* text, uint32_t& versionHigh, uint32_t& versionLow) {
  uint32_t numbers[4] = {};
  const char16_t* rest = text != nullptr ? text : u"";
  size_t read = 0;
  // The separator is chosen again for every number, so "1,2,3.4" reads like "1.2.3.4".
  for (; read < 3; ++read) {
    const char16_t* separator = FindUnit(rest, u',');
    if (separator == nullptr) separator = FindUnit(rest, u'.');
    if (separator == nullptr) break;
    numbers[read] = ParsePiece(rest, static_cast<size_t>(separator - rest));
    rest = separator + 1;
  }
  if (read == 3) numbers[3] = ParsePiece(rest, WideLength(rest));
  versionHigh = (numbers[0] << 16) | numbers[1];
  versionLow = (numbers[2] << 16) | numbers[3];
}

int ReadFileVersion(const char16_t* path, FileVersionRecord& record) {
  record = FileVersionRecord{};
  try {
    std::vector<uint8_t> block;
    if (!platform::LoadVersionInfo(path, block)) return 0;
    uint32_t translation = 0;
    if (!platform::QueryVersionTranslation(block, translation)) return 1;

    char16_t prefix[32];
    FormatWide(prefix, 32, u"\\StringFileInfo\\%08x\\", static_cast<unsigned>(translation));
    std::u16string value;
    for (size_t i = 0; i < std::size(kStringNames); ++i) {
      const std::u16string subBlock = std::u16string(prefix) + kStringNames[i];
      if (platform::QueryVersionString(block, subBlock.c_str(), value)) {
        CopyWide(StringField(record, i), 256, value.c_str());
      }
    }
  } catch (const std::bad_alloc&) {
    // Whatever was copied stays; the version below still comes from it.
  }
  record.version_high = 0;
  record.version_low = 0;
  TraceW(u"version : %s", record.FileVersion);
  ParseFileVersionText(record.FileVersion, record.version_high, record.version_low);
  return 1;
}

int IsNewerVersion(const FileVersionRecord& source, const FileVersionRecord& destination) {
  if (source.version_high != destination.version_high) {
    return source.version_high > destination.version_high ? 1 : 0;
  }
  return source.version_low > destination.version_low ? 1 : 0;
}
