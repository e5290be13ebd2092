// ASCII case conversion that leaves double-byte characters alone.
#pragma once

#include <cstddef>

// Lower-cases A-Z in a Shift-JIS string, skipping double-byte characters whole; returns the length.
size_t ToLowerA(char* text);
// Convert A-Z / a-z in units below 256; a unit of 256 or above is left unchanged together with
// the unit that follows it. Return the length.
size_t ToLowerW(char16_t* text);
size_t ToUpperW(char16_t* text);
