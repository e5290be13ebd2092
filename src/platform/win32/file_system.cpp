#include <windows.h>
// The platform names below are also Windows' UNICODE macros.
#undef CreateDirectory
#undef DeleteFile
#undef FindFirstFile
#undef FindNextFile
#undef GetFileAttributes
#undef SetFileAttributes

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
