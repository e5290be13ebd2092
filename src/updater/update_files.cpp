#include "updater/update_files.h"

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/process.h"
#include "system/bounded_text.h"
#include "system/paths.h"
#include "updater/install_target.h"
#include "updater/update_info.h"

std::vector<std::u16string> UpdateFileList;
char16_t DestinationRoot[260];
std::u16string UpdateFileRefusal;

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

// An .exe or .dll, by the extension of the last name in `path`, in any case.
bool IsExecutableName(const char16_t* path) {
  const char16_t* extension = GetExtension(path);
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

// Lists one file, unless the exe/dll rule holds it back.
void AddFile(const std::u16string& relative, const VersionCheckObserver& observer) {
  if (UpdateInfo.checkexeversion != 0 && IsExecutableName(relative.c_str()) &&
      !AcceptExecutable(relative, observer)) {
    return;
  }
  UpdateFileList.push_back(relative);
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

namespace {

// Why an entry below "data" cannot be part of an update.
constexpr char16_t kLinkOutside[] = u"it is a link that leads outside the \"data\" folder";
constexpr char16_t kLinkToNothing[] = u"it is a link whose target does not exist";
constexpr char16_t kLinkLoop[] = u"it is a link to a folder that holds it";
constexpr char16_t kLinkInLinkedFolder[] = u"it is a link to a folder inside a linked folder";
constexpr char16_t kNoFile[] = u"it is neither a file nor a folder";
constexpr char16_t kNoWindowsName[] = u"its name cannot be used on Windows";

// The names Windows gives to devices, which no file can have: "nul.txt" is the device too.
bool IsDeviceName(const std::u16string& name) {
  std::u16string stem = name.substr(0, name.find(u'.'));
  for (char16_t& c : stem) c = c >= u'a' && c <= u'z' ? c - 0x20 : c;
  for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
    if (stem == device) return true;
  }
  const bool numbered = stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9';
  return numbered && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0);
}

// A name a Windows folder can hold and that names the same file there. Other systems allow
// more (a backslash in a name would even turn it into a path that climbs out of the game).
bool IsWindowsName(const std::u16string& name) {
  for (char16_t c : name) {
    if (c < 0x20 || std::char_traits<char16_t>::find(u"<>:\"/\\|?*", 9, c)) return false;
  }
  return !name.empty() && name.back() != u'.' && name.back() != u' ' && !IsDeviceName(name);
}

// `path` is `folder` or lies inside it; both are final paths.
bool IsWithin(const std::u16string& path, const std::u16string& folder) {
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == u'\\' || folder.back() == u'\\');
}

std::u16string FinalPath(const std::u16string& path) {
  char16_t final[kLongPathCapacity];
  const size_t length =
      platform::GetFinalPath(path.empty() ? u"." : path.c_str(), final, kLongPathCapacity);
  return std::u16string(final, length);
}

// One walk over the package: the folder it started in, and what hears the version rule.
struct Walk {
  std::u16string dataFolder;  // final path
  const VersionCheckObserver& observer;
};

bool Refuse(const std::u16string& relative, const char16_t* reason) {
  UpdateFileRefusal = u"The update cannot use \"data\\" + relative + u"\": " + reason + u".";
  return false;
}

bool CollectFolder(const Walk& walk, const std::u16string& base, bool throughLink);

// A link is followed when what it names lies inside the package's "data" folder, so nothing from
// outside the package is copied. A link to a folder must not lead to a folder that holds it (a
// loop), nor be met inside a folder reached through another link: chains of folder links could
// otherwise multiply the list without end.
bool CollectLink(const Walk& walk, const std::u16string& base, const std::u16string& relative,
                 bool throughLink, bool folder) {
  const std::u16string target = FinalPath(relative);
  if (target.empty()) return Refuse(relative, kLinkToNothing);
  if (!IsWithin(target, walk.dataFolder)) return Refuse(relative, kLinkOutside);
  if (!folder) {
    AddFile(relative, walk.observer);
    return true;
  }
  if (IsWithin(FinalPath(base), target)) return Refuse(relative, kLinkLoop);
  if (throughLink) return Refuse(relative, kLinkInLinkedFolder);
  return CollectFolder(walk, relative, true);
}

// The entries come in the directory search's order: on Windows the file system's, on posix the
// layer lists a folder the way NTFS does (case-insensitively, by the upper-cased name), so a
// package gives the same list on both.
bool CollectFolder(const Walk& walk, const std::u16string& base, bool throughLink) {
  // Relative paths grow without a fixed bound here; a path too long for the game folder fails
  // at the copy, where the user is told, instead of vanishing from the list.
  const std::u16string pattern = base.empty() ? u"*.*" : base + u"\\*.*";
  platform::FindData entry;
  const platform::FindHandle search = platform::FindFirstFile(pattern.c_str(), &entry);
  if (search == platform::kInvalidFindHandle) return true;
  bool usable = true;
  do {
    const std::u16string name = entry.name;
    const bool folder = (entry.attributes & platform::kAttributeDirectory) != 0;
    if (folder && (name == u"." || name == u"..")) continue;
    const std::u16string relative = base.empty() ? name : base + u'\\' + name;
    if (!IsWindowsName(name)) {
      usable = Refuse(relative, kNoWindowsName);
    } else if (entry.attributes & platform::kAttributeDevice) {
      usable = Refuse(relative, kNoFile);
    } else if (entry.attributes & platform::kAttributeReparsePoint) {
      usable = CollectLink(walk, base, relative, throughLink, folder);
    } else if (folder) {
      usable = CollectFolder(walk, relative, throughLink);
    } else {
      AddFile(relative, walk.observer);
    }
  } while (usable && platform::FindNextFile(search, &entry));
  platform::FindClose(search);
  return usable;
}

}  // namespace

int CollectUpdateFiles(const char16_t* prefix, const VersionCheckObserver& observer) {
  UpdateFileRefusal.clear();
  std::u16string base = prefix ? prefix : u"";
  if (!base.empty() && base.back() == u'\\') base.pop_back();  // as JoinPath joins
  const Walk walk{FinalPath(u""), observer};
  return CollectFolder(walk, base, false) ? 1 : 0;
}

int ListUpdateFiles(platform::WindowHandle window, const VersionCheckObserver& observer) {
  if (CollectUpdateFiles(u"", observer)) return 1;
  platform::ShowMessageBox(window, UpdateFileRefusal.c_str(), u"error", platform::kMessageBoxOk);
  return 0;
}
