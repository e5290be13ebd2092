// The update's files: everything below the package's "data" folder, with executables and
// libraries held back when the installed file is not older.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "file/file_version.h"

// Paths relative to "data" (and to the game folder), in the order they were met.
extern std::vector<std::u16string> UpdateFileList;
// The game folder the files go to: InstallFolder when the copy starts.
extern char16_t DestinationRoot[260];

// What the exe/dll rule saw for one file. A record is all zero when its file had no version.
struct VersionCheck {
  std::u16string relative;
  bool sourceHasVersion;
  bool destinationHasVersion;
  FileVersionRecord source;
  FileVersionRecord destination;
  bool accepted;
};
using VersionCheckObserver = std::function<void(const VersionCheck&)>;

// Makes the package's "data" folder (below the current directory) the current directory and sets
// DestinationRoot; 1 on success. Without such a folder it tells the user (box owned by `window`)
// and returns 0 with the current directory unchanged: the update must never take its files from
// another folder.
int EnterDataFolder(platform::WindowHandle window);

// Appends every file below `prefix` (relative to the current directory; empty: the current
// directory itself), depth first in the order the directory search lists them. With
// UpdateInfo.checkexeversion non-zero, an .exe or .dll file is listed only when it has a version
// and the installed file below DestinationRoot has none or an older one. `observer`, when given,
// hears of every such decision.
// Returns 1, or 0 at the first entry an update must not use, with UpdateFileRefusal saying which
// and why: a name Windows cannot hold, something that is neither file nor folder, or a link that
// leads outside the current directory or to nothing, or to a folder that holds it or from inside
// a folder reached through another link. A link that passes is followed like what it names.
int CollectUpdateFiles(const char16_t* prefix, const VersionCheckObserver& observer = {});
// The message of CollectUpdateFiles' last refusal; empty after a walk that found none.
extern std::u16string UpdateFileRefusal;

// The update's files, from the current directory ("data"): 1 on success. At an entry the update
// must not use it tells the user (box owned by `window`) and returns 0: nothing may be copied.
int ListUpdateFiles(platform::WindowHandle window, const VersionCheckObserver& observer = {});
