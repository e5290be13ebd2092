// Searching, replacing, line reading and byte comparison on terminated strings.
#pragma once

#include <cstddef>

// Index of the first byte-exact occurrence of `needle`; -1 when absent, when either is null or
// when the haystack is empty. An empty needle matches at 0 of a non-empty haystack.
int FindString(const char* haystack, const char* needle);
int FindStringW(const char16_t* haystack, const char16_t* needle);
// A code below 256 is searched as one byte, a larger one as the pair (code >> 8, code & 0xFF).
int FindCharA(const char* text, unsigned code);
int FindCharW(const char16_t* text, char16_t unit);

// Copies `source` to `out`, replacing every occurrence of `find` from left to right without
// overlap. The copy stops at capacity - 1; returns the length written. An empty `find` copies
// the source unchanged.
size_t ReplaceAll(char* out, size_t capacity, const char* source, const char* find,
                  const char* replacement);
size_t ReplaceAllW(char16_t* out, size_t capacity, const char16_t* source, const char16_t* find,
                   const char16_t* replacement);

// Copies the bytes before the first LF, CR LF or terminator into `out` and ends them with two
// zero bytes (a line too long for `capacity` is cut). Returns the offset just past the line end,
// or the offset of the terminator. A CR not followed by LF stays in the line.
size_t ReadLine(const char* text, char* out, size_t capacity);

// Compares n bytes as unsigned values: the difference of the first unequal pair, or 0.
int CompareBytes(const void* a, const void* b, size_t n);
// Bulk copy of n non-overlapping bytes and bulk zeroing; nothing happens for n 0 or null.
void FastCopy(void* destination, const void* source, size_t n);
void FastZero(void* destination, size_t n);
