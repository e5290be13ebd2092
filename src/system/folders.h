// Special folders and the file-system checks built on directory search.
#pragma once

#include <cstddef>

// Folder kinds 0 to 11:
//   0 user desktop, 1 common desktop, 2 user Start menu, 3 user Programs menu, 4 common Programs
//   menu, 5 user documents, 6 temporary folder (ends in a separator), 7 Windows folder, 8 common
//   application data, 9 user roaming application data, 10 program files, 11 user pictures.
// 1 on success with the path in `destination`, else 0 (any other kind gives 0 at once).
int GetSystemFolder(int kind, char16_t* destination, size_t capacity = 260);

// 0 when nothing of that name exists (or null), 1 for a file, 2 for a directory.
int GetPathKind(const char16_t* path);

// Creates the directory and every missing parent; with pathIsFile the last component is a file
// name and only its directory is created. 1 on success, 0 at the first failure.
int CreateDirectoryTree(const char16_t* path, int pathIsFile);
