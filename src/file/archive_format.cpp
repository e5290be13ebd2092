#include "file/archive_format.h"

#include <cstring>

#include "platform/little_endian.h"
#include "system/text_case.h"

namespace archive_format {

namespace {

bool ReadAt(platform::FileHandle file, uint64_t offset, void* buffer, uint32_t count) {
  if (platform::SeekFile(file, static_cast<int64_t>(offset)) != static_cast<int64_t>(offset)) {
    return false;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    uint32_t done = 0;
    if (!platform::ReadFile(file, out, count, &done) || done == 0) return false;
    out += done;
    count -= done;
  }
  return true;
}

// Archives stay below 2 GiB: every offset and size is a signed 32-bit value once mounted.
constexpr uint64_t kMaxArchiveSize = 0x7FFFFFFF;

// The upper-cased form the index is keyed by; empty when the name is not a valid member name.
std::u16string IndexKey(const std::u16string& name) {
  if (name.empty() || name.size() > kMaxNameUnits || name.find(u'\0') != std::u16string::npos) {
    return std::u16string();
  }
  char16_t upper[kMaxNameUnits + 1];
  std::memcpy(upper, name.data(), name.size() * sizeof(char16_t));
  upper[name.size()] = 0;
  ToUpperW(upper);
  return std::u16string(upper, name.size());
}

// One entry at `at` of the index bytes; advances `at`. Null on success.
const char* ParseEntry(const std::vector<uint8_t>& bytes, size_t& at, uint64_t fileSize,
                       Index& index) {
  if (bytes.size() - at < kEntryFixedSize) return "the member index is cut short";
  const uint8_t* p = bytes.data() + at;
  Entry entry{LoadLe32(p), LoadLe32(p + 4), LoadLe32(p + 8), std::u16string()};
  const uint32_t units = LoadLe16(p + 12);
  at += kEntryFixedSize;
  if (units == 0 || units > kMaxNameUnits) return "a member name has a bad length";
  if ((bytes.size() - at) / 2 < units + 1) return "the member index is cut short";
  for (uint32_t i = 0; i < units; ++i) entry.name.push_back(LoadLe16(bytes.data() + at + 2 * i));
  const uint16_t terminator = LoadLe16(bytes.data() + at + 2 * units);
  at += 2 * (units + 1);
  if (terminator != 0) return "a member name is not terminated";
  if (entry.offset < kHeaderSize || uint64_t{entry.offset} + entry.size > fileSize) {
    return "a member lies outside the archive";
  }
  const std::u16string key = IndexKey(entry.name);
  if (key.empty()) return "a member name holds a null character";
  if (!index.emplace(key, std::move(entry)).second) return "two members have the same name";
  return nullptr;
}

const char* CheckKey(const uint8_t* checkBlock, bool enciphered, const void* key,
                     uint32_t keyLength, zrProtect& cipher) {
  const bool keyGiven = key && keyLength > 0;
  if (!enciphered) return keyGiven ? "the archive is not enciphered" : nullptr;
  if (!keyGiven) return "the archive is enciphered: a key is needed";
  cipher.SetKey(key, keyLength);
  uint8_t block[8];
  cipher.Decrypt(block, checkBlock, 8);
  return std::memcmp(block, kCheckText, 8) == 0 ? nullptr : "wrong key";
}

}  // namespace

const char* ReadContents(platform::FileHandle file, const void* key, uint32_t keyLength,
                         Contents& contents, zrProtect& cipher) {
  const int64_t fileSize = platform::GetFileSize(file);
  if (fileSize < static_cast<int64_t>(kHeaderSize)) return "not an archive (too short)";
  if (static_cast<uint64_t>(fileSize) > kMaxArchiveSize) return "the archive is too large";
  uint8_t header[kHeaderSize];
  if (!ReadAt(file, 0, header, kHeaderSize)) return "the archive cannot be read";
  if (LoadLe32(header) != kMagic) return "not an archive (bad magic)";
  if (LoadLe32(header + 4) != kVersion) return "unknown archive version";
  const uint32_t handleLimit = LoadLe32(header + 8);
  const uint32_t flags = LoadLe32(header + 12);
  const uint32_t count = LoadLe32(header + 16);
  const uint32_t indexOffset = LoadLe32(header + 20);
  const uint32_t indexSize = LoadLe32(header + 24);
  if (handleLimit == 0 || handleLimit > kMaxHandleLimit) return "bad handle limit";
  if ((flags & ~kFlagEnciphered) != 0 || LoadLe32(header + 28) != 0) return "unknown header flags";
  if (count > kMaxMembers) return "too many members";
  if (indexOffset < kHeaderSize || uint64_t{indexOffset} + indexSize > uint64_t(fileSize)) {
    return "the member index lies outside the archive";
  }
  const bool enciphered = (flags & kFlagEnciphered) != 0;
  if (const char* reason = CheckKey(header + 32, enciphered, key, keyLength, cipher)) {
    return reason;
  }

  std::vector<uint8_t> bytes(indexSize);
  if (!ReadAt(file, indexOffset, bytes.data(), indexSize)) return "the archive cannot be read";
  Index index;
  size_t at = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (const char* reason = ParseEntry(bytes, at, uint64_t(fileSize), index)) return reason;
  }
  if (at != bytes.size()) return "the member index has trailing bytes";

