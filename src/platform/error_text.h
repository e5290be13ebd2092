// The system's description of an error number of this layer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Writes the description of `error` (always terminated, cut at the capacity, without a trailing
// line break) and returns its length. Windows gives the system's message in the user's language;
// posix gives the C library's text of the errno behind the calling thread's last error when
// `error` is that error, else of the errno that the number stands for.
size_t ErrorText(uint32_t error, char16_t* out, size_t capacity);

}  // namespace platform
