// What Windows makes of a path's text before any file system sees it, as GetFullPathNameW does:
// the root, then the components with "." and ".." resolved in the text (never above the root) and
// the trailing dots and spaces that Windows drops removed. Shared by the full-path call and by
// the translation to native paths, so both read a path the same way.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct PathParts {
  enum class Root {
    kDrive,     // "C:\" (also "C:name", "\\.\C:\" and "\\?\C:\")
    kNetwork,   // "\\server\share\"
    kDevice,    // "\\.\name" or "\\?\name" that is no drive
    kHost,      // "\" or "/": the root of the host's file system
    kRelative,  // below the current directory
  };
  Root root = Root::kRelative;
  // The root as written, separators made backslashes: "C:\", "\\server\share\", "\", "".
  std::u16string rootText;
  // The drive letter of a kDrive root, as written.
  char16_t drive = 0;
  // The names below the root. A relative path keeps the ".." that climb above its start: they
  // are its first `climbs` components.
  std::vector<std::u16string> components;
  size_t climbs = 0;
  // The path names a folder ("C:\games\"): a trailing separator, or a last component that was
  // nothing but dots and spaces.
  bool trailingSeparator = false;
  // "\\?\" paths are taken as written: no "." or "..", no trimmed dots or spaces.
  bool literal = false;
};

// Splits and resolves `path` (not null). Leading ".." of a relative path are kept; they are
// resolved against the current directory by whoever joins the two.
PathParts SplitFullPath(const char16_t* path);

// The parts as one Windows path: the root text, then the components joined by backslashes, then
// a backslash when the parts name a folder.
std::u16string JoinFullPath(const PathParts& parts);

}  // namespace platform