  contents.handleLimit = handleLimit;
  contents.enciphered = enciphered;
  contents.index = std::move(index);
  return nullptr;
}

Writer::~Writer() {
  if (file_ != platform::kInvalidFileHandle) platform::CloseFile(file_);
}

int32_t Writer::Fail(const char* reason) {
  reason_ = reason;
  if (file_ != platform::kInvalidFileHandle) platform::CloseFile(file_);
  file_ = platform::kInvalidFileHandle;
  return 0;
}

bool Writer::WriteAll(const void* bytes, uint32_t size) {
  uint32_t done = 0;
  return platform::WriteFile(file_, bytes, size, &done) && done == size;
}

int32_t Writer::Create(const char16_t* path, uint32_t handleLimit, const void* key,
                       uint32_t keyLength) {
  if (reason_ || file_ != platform::kInvalidFileHandle) return Fail("the writer is in use");
  if (handleLimit == 0 || handleLimit > kMaxHandleLimit) return Fail("bad handle limit");
  file_ = platform::OpenFile(path, platform::kGenericWrite, platform::kShareNone,
                             platform::kCreateAlways, platform::kAttributeNormal);
  if (file_ == platform::kInvalidFileHandle) return Fail("the archive cannot be created");
  handleLimit_ = handleLimit;
  enciphered_ = key && keyLength > 0;
  if (enciphered_) cipher_.SetKey(key, keyLength);
  // The header is written last, once the index's place is known.
  const uint8_t placeholder[kHeaderSize] = {};
  return WriteAll(placeholder, kHeaderSize) ? 1 : Fail("the archive cannot be written");
}

int32_t Writer::Add(const std::u16string& name, const void* bytes, uint32_t size, uint32_t flags) {
  if (file_ == platform::kInvalidFileHandle) return 0;
  const std::u16string key = IndexKey(name);
  if (key.empty()) return Fail("a member name is empty, too long or holds a null character");
  if (!upperNames_.insert(key).second) return Fail("two members have the same name");
  if (entries_.size() >= kMaxMembers) return Fail("too many members");
  if (end_ + size > kMaxArchiveSize) return Fail("the archive would reach 2 GiB");
  bool written;
  if (enciphered_) {
    // Whole 8-byte blocks from the member's start are enciphered; a final part under 8 stays.
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(bytes),
                              static_cast<const uint8_t*>(bytes) + size);
    const uint32_t whole = size & ~7u;
    if (whole > 0) cipher_.Encrypt(copy.data(), copy.data(), whole);
    written = WriteAll(copy.data(), size);
  } else {
    written = size == 0 || WriteAll(bytes, size);
  }
  if (!written) return Fail("the archive cannot be written");
  entries_.push_back(Entry{static_cast<uint32_t>(end_), size, flags, name});
  end_ += size;
  return 1;
}

int32_t Writer::Finish() {
  if (file_ == platform::kInvalidFileHandle) return 0;
  std::vector<uint8_t> index;
  for (const Entry& entry : entries_) {
    AppendLe32(index, entry.offset);
    AppendLe32(index, entry.size);
    AppendLe32(index, entry.flags);
    AppendLe16(index, static_cast<uint16_t>(entry.name.size()));
    for (char16_t unit : entry.name) AppendLe16(index, unit);
    AppendLe16(index, 0);
  }
  if (end_ + index.size() > kMaxArchiveSize) return Fail("the archive would reach 2 GiB");
  if (!index.empty() && !WriteAll(index.data(), static_cast<uint32_t>(index.size()))) {
    return Fail("the archive cannot be written");
  }

  std::vector<uint8_t> header;
  AppendLe32(header, kMagic);
  AppendLe32(header, kVersion);
  AppendLe32(header, handleLimit_);
  AppendLe32(header, enciphered_ ? kFlagEnciphered : 0);
  AppendLe32(header, static_cast<uint32_t>(entries_.size()));
  AppendLe32(header, static_cast<uint32_t>(end_));
  AppendLe32(header, static_cast<uint32_t>(index.size()));
  AppendLe32(header, 0);
  uint8_t check[8] = {};
  if (enciphered_) cipher_.Encrypt(check, kCheckText, 8);
  header.insert(header.end(), check, check + 8);
  if (platform::SeekFile(file_, 0) != 0 || !WriteAll(header.data(), kHeaderSize)) {
    return Fail("the archive cannot be written");
  }
  const bool closed = platform::CloseFile(file_);
  file_ = platform::kInvalidFileHandle;
  return closed ? 1 : Fail("the archive cannot be written");
}

}  // namespace archive_format
