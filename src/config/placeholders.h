// Placeholders in configured folders: "%USERPROFILE%" (the user's roaming application data),
// "%ProgramData%" and "%ALLUSERSPROFILE%" (the application data of all users), "%brand%",
// "%title%", "%save%" and "%imglib%" (the configured values). A token runs from a '%' to the
// next '%' included, or to the end of the text; it is compared exactly. Any other token, a token
// longer than 258 units (both '%' counted) and a token whose folder cannot be found stay as
// written. The output is cut at a whole character when it is full.
#pragma once

#include <cstddef>

constexpr size_t kLongestPlaceholder = 258;

struct PlaceholderValues {
  const char16_t* brand;
  const char16_t* title;
  const char16_t* save;
  const char16_t* imglib;
};

// The length written to `out` (capacity units with the terminator).
size_t ExpandPlaceholderText(char16_t* out, size_t capacity, const char16_t* text,
                             const PlaceholderValues& values);

// Replaces every "%LANG%" by `ui` and every "%LANG_M%" by `main`, in place within `capacity`; a
// null name leaves its placeholder. Narrow texts and names are Shift-JIS.
void ExpandLanguageText(char16_t* text, size_t capacity, const char16_t* ui, const char16_t* main);
void ExpandLanguageText(char* text, size_t capacity, const char* ui, const char* main);
