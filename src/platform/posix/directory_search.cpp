// Directory search with the meaning of FindFirstFileW: wildcards matched like Windows matches
// them, "." and ".." listed, and entries in the order an NTFS folder lists them, so that runs
// over the same folder are reproducible.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"
#include "platform/posix/upper_case.h"

namespace platform {

namespace {

bool MatchFrom(const char16_t* pattern, const char16_t* name) {
  while (*pattern) {
    if (*pattern == u'*') {
      while (*pattern == u'*') ++pattern;
      if (!*pattern) return true;
      for (const char16_t* rest = name; *rest; ++rest) {
        if (MatchFrom(pattern, rest)) return true;
      }
      return false;
    }
    if (!*name) return false;
    if (*pattern != u'?' && UpperCase(*pattern) != UpperCase(*name)) return false;
    ++pattern;
    ++name;
  }
  return !*name;
}

// "*" and "?", with letters matched without regard to case; a pattern ending in ".*" also
// matches the name without an extension, so "*.*" matches every name as on Windows.
bool WildcardMatch(const std::u16string& pattern, const std::u16string& name) {
  if (MatchFrom(pattern.c_str(), name.c_str())) return true;
  const size_t size = pattern.size();
  if (size >= 2 && pattern[size - 2] == u'.' && pattern[size - 1] == u'*') {
    return MatchFrom(pattern.substr(0, size - 2).c_str(), name.c_str());
  }
  return false;
}

// The order Windows lists an NTFS folder in: "." and ".." first, then by the upper-cased name
// compared unit by unit (so "_u" follows "Z"); names equal but for case keep a fixed order.
bool ListsBefore(const std::u16string& a, const std::u16string& b) {
  auto rank = [](const std::u16string& name) { return name == u"." ? 0 : name == u".." ? 1 : 2; };
  if (rank(a) != rank(b)) return rank(a) < rank(b);
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t x = UpperCase(a[i]);
    const char16_t y = UpperCase(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

struct FoundEntry {
  std::u16string name;
  uint32_t attributes;
  uint64_t size;
};

struct FindState {
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

// A link is described by its target and marked as a link, as Windows marks a symbolic link; one
// whose target is missing is a link and nothing more.
bool Describe(const std::string& native, std::u16string name, FoundEntry* entry) {
  if (name.size() >= sizeof(FindData::name) / sizeof(char16_t)) return false;
  struct stat info;
  if (lstat(native.c_str(), &info) != 0) return false;
  entry->name = std::move(name);
  entry->size = 0;
  if (!S_ISLNK(info.st_mode)) {
    entry->attributes = AttributesOf(info);
  } else if (stat(native.c_str(), &info) != 0) {
    entry->attributes = kAttributeReparsePoint;
    return true;
  } else {
    // "Normal" only ever stands alone.
    entry->attributes = (AttributesOf(info) & ~kAttributeNormal) | kAttributeReparsePoint;
  }
  if (S_ISREG(info.st_mode)) entry->size = static_cast<uint64_t>(info.st_size);
  return true;
}

void Fill(const FoundEntry& entry, FindData* data) {
  data->attributes = entry.attributes;
  data->size = entry.size;
  std::copy(entry.name.begin(), entry.name.end(), data->name);
  data->name[entry.name.size()] = 0;
}
}  // namespace

FindHandle FindFirstFile(const char16_t* pattern, FindData* data) {
  if (!data) {
    SetLastError(kErrorInvalidParameter);
    return kInvalidFindHandle;
  }
  const std::string native = NativePath(pattern);
  if (native.empty()) return kInvalidFindHandle;
  const size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : native.substr(0, slash);
  const std::string namePattern = slash == std::string::npos ? native : native.substr(slash + 1);
  if (namePattern.empty()) {
    // "dir\": Windows finds nothing for a trailing separator.
    SetLastError(kErrorFileNotFound);
    return kInvalidFindHandle;
  }

  auto state = std::make_unique<FindState>();
  if (namePattern.find_first_of("*?") == std::string::npos) {
    FoundEntry entry;
    if (!Describe(native, Utf8ToUtf16(namePattern), &entry)) {
      SetMissingOrErrnoError(native);
      return kInvalidFindHandle;
    }
    state->entries.push_back(std::move(entry));
  } else {
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound
                                                       : ErrorFromErrno(errno));
      return kInvalidFindHandle;
    }
    const std::u16string wildcard = Utf8ToUtf16(namePattern);
    while (const dirent* item = readdir(directory)) {
      std::u16string name = Utf8ToUtf16(item->d_name);
      if (!WildcardMatch(wildcard, name)) continue;
      FoundEntry entry;
      if (Describe(folder + "/" + item->d_name, std::move(name), &entry)) {
        state->entries.push_back(std::move(entry));
      }
    }
    closedir(directory);
    if (state->entries.empty()) {
      SetLastError(kErrorFileNotFound);
      return kInvalidFindHandle;
    }
    std::sort(state->entries.begin(), state->entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return ListsBefore(a.name, b.name); });
  }
  Fill(state->entries[0], data);
  state->next = 1;
  return reinterpret_cast<FindHandle>(state.release());
}

bool FindNextFile(FindHandle handle, FindData* data) {
  if (handle == kInvalidFindHandle || handle == 0 || !data) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  auto* state = reinterpret_cast<FindState*>(handle);
  if (state->next >= state->entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  Fill(state->entries[state->next++], data);
  return true;
}

void FindClose(FindHandle handle) {
  if (handle == kInvalidFindHandle || handle == 0) return;
  delete reinterpret_cast<FindState*>(handle);
}
}  // namespace platform
