// Special folders and the user's language.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The folder of `kind` (0 to 11, see GetSystemFolder) as a Windows path; false when the system
// cannot tell it or it does not fit `capacity` units with the terminator. Kinds 6 (temporary
// folder, with a trailing separator) and 7 (Windows folder) ask nothing that can fail: Windows
// reports success for them even when the answer did not fit (the text is then empty). On posix the
// folders are those of the Wine prefix (see posix/system_folders.cpp); kind 6 is the native
// temporary folder ending in "/".
bool GetSystemFolder(int kind, char16_t* out, size_t capacity);

// The user's default UI language as a Windows language identifier (0x0411 Japanese, 0x0409
// English (US), ...). On posix it comes from the locale: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG (see posix/ui_language.h).
uint16_t GetUserDefaultUILanguage();

}  // namespace platform
