#include "updater/update_files.h"

#include <memory>

#include "platform/file_system.h"
#include "platform/process.h"
#include "system/bounded_text.h"
#include "system/paths.h"
#include "updater/install_target.h"
#include "updater/update_info.h"

std::vector<std::u16string> UpdateFileList;
char16_t DestinationRoot[260];

namespace {

// The current directory and the paths built from it; Windows itself stops at 260.
constexpr size_t kLongPathCapacity = 1024;

bool IsAsciiNoCase(const char16_t* text, const char16_t* lower) {
  for (; *lower; ++text, ++lower) {
    const char16_t c = *text >= u'A' && *text <= u'Z' ? *text + 0x20 : *text;
    if (c != *lower) return false;
  }
  return *text == 0;
}

bool IsExecutableName(const char16_t* name) {
  const char16_t* extension = GetExtension(name);
  return IsAsciiNoCase(extension, u"exe") || IsAsciiNoCase(extension, u"dll");
}

// The package's file must carry a version; the installed one may be missing or unversioned, and
// otherwise has to be older.
bool AcceptExecutable(const std::u16string& relative, const VersionCheckObserver& observer) {
  // Two version records are large; keep them off the recursion's stack.
  auto check = std::make_unique<VersionCheck>();
  check->relative = relative;
  check->sourceHasVersion = ReadFileVersion(relative.c_str(), check->source) != 0;
  if (!check->sourceHasVersion) {
    check->accepted = false;
  } else {
    char16_t destination[kLongPathCapacity];
    // A destination too long to name has no version to compare; the copy reports it.
    check->destinationHasVersion = JoinPath(destination, DestinationRoot, relative.c_str()) != 0 &&
                                   ReadFileVersion(destination, check->destination) != 0;
    check->accepted =
        !check->destinationHasVersion || IsNewerVersion(check->source, check->destination) != 0;
  }
  if (observer) observer(*check);
  return check->accepted;
}

}  // namespace

int EnterDataFolder(platform::WindowHandle window) {
  char16_t current[kLongPathCapacity];
  char16_t data[kLongPathCapacity];
  const bool named = platform::GetCurrentDirectory(current, kLongPathCapacity) != 0 &&
                     JoinPath(data, current, u"data") != 0;
  const uint32_t attributes =
      named ? platform::GetFileAttributes(data) : platform::kInvalidAttributes;
  const bool found = attributes != platform::kInvalidAttributes &&
                     (attributes & platform::kAttributeDirectory) != 0 &&
                     platform::SetCurrentDirectory(data);
  if (!found) {
    platform::ShowMessageBox(window, u"\"data\" folder was not found.", u"error",
                             platform::kMessageBoxOk);
    return 0;
  }
  CopyWide(DestinationRoot, InstallFolder);
  return 1;
}

// The entries come in the directory search's order: on Windows the file system's, on posix the
// layer lists a folder the way NTFS does (case-insensitively, by the upper-cased name), so a
// package gives the same list on both.
void CollectUpdateFiles(const char16_t* prefix, const VersionCheckObserver& observer) {
  std::u16string base = prefix ? prefix : u"";
  if (!base.empty() && base.back() == u'\\') base.pop_back();  // as JoinPath joins
  // Relative paths grow without a fixed bound here; a path too long for the game folder fails
  // at the copy, where the user is told, instead of vanishing from the list.
  const std::u16string pattern = base.empty() ? u"*.*" : base + u"\\*.*";
  platform::FindData entry;
  const platform::FindHandle search = platform::FindFirstFile(pattern.c_str(), &entry);
  if (search == platform::kInvalidFindHandle) return;
  do {
    const std::u16string name = entry.name;
    const std::u16string relative = base.empty() ? name : base + u'\\' + name;
    if (entry.attributes & platform::kAttributeDirectory) {
      if (name == u"." || name == u"..") continue;
      CollectUpdateFiles(relative.c_str(), observer);
      continue;
    }
    if (UpdateInfo.checkexeversion != 0 && IsExecutableName(name.c_str()) &&
        !AcceptExecutable(relative, observer)) {
      continue;
    }
    UpdateFileList.push_back(relative);
  } while (platform::FindNextFile(search, &entry));
  platform::FindClose(search);
}
