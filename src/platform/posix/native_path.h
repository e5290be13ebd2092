// Translation between the library's Windows paths and the native file system, shared by every
// posix file of the platform layer, and the per-thread last error those files report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct stat;

namespace platform {

// UTF-16 to UTF-8 (pairs joined, a lone surrogate becomes U+FFFD) and back.
std::string Utf16ToUtf8(const char16_t* text);
std::u16string Utf8ToUtf16(const std::string& text);

// The library's form of a native path: the same text with backslashes ("\\tmp\\pkg").
std::u16string LibraryPath(const std::string& native);

// Copies a path into a caller's buffer of `capacity` units: its length, or 0 with error 87 when
// it does not fit with the terminator.
size_t CopyPathOut(const std::u16string& path, char16_t* out, size_t capacity);

// The user's home folder: $HOME, else the password database's; "" when neither tells.
std::string HomeFolder();
// The Wine prefix whose drives the drive letters name: $WINEPREFIX, else <home>/.wine.
std::string WinePrefix();

// The native form of a library path, read the way Windows reads it: "." and ".." are resolved
// in the text first (never above a drive's root, so C:\..\x is C:\x whatever links the folders
// are), the dots and spaces Windows drops are dropped, and \\?\ or \\.\ before a drive is taken
// off. Then "X:" becomes <prefix>/dosdevices/x: (lower-case letter), a leading "\" is the host's
// root, a relative path stays relative, and every component takes the case of
// an entry that exists with that name regardless of case. "" with the error set for what cannot
// be reached here: a network path (53), a device (3), a name no file can have (123), or an
// empty path (3).
std::string NativePath(const char16_t* path);

// Error reporting: every failing call of the layer sets the calling thread's error number.
void SetLastError(uint32_t error);
// Sets the mapped error and remembers `error` for the text of ErrorText.
void SetLastErrorFromErrno(int error);
// The errno behind the calling thread's last error, or 0 when it had none.
int LastErrno();
// The Windows error number for an errno value.
uint32_t ErrorFromErrno(int error);
// For a native path that does not exist: 3 (path not found) when its folder is missing too,
// else 2 (file not found), as Windows tells them apart.
uint32_t MissingPathError(const std::string& nativePath);
// Sets the error after a failed stat or open of `nativePath`: MissingPathError for a missing
// name, the mapped errno otherwise.
void SetMissingOrErrnoError(const std::string& nativePath);

// The Windows attribute bits of a native file: folder 0x10, read-only 0x01 when the owner may not
// write, otherwise normal 0x80 for a file; device 0x40 for what is neither (a FIFO, a socket, a
// device). There is no archive, hidden or system bit here.
uint32_t AttributesOf(const struct stat& info);

}  // namespace platform
