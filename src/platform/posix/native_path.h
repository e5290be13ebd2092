// Translation between the library's Windows paths and the native file system, shared by every
// posix file of the platform layer, and the per-thread last error those files report.
#pragma once

#include <cstdint>
#include <string>

struct stat;

namespace platform {

// UTF-16 to UTF-8 (pairs joined, a lone surrogate becomes U+FFFD) and back.
std::string Utf16ToUtf8(const char16_t* text);
std::u16string Utf8ToUtf16(const std::string& text);

// The Wine prefix whose drives the drive letters name: $WINEPREFIX, else $HOME/.wine (HOME from
// the password database when unset).
std::string WinePrefix();

// The native form of a library path: "\" becomes "/"; "X:" at the start becomes
// <prefix>/dosdevices/x: (lower-case letter), so "C:\data" is <prefix>/dosdevices/c:/data; every
// other path (absolute POSIX or relative) keeps its text but for the separators. Null gives "".
std::string NativePath(const char16_t* path);

// Error reporting: every failing call of the layer sets the calling thread's error number.
void SetLastError(uint32_t error);
// The Windows error number for an errno value.
uint32_t ErrorFromErrno(int error);
// For a native path that does not exist: 3 (path not found) when its folder is missing too,
// else 2 (file not found), as Windows tells them apart.
uint32_t MissingPathError(const std::string& nativePath);
// Sets the error after a failed stat or open of `nativePath`: MissingPathError for a missing
// name, the mapped errno otherwise.
void SetMissingOrErrnoError(const std::string& nativePath);

// The Windows attribute bits of a native file: folder 0x10, read-only 0x01 when the owner may not
// write, otherwise normal 0x80 for a file. There is no archive, hidden or system bit here.
uint32_t AttributesOf(const struct stat& info);

}  // namespace platform
