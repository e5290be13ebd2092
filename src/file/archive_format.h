// The on-disk layout of our archives (docs/archive-format.md): reading and checking the header and
// member index, and writing an archive. Every check on the index is made here, once, so that a
// mounted archive can be read without further doubt about its offsets, sizes and names.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "file/zrProtect.h"
#include "platform/file_system.h"

namespace archive_format {

constexpr uint32_t kMagic = 0x5241525A;  // "ZRAR" read as a little-endian word
constexpr uint32_t kVersion = 1;
constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kFlagEnciphered = 0x1;
constexpr uint32_t kMaxHandleLimit = 1024;
constexpr uint32_t kMaxMembers = 65536;
constexpr uint32_t kMaxNameUnits = 259;   // without the terminator: a name fits 260 units
constexpr uint32_t kEntryFixedSize = 14;  // offset, size, flags, name length
// What an enciphered check block deciphers to under the right key.
constexpr char kCheckText[8] = {'z', 'r', 'k', 'e', 'y', 'o', 'k', '!'};

struct Entry {
  uint32_t offset;
  uint32_t size;
  uint32_t flags;
  std::u16string name;  // as stored, "\"-separated
};

// The member index keyed by the upper-cased name.
using Index = std::map<std::u16string, Entry>;

struct Contents {
  uint32_t handleLimit = 0;
  bool enciphered = false;
  Index index;
};

// Reads and checks the header and index of the open archive file. A key (may be null) is needed
// exactly when the archive is enciphered, and must decipher its check block. On success fills
// `contents` and, for an enciphered archive, keys `cipher`; on failure returns a one-line reason.
// The result is null on success.
const char* ReadContents(platform::FileHandle file, const void* key, uint32_t keyLength,
                         Contents& contents, zrProtect& cipher);

// Writes an archive member by member: the bytes go out as they are added, the index at the end.
// Each operation returns 1, or 0 after which the writer takes nothing more (Reason says why).
class Writer {
 public:
  Writer() = default;
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // A key (may be null, length 0) enciphers every member.
  int32_t Create(const char16_t* path, uint32_t handleLimit, const void* key, uint32_t keyLength);
  int32_t Add(const std::u16string& name, const void* bytes, uint32_t size, uint32_t flags);
  // Writes the index and header and closes the file.
  int32_t Finish();
  const char* Reason() const { return reason_; }

 private:
  int32_t Fail(const char* reason);
  bool WriteAll(const void* bytes, uint32_t size);

  platform::FileHandle file_ = platform::kInvalidFileHandle;
  uint32_t handleLimit_ = 0;
  bool enciphered_ = false;
  zrProtect cipher_;
  uint64_t end_ = kHeaderSize;
  std::vector<Entry> entries_;
  std::set<std::u16string> upperNames_;
  const char* reason_ = nullptr;
};

}  // namespace archive_format
