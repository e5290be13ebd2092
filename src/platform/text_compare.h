// The comparison the install log is sorted with: lstrcmpiW on Windows, which follows the user's
// locale; the posix layer models it (see posix/text_compare.cpp).
#pragma once

namespace platform {

// <0, 0 or >0 as `a` sorts before, equal to or after `b`, ignoring case; null counts as empty.
// A strict weak order, so it can drive a sort. On posix the order is the Japanese one when the
// user's UI language is Japanese, the English (US) one otherwise, decided once per process.
int CompareTextIgnoringCase(const char16_t* a, const char16_t* b);

}  // namespace platform
