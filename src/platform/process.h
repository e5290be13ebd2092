// Process-wide facts and the end of the process.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Ends the process at once with `exitCode`, running no destructors.
[[noreturn]] void TerminateProcess(int exitCode);

// The current directory as a Windows path (no trailing separator but for a root; on posix the
// native path with backslashes, "\tmp\pkg"); the length, or 0 when it does not fit `capacity`
// units with the terminator.
size_t GetCurrentDirectory(char16_t* out, size_t capacity);
bool SetCurrentDirectory(const char16_t* path);
// The absolute form of `path`, resolved against the current directory, with "." and ".."
// resolved and backslashes; the length, or 0 when it does not fit `capacity` units with the
// terminator.
size_t GetFullPath(const char16_t* path, char16_t* out, size_t capacity);

}  // namespace platform
