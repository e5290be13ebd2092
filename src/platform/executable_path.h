// Where the running program lies.
#pragma once

#include <cstddef>

namespace platform {

// The path of the running program's executable as a Windows path (on posix the native path with
// backslashes); the length, or 0 when it is unknown or does not fit `capacity` units with the
// terminator.
size_t GetExecutablePath(char16_t* out, size_t capacity);

}  // namespace platform
