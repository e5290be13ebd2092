// printf-style formatting of UTF-16 texts, with the wide conventions of the Windows runtime:
// in a wide format "%s" takes a wide (char16_t) string and "%S" a narrow (UTF-8) one; "%c" takes
// a wide character. Numbers, widths, precisions and flags follow printf.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into `out` (always terminated when capacity > 0), cutting the text at capacity - 1
// units; returns the units written.
size_t FormatWideV(char16_t* out, size_t capacity, const char16_t* format, va_list args);
size_t FormatWide(char16_t* out, size_t capacity, const char16_t* format, ...);
