#include "system/folders.h"

#include "platform/file_system.h"
#include "platform/system_folders.h"
#include "system/bounded_text.h"
#include "system/paths.h"

namespace {

constexpr size_t kPathCapacity = 260;

bool IsDriveOnly(const char16_t* path) {
  const char16_t letter = path[0];
  return ((letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z')) &&
         path[1] == u':' && path[2] == 0;
}

}  // namespace

int GetSystemFolder(int kind, char16_t* destination, size_t capacity) {
  if (kind < 0 || kind > 11 || !destination) return 0;
  return platform::GetSystemFolder(kind, destination, capacity) ? 1 : 0;
}

int GetPathKind(const char16_t* path) {
  if (!path) return 0;
  platform::FindData data;
  const platform::FindHandle search = platform::FindFirstFile(path, &data);
  if (search == platform::kInvalidFindHandle) return 0;
  platform::FindClose(search);
  return (data.attributes & platform::kAttributeDirectory) ? 2 : 1;
}

int CreateDirectoryTree(const char16_t* path, int pathIsFile) {
  if (!path) return 0;
  // A path that does not fit the work copy is refused: cut short it would name another folder.
  if (WideLength(path) >= kPathCapacity) return 0;
  if (IsDriveOnly(path)) return 1;

  char16_t target[kPathCapacity];
  if (pathIsFile) {
    GetDirectoryPart(path, target, kPathCapacity);
  } else {
    CopyWide(target, path);
  }

  const int kind = GetPathKind(target);
  if (kind == 2) return 1;
  if (kind == 1) return 0;

  char16_t parent[kPathCapacity];
  if (GetDirectoryPart(target, parent, kPathCapacity) && !CreateDirectoryTree(parent, 0)) return 0;
  return platform::CreateDirectory(target) ? 1 : 0;
}
