// Version resources read straight from the PE file: headers, section table, the resource tree
// (RT_VERSION, the ID 1, the language Windows' version service takes) and the VS_VERSIONINFO
// block, which
// the query functions walk the way VerQueryValueW does. Nothing in the file is trusted: every
// offset, size and count is checked against the file, the section and the block before use.
#include "platform/version_resource.h"

#include <algorithm>
#include <exception>

#include "platform/file_system.h"
#include "platform/little_endian.h"
#include "platform/system_folders.h"

namespace platform {

namespace {

constexpr uint32_t kResourceTypeVersion = 16;
// The version service looks for this ID only; other IDs and names are not version resources.
constexpr uint32_t kVersionResourceId = 1;
// The VS_VERSIONINFO lengths are 16-bit, so a real version resource is below 64 KiB; a data
// entry claiming more than this is not believed.
constexpr uint32_t kMaxVersionResourceSize = 1u << 20;
// The Windows loader refuses more sections than this.
constexpr uint32_t kMaxSections = 96;
constexpr uint32_t kMaxOptionalHeaderSize = 0x1000;
constexpr uint32_t kMaxResourceEntries = 0x1000;
constexpr uint32_t kHighBit = 0x80000000u;

char16_t FoldCase(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

// Keys compare without regard to case, as VerQueryValueW compares them.
bool KeyEquals(const std::vector<uint8_t>& block, size_t at, size_t units, const char16_t* key) {
  for (size_t i = 0; i < units; ++i) {
    if (key[i] == 0 || FoldCase(LoadLe16(block.data() + at + 2 * i)) != FoldCase(key[i])) {
      return false;
    }
  }
  return key[units] == 0;
}

// Reads byte ranges of one file, each checked against the file's size.
class PeFile {
 public:
  explicit PeFile(const char16_t* path)
      : handle_(OpenFile(path, kGenericRead, kShareRead, kOpenExisting, 0)) {
    if (handle_ != kInvalidFileHandle) size_ = GetFileSize(handle_);
  }
  ~PeFile() {
    if (handle_ != kInvalidFileHandle) CloseFile(handle_);
  }
  PeFile(const PeFile&) = delete;
  PeFile& operator=(const PeFile&) = delete;

  bool Read(uint64_t offset, uint32_t count, void* out) const {
    if (handle_ == kInvalidFileHandle || size_ < 0) return false;
    const uint64_t size = static_cast<uint64_t>(size_);
    if (offset > size || count > size - offset) return false;
    if (SeekFile(handle_, static_cast<int64_t>(offset)) != static_cast<int64_t>(offset)) {
      return false;
    }
    auto* bytes = static_cast<uint8_t*>(out);
    while (count > 0) {
      uint32_t done = 0;
      if (!ReadFile(handle_, bytes, count, &done) || done == 0) return false;
      bytes += done;
      count -= done;
    }
    return true;
  }

 private:
  FileHandle handle_;
  int64_t size_ = -1;
};

struct Section {
  uint32_t virtualAddress;
  uint32_t extent;  // bytes of raw data that the image maps
  uint32_t rawPointer;
};

// The image's sections and its resource directory.
struct PeLayout {
  std::vector<Section> sections;
  uint32_t resourceRva = 0;
};

bool ReadLayout(const PeFile& file, PeLayout& layout) {
  uint8_t dos[64];
  if (!file.Read(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
  const uint32_t peOffset = LoadLe32(dos + 0x3C);

  uint8_t nt[24];  // signature and file header
  if (!file.Read(peOffset, sizeof nt, nt)) return false;
  if (nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0) return false;
  const uint32_t sectionCount = LoadLe16(nt + 6);
  const uint32_t optionalSize = LoadLe16(nt + 20);
  if (sectionCount == 0 || sectionCount > kMaxSections) return false;
  if (optionalSize < 2 || optionalSize > kMaxOptionalHeaderSize) return false;

  std::vector<uint8_t> optional(optionalSize);
  const uint64_t optionalOffset = uint64_t{peOffset} + sizeof nt;
  if (!file.Read(optionalOffset, optionalSize, optional.data())) return false;
  size_t countOffset;
  switch (LoadLe16(optional.data())) {
    case 0x10B:  // PE32
      countOffset = 92;
      break;
    case 0x20B:  // PE32+
      countOffset = 108;
      break;
    default:
      return false;
  }
  const size_t directories = countOffset + 4;
  const size_t resourceEntry = directories + 2 * 8;
  if (resourceEntry + 8 > optionalSize || LoadLe32(optional.data() + countOffset) < 3) return false;
  layout.resourceRva = LoadLe32(optional.data() + resourceEntry);
  if (layout.resourceRva == 0 || LoadLe32(optional.data() + resourceEntry + 4) == 0) return false;

  std::vector<uint8_t> table(sectionCount * 40);
  if (!file.Read(optionalOffset + optionalSize, static_cast<uint32_t>(table.size()),
                 table.data())) {
    return false;
  }
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint8_t* entry = table.data() + i * 40;
    const uint32_t virtualSize = LoadLe32(entry + 8);
    const uint32_t rawSize = LoadLe32(entry + 16);
    // Raw data past the virtual size is not mapped; a virtual size of 0 (old linkers) means the
    // raw size.
    const uint32_t extent = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
    layout.sections.push_back({LoadLe32(entry + 12), extent, LoadLe32(entry + 20)});
  }
  return true;
}

// The file offset of the bytes [rva, rva + count), which must lie within one section's data.
bool MapRva(const PeLayout& layout, uint64_t rva, uint32_t count, uint64_t& offset) {
  for (const Section& section : layout.sections) {
    const uint64_t start = section.virtualAddress;
    const uint64_t end = start + section.extent;
    if (rva >= start && rva < end && count <= end - rva) {
      offset = section.rawPointer + (rva - start);
      return true;
    }
  }
  return false;
}

// Bytes at an offset from the start of the resource directory.
bool ReadResource(const PeFile& file, const PeLayout& layout, uint32_t offset, uint32_t count,
                  void* out) {
  uint64_t at = 0;
  return MapRva(layout, uint64_t{layout.resourceRva} + offset, count, at) &&
         file.Read(at, count, out);
}

// The entries of the resource directory at `offset`.
bool ReadDirectory(const PeFile& file, const PeLayout& layout, uint32_t offset,
                   std::vector<uint8_t>& entries) {
  uint8_t header[16];
  if (!ReadResource(file, layout, offset, sizeof header, header)) return false;
  const uint32_t count = uint32_t{LoadLe16(header + 12)} + LoadLe16(header + 14);
  if (count == 0 || count > kMaxResourceEntries) return false;
  entries.resize(count * 8);
  return ReadResource(file, layout, offset + 16, count * 8, entries.data());
}

// The offset of what the entry with the ID `id` leads to; false when there is none. Named
// entries come first; their name field has the high bit set, so they never match an ID.
bool FindEntry(const std::vector<uint8_t>& entries, uint32_t id, uint32_t& target) {
  for (size_t i = 0; i + 8 <= entries.size(); i += 8) {
    if (LoadLe32(entries.data() + i) == id) {
      target = LoadLe32(entries.data() + i + 4);
      return true;
    }
  }
  return false;
}

// The language entry Windows takes (as seen under Wine): the neutral language, the user's
// language, the user's language without a country, English (US), English without a country;
// failing all of them, the first entry.
uint32_t ChooseLanguage(const std::vector<uint8_t>& entries) {
  const uint32_t user = GetUserDefaultUILanguage();
  for (const uint32_t language : {0u, user, user & 0x3FFu, 0x0409u, 0x0009u}) {
    uint32_t target = 0;
    if (FindEntry(entries, language, target)) return target;
  }
  return LoadLe32(entries.data() + 4);
}

bool ReadVersionResource(const char16_t* path, std::vector<uint8_t>& block) {
  PeFile file(path);
  PeLayout layout;
  if (!ReadLayout(file, layout)) return false;

  // Type level, then name level: directories, each found by its ID.
  std::vector<uint8_t> entries;
  uint32_t offset = 0;
  for (const uint32_t id : {kResourceTypeVersion, kVersionResourceId}) {
    uint32_t target = 0;
    if (!ReadDirectory(file, layout, offset, entries) || !FindEntry(entries, id, target) ||
        (target & kHighBit) == 0) {
      return false;
    }
    offset = target & ~kHighBit;
  }
  // Language level: a data entry.
  if (!ReadDirectory(file, layout, offset, entries)) return false;
  offset = ChooseLanguage(entries);
  if ((offset & kHighBit) != 0) return false;
  uint8_t data[16];  // IMAGE_RESOURCE_DATA_ENTRY
  if (!ReadResource(file, layout, offset, sizeof data, data)) return false;
  const uint32_t rva = LoadLe32(data);
  const uint32_t size = LoadLe32(data + 4);
  if (size < 6 || size > kMaxVersionResourceSize) return false;
  uint64_t at = 0;
  if (!MapRva(layout, rva, size, at)) return false;
  block.resize(size);
  if (!file.Read(at, size, block.data())) return false;

  // The root node: its length bounds the block, and its key names it.
  const uint16_t length = LoadLe16(block.data());
  static constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
  constexpr size_t kRootKeyUnits = sizeof kRootKey / sizeof kRootKey[0];
  if (length < 6 + 2 * kRootKeyUnits || length > size) return false;
  block.resize(length);
  return KeyEquals(block, 6, kRootKeyUnits - 1, kRootKey) &&
         LoadLe16(block.data() + 6 + 2 * (kRootKeyUnits - 1)) == 0;
}

// --- The VS_VERSIONINFO walker ----------------------------------------------------------------
// A node: wLength, wValueLength, wType, the key (UTF-16, terminated), padding to 4 bytes, the
// value (wValueLength bytes, or characters when wType is 1), padding, the children. Alignment is
// counted from the block's start, as the block is 4-aligned in the file.

struct Node {
  size_t end;       // one past the node's last byte
  size_t key;       // first key unit
  size_t keyUnits;  // without the terminator
  size_t value;     // value bytes [value, valueEnd)
  size_t valueEnd;
  size_t children;  // first child, or end when there are none
};

size_t Align4(size_t offset) {
  return (offset + 3) & ~size_t{3};
}

bool ReadNode(const std::vector<uint8_t>& block, size_t begin, size_t limit, Node& node) {
  if (begin > limit || limit - begin < 8) return false;
  const uint8_t* header = block.data() + begin;
  const size_t length = LoadLe16(header);
  // Room for the header and a terminator at least, so that every step moves forward.
  if (length < 8 || length > limit - begin) return false;
  node.end = begin + length;
  node.key = begin + 6;
  size_t at = node.key;
  while (at + 2 <= node.end && LoadLe16(block.data() + at) != 0) at += 2;
  if (at + 2 > node.end) return false;
  node.keyUnits = (at - node.key) / 2;
  const size_t valueBytes = size_t{LoadLe16(header + 2)} * (LoadLe16(header + 4) == 1 ? 2 : 1);
  node.value = std::min(Align4(at + 2), node.end);
  node.valueEnd = std::min(node.value + valueBytes, node.end);
  node.children = std::min(Align4(node.value + valueBytes), node.end);
  return true;
}

// Follows a path such as "\StringFileInfo\041104b0\FileVersion" from the root node.
bool FindNode(const std::vector<uint8_t>& block, const char16_t* path, Node& node) {
  if (path == nullptr || !ReadNode(block, 0, block.size(), node)) return false;
  std::u16string part;
  for (const char16_t* p = path;; ++p) {
    if (*p != 0 && *p != u'\\') {
      part += *p;
      continue;
    }
    if (!part.empty()) {
      // Every child is at least 8 bytes long, so this ends within the parent.
      bool found = false;
      for (size_t at = node.children; at < node.end && !found;) {
        Node child;
        if (!ReadNode(block, at, node.end, child)) return false;
        found = KeyEquals(block, child.key, child.keyUnits, part.c_str());
        if (found) node = child;
        at = Align4(child.end);
      }
      if (!found) return false;
      part.clear();
    }
    if (*p == 0) return true;
  }
}

}  // namespace

bool LoadVersionInfo(const char16_t* path, std::vector<uint8_t>& block) {
  try {
    if (ReadVersionResource(path, block)) return true;
  } catch (const std::exception&) {
  }
  block.clear();
  return false;
}

bool QueryVersionTranslation(const std::vector<uint8_t>& block, uint32_t& translation) {
  try {
    Node node;
    if (!FindNode(block, u"\\VarFileInfo\\Translation", node) || node.valueEnd - node.value < 4) {
      return false;
    }
    translation = (uint32_t{LoadLe16(block.data() + node.value)} << 16) |
                  LoadLe16(block.data() + node.value + 2);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool QueryVersionString(const std::vector<uint8_t>& block, const char16_t* subBlock,
                        std::u16string& value) {
  try {
    Node node;
    if (!FindNode(block, subBlock, node)) return false;
    value.clear();
    for (size_t at = node.value; at + 2 <= node.valueEnd; at += 2) {
      const char16_t unit = LoadLe16(block.data() + at);
      if (unit == 0) break;
      value += unit;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace platform
