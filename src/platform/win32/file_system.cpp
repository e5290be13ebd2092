#include <windows.h>
// The platform names below are also Windows' UNICODE macros.
#undef CreateDirectory
#undef DeleteFile
#undef FindFirstFile
#undef FindNextFile
#undef GetFileAttributes
#undef SetFileAttributes
#undef ReplaceFile

#include <cwchar>

#include "platform/file_system.h"

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

const wchar_t* W(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
HANDLE ToHandle(FileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

void Fill(const WIN32_FIND_DATAW& found, FindData* data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  static_assert(sizeof(data->name) == sizeof(found.cFileName), "same name field");
  for (size_t i = 0; i < MAX_PATH; ++i) data->name[i] = found.cFileName[i];
  data->name[MAX_PATH - 1] = 0;
}

}  // namespace

uint32_t LastError() {
  return ::GetLastError();
}

FileHandle OpenFile(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t attributes) {
  HANDLE handle = ::CreateFileW(W(path), access, share, nullptr, disposition, attributes, nullptr);
  return reinterpret_cast<FileHandle>(handle);
}

bool CloseFile(FileHandle handle) {
  return ::CloseHandle(ToHandle(handle)) != FALSE;
}

bool ReadFile(FileHandle handle, void* buffer, uint32_t count, uint32_t* done) {
  DWORD moved = 0;
  const BOOL ok = ::ReadFile(ToHandle(handle), buffer, count, &moved, nullptr);
  if (done) *done = moved;
  return ok != FALSE;
}

bool WriteFile(FileHandle handle, const void* buffer, uint32_t count, uint32_t* done) {
  DWORD moved = 0;
  const BOOL ok = ::WriteFile(ToHandle(handle), buffer, count, &moved, nullptr);
  if (done) *done = moved;
  return ok != FALSE;
}

int64_t SeekFile(FileHandle handle, int64_t position) {
  LARGE_INTEGER distance;
  LARGE_INTEGER result;
  distance.QuadPart = position;
  if (!::SetFilePointerEx(ToHandle(handle), distance, &result, FILE_BEGIN)) return -1;
  return result.QuadPart;
}

int64_t GetFileSize(FileHandle handle) {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(ToHandle(handle), &size)) return -1;
  return size.QuadPart;
}

uint32_t GetFileAttributes(const char16_t* path) {
  return ::GetFileAttributesW(W(path));
}

bool SetFileAttributes(const char16_t* path, uint32_t attributes) {
  return ::SetFileAttributesW(W(path), attributes) != FALSE;
}

size_t GetFinalPath(const char16_t* path, char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  // Opening without access rights reads nothing and lets folders open too.
  HANDLE handle = ::CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  wchar_t final[4 * MAX_PATH];
  const DWORD length = ::GetFinalPathNameByHandleW(handle, final, 4 * MAX_PATH, 0);
  ::CloseHandle(handle);
  if (length == 0 || length >= 4 * MAX_PATH) return 0;
  // The answer starts with "\\?\" (or "\\?\UNC\" for a share), which callers do not write.
  const wchar_t* text = final;
  size_t size = length;
  if (wcsncmp(text, L"\\\\?\\UNC\\", 8) == 0) {
    text += 6;  // keep two backslashes of the share's name
    size -= 6;
    final[6] = L'\\';
  } else if (wcsncmp(text, L"\\\\?\\", 4) == 0) {
    text += 4;
    size -= 4;
  }
  if (size + 1 > capacity) return 0;
  for (size_t i = 0; i < size; ++i) out[i] = text[i];
  out[size] = 0;
  return size;
}

bool DeleteFile(const char16_t* path) {
  return ::DeleteFileW(W(path)) != FALSE;
}

namespace {

uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t units) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(units);
  time.dwHighDateTime = static_cast<DWORD>(units >> 32);
  return time;
}

}  // namespace

bool GetFileTimes(FileHandle handle, FileTimes* times) {
  FILETIME creation, access, write;
  if (!::GetFileTime(ToHandle(handle), &creation, &access, &write)) return false;
  times->creation = FromFileTime(creation);
  times->lastAccess = FromFileTime(access);
  times->lastWrite = FromFileTime(write);
  return true;
}

bool SetFileTimes(const char16_t* path, const FileTimes& times) {
  HANDLE handle = ::CreateFileW(W(path), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const FILETIME creation = ToFileTime(times.creation);
  const FILETIME access = ToFileTime(times.lastAccess);
  const FILETIME write = ToFileTime(times.lastWrite);
  const BOOL ok = ::SetFileTime(handle, &creation, &access, &write);
  const DWORD error = ::GetLastError();
  ::CloseHandle(handle);
  ::SetLastError(error);
  return ok != FALSE;
}

bool ReplaceFile(const char16_t* source, const char16_t* destination) {
  return ::MoveFileExW(W(source), W(destination), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

// The volume is named by the path's root: its characters up to and including the first
// backslash.
uint32_t GetVolumeSectorSize(const char16_t* fullPath) {
  wchar_t root[MAX_PATH];
  size_t length = 0;
  while (fullPath[length] && length + 2 < MAX_PATH) {
    root[length] = fullPath[length];
    if (fullPath[length++] == u'\\') break;
  }
  root[length] = 0;
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    return 0;
  }
  return bytesPerSector;
}

bool CreateDirectory(const char16_t* path) {
  return ::CreateDirectoryW(W(path), nullptr) != FALSE;
}

CriticalErrorsSuppressed::CriticalErrorsSuppressed()
    : previous_(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
CriticalErrorsSuppressed::~CriticalErrorsSuppressed() {
  ::SetErrorMode(previous_);
}

FindHandle FindFirstFile(const char16_t* pattern, FindData* data) {
  WIN32_FIND_DATAW found;
  HANDLE handle = ::FindFirstFileW(W(pattern), &found);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidFindHandle;
  Fill(found, data);
  return reinterpret_cast<FindHandle>(handle);
}

bool FindNextFile(FindHandle handle, FindData* data) {
  WIN32_FIND_DATAW found;
  if (!::FindNextFileW(reinterpret_cast<HANDLE>(handle), &found)) return false;
  Fill(found, data);
  return true;
}

void FindClose(FindHandle handle) {
  if (handle != kInvalidFindHandle) ::FindClose(reinterpret_cast<HANDLE>(handle));
}

}  // namespace platform
