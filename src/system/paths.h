// Windows paths: joining with backslashes and splitting at "\" or "/". Outputs take their
// capacity and are never written past it.
#pragma once

#include <cstddef>
#include <initializer_list>

// Joins the parts with backslashes: trailing backslashes of a short root first part ("C:\",
// "C:", "\\") all go, otherwise one trailing backslash of the first part and of the result after
// each further part goes; an empty further part adds nothing. Returns the length, or 0 (and an
// empty destination) when there is no part or the result would not fit `capacity`.
size_t JoinPath(char16_t* destination, size_t capacity,
                std::initializer_list<const char16_t*> parts);
template <size_t N, typename... Parts>
size_t JoinPath(char16_t (&destination)[N], Parts... parts) {
  return JoinPath(destination, N, {static_cast<const char16_t*>(parts)...});
}

// 1 when the path holds a separator at an index above 0; `out` (may be null) receives the text
// before the last separator, or is empty on failure (also 0 when that text does not fit).
// The A twins step over Shift-JIS double-byte characters, so a trail byte 0x5C is never taken
// for a backslash.
int GetDirectoryPart(const char16_t* path, char16_t* out, size_t capacity);
int GetDirectoryPartA(const char* path, char* out, size_t capacity);
// 1 (0 when out is null, the path is null or the name does not fit); `out` receives the text
// after the last separator, or the whole path when there is none or it stands at index 0.
int GetFileNamePart(const char16_t* path, char16_t* out, size_t capacity);
int GetFileNamePartA(const char* path, char* out, size_t capacity);
// Pointer just past the last "." of the last component, or to the terminator; null for null.
const char16_t* GetExtension(const char16_t* path);
// 1 when a "." is found scanning backwards before any separator.
int HasExtension(const char16_t* path);
// Cuts the path at the last "." of its last component, then appends "." and `extension` when
// it is not null. 0 for a null path, and 0 with the path unchanged when the new one would not
// fit `capacity`.
int ReplaceExtension(char16_t* path, size_t capacity, const char16_t* extension);
int ReplaceExtensionA(char* path, size_t capacity, const char* extension);
