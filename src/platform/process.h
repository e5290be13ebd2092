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

// True when another process runs a Windows program (an .exe) that lies in `folder` or below it.
// On Linux a game under Wine holds no lock the native build can see, but its command line names
// its program by its Windows path, which the prefix's drives map to the same files. Always false
// on Windows, where the game's own mutexes tell.
bool ProgramRunsFrom(const char16_t* folder);

}  // namespace platform
