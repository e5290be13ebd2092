// Values of profile (.ini) files, read as GetPrivateProfileStringW reads them. The posix layer
// reads the file itself with the same rules (see posix/profile_text.h).
#pragma once

#include <cstddef>

namespace platform {

// The value of `key` in `section` of the profile file at `path` (a Windows path), or "" when
// the file, section or key is missing; cut at `capacity` - 1 units and terminated. Returns the
// units copied.
size_t ReadProfileString(const char16_t* section, const char16_t* key, char16_t* out,
                         size_t capacity, const char16_t* path);

}  // namespace platform
