// Number parsing shared by the XML queries, the version checks and the configuration.
#pragma once

#include <cstddef>
#include <cstdint>

// Optional sign, then decimal digits or "0x"/"0X" and hexadecimal digits; 0 when the text does
// not start (after the sign) with an ASCII digit, or when a decimal number is followed by ".".
// Wraps at 32 bits. Null gives 0.
int32_t TextToInt(const char* text);
int32_t WideToInt(const char16_t* text);
// The same rules; 1 on success with `value` set and `position` just past the number, else 0.
int ParseInt(const char* text, size_t* position, int32_t* value);
int ParseIntW(const char16_t* text, size_t* position, int32_t* value);
// Optional "-", digits, optional "." and digits, an ignored "f"/"F"; single precision. 0 for null
// or when the text starts with neither "-" nor a digit.
float TextToFloat(const char* text);
