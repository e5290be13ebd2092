// Files, folders and directory search, in the library's terms. Paths are Windows paths (UTF-16,
// backslashes, drive letters); the posix layer translates them at the system call. Numbers that
// callers store or compare (attribute bits, dispositions, error codes) keep their Windows values
// on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using FileHandle = intptr_t;
constexpr FileHandle kInvalidFileHandle = -1;

// Access rights.
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
// Sharing.
constexpr uint32_t kShareNone = 0;
constexpr uint32_t kShareRead = 0x1;
// Creation dispositions; any other value is rejected by OpenFile.
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;

// Attribute bits.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeDevice = 0x40;
constexpr uint32_t kAttributeNormal = 0x80;
constexpr uint32_t kAttributeReparsePoint = 0x400;  // a symbolic link
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// Flags that OpenFile takes together with the attributes.
constexpr uint32_t kFlagSequentialScan = 0x08000000u;  // read or written front to back
// Reads bypass the system cache. Each read must then ask for a whole number of sectors, into
// page-aligned memory, at a position that is a whole number of sectors (GetVolumeSectorSize).
// On posix this is O_DIRECT where the file system offers it; where it does not, or where it
// refuses a read as misaligned, the file is read through the cache instead.
constexpr uint32_t kFlagNoBuffering = 0x20000000u;

// Error numbers reported by LastError().
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNoMoreFiles = 18;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorBadNetPath = 53;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorNegativeSeek = 131;
constexpr uint32_t kErrorAlreadyExists = 183;

// The error number of the calling thread's last failed call of this layer.
uint32_t LastError();

// Opens or creates a file. `share` says what other opens may do meanwhile: kShareRead lets
// others read, kShareNone lets nobody else open the file; a conflicting open fails with 32. The
// dispositions keep their Windows meaning (kCreateNew fails with 80 on an existing file,
// kTruncateExisting needs kGenericWrite, any other value fails with 87). Folders cannot be opened
// and a read-only file cannot be written, whoever asks (error 5); on posix neither can anything
// that is no regular file (a FIFO, a device), and opening never waits for one. kCreateAlways and
// kOpenAlways that find the file set the last error to 183.
FileHandle OpenFile(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t attributes);
bool CloseFile(FileHandle handle);
// One read or write of up to `count` bytes; `done` receives the bytes moved.
bool ReadFile(FileHandle handle, void* buffer, uint32_t count, uint32_t* done);
bool WriteFile(FileHandle handle, const void* buffer, uint32_t count, uint32_t* done);
// Moves the file pointer to `position` from the start; returns the new position or -1.
int64_t SeekFile(FileHandle handle, int64_t position);
// Size of the open file, or -1.
int64_t GetFileSize(FileHandle handle);

// A file's times, in 100-nanosecond units since 1601-01-01 (UTC).
struct FileTimes {
  uint64_t creation;
  uint64_t lastAccess;
  uint64_t lastWrite;
};
bool GetFileTimes(FileHandle handle, FileTimes* times);
// Sets the times of the file or folder at `path`. posix files have no creation time: it is
// ignored there.
bool SetFileTimes(const char16_t* path, const FileTimes& times);

// Puts the file `source` in the place of `destination`, replacing a file there, in one step: a
// reader sees either the old file or the new one.
bool ReplaceFile(const char16_t* source, const char16_t* destination);

// Bytes per sector of the volume holding `fullPath` for reading it with kFlagNoBuffering, or 0
// when that volume cannot be read so (Windows asks the volume of the path's root; posix asks the
// file system of the path itself for its direct-I/O alignment).
uint32_t GetVolumeSectorSize(const char16_t* fullPath);

// Attributes of a file or folder; kInvalidAttributes when absent. The posix layer synthesises
// them from the mode: a folder is 0x10, read-only (0x01) is an owner write bit that is clear, and
// any other plain file is 0x80 (normal); SetFileAttributes there maps only the read-only bit to
// the write bits (clear: the owner may write again; set: nobody may write) and ignores the rest.
uint32_t GetFileAttributes(const char16_t* path);
bool SetFileAttributes(const char16_t* path, uint32_t attributes);
// The absolute path of what `path` finally names, every link on the way followed (on posix the
// host path with backslashes, "\\home\\me\\x"); the length, or 0 when nothing exists there or
// the result does not fit `capacity` units with the terminator.
size_t GetFinalPath(const char16_t* path, char16_t* out, size_t capacity);
// Deletes a file; a read-only file or a folder is refused with 5, as on Windows.
bool DeleteFile(const char16_t* path);
// Creates one folder; 183 when it exists, 3 when its parent is missing.
bool CreateDirectory(const char16_t* path);

// While one of these lives, the system shows no critical-error dialogs (for example for an
// empty removable drive); the previous setting comes back when it goes.
class CriticalErrorsSuppressed {
 public:
  CriticalErrorsSuppressed();
  ~CriticalErrorsSuppressed();
  CriticalErrorsSuppressed(const CriticalErrorsSuppressed&) = delete;
  CriticalErrorsSuppressed& operator=(const CriticalErrorsSuppressed&) = delete;

 private:
  [[maybe_unused]] unsigned previous_;  // the error mode to restore (Windows)
};

// Directory search with the system's wildcard rules ("*", "?", and "*.*" for every name). The
// posix layer lists "." and ".." like Windows does and orders entries case-insensitively, as an
// NTFS folder lists. A pattern without wildcards finds that one entry. Nothing found: 2, or 3
// when the folder is missing. FindNextFile past the last entry fails with 18.
struct FindData {
  uint32_t attributes;
  uint64_t size;
  char16_t name[260];
};
using FindHandle = intptr_t;
constexpr FindHandle kInvalidFindHandle = -1;
FindHandle FindFirstFile(const char16_t* pattern, FindData* data);
bool FindNextFile(FindHandle handle, FindData* data);
void FindClose(FindHandle handle);

}  // namespace platform
