#include "config/placeholders.h"

#include <string>
#include <vector>

#include "system/whole_text.h"
#include "system/folders.h"
#include "system/text_search.h"

namespace {

constexpr int kRoamingAppData = 9;
constexpr int kCommonAppData = 8;

// The value a token stands for; false for a token that stays as written.
bool Replacement(const std::u16string& token, const PlaceholderValues& values,
                 std::u16string& value) {
  const char16_t* configured = nullptr;
  if (token == u"%brand%") configured = values.brand;
  if (token == u"%title%") configured = values.title;
  if (token == u"%save%") configured = values.save;
  if (token == u"%imglib%") configured = values.imglib;
  if (configured) {
    value = configured;
    return true;
  }
  int kind = -1;
  if (token == u"%USERPROFILE%") kind = kRoamingAppData;
  if (token == u"%ProgramData%" || token == u"%ALLUSERSPROFILE%") kind = kCommonAppData;
  char16_t folder[260];
  if (kind < 0 || !GetSystemFolder(kind, folder)) return false;
  value = folder;
  return true;
}

// Replaces every `find` in `text` through a buffer large enough for any replacement here.
template <typename Char>
void ReplaceInPlace(Char* text, size_t capacity, const Char* find, const Char* replacement,
                    size_t (*replaceAll)(Char*, size_t, const Char*, const Char*, const Char*),
                    size_t (*copyWhole)(Char*, size_t, const Char*)) {
  std::vector<Char> result(2 * capacity + 8192);
  replaceAll(result.data(), result.size(), text, find, replacement);
  copyWhole(text, capacity, result.data());
}

}  // namespace

size_t ExpandPlaceholderText(char16_t* out, size_t capacity, const char16_t* text,
                             const PlaceholderValues& values) {
  WideAppender appender(out, capacity);
  const std::u16string source = text ? text : u"";
  size_t at = 0;
  while (at < source.size()) {
    const size_t start = source.find(u'%', at);
    if (start == std::u16string::npos) {
      appender.Append(source.c_str() + at, source.size() - at);
      break;
    }
    appender.Append(source.c_str() + at, start - at);
    const size_t close = source.find(u'%', start + 1);
    const size_t end = close == std::u16string::npos ? source.size() : close + 1;
    const std::u16string token = source.substr(start, end - start);
    std::u16string value;
    if (token.size() <= kLongestPlaceholder && Replacement(token, values, value)) {
      appender.Append(value.c_str(), value.size());
    } else {
      appender.Append(token.c_str(), token.size());
    }
    at = end;
  }
  return appender.Length();
}

void ExpandLanguageText(char16_t* text, size_t capacity, const char16_t* ui, const char16_t* main) {
  if (!text || capacity == 0) return;
  if (ui) ReplaceInPlace<char16_t>(text, capacity, u"%LANG%", ui, ReplaceAllW, CopyWholeWide);
  if (main) {
    ReplaceInPlace<char16_t>(text, capacity, u"%LANG_M%", main, ReplaceAllW, CopyWholeWide);
  }
}

void ExpandLanguageText(char* text, size_t capacity, const char* ui, const char* main) {
  if (!text || capacity == 0) return;
  if (ui) ReplaceInPlace<char>(text, capacity, "%LANG%", ui, ReplaceAll, CopyWholeSjis);
  if (main) ReplaceInPlace<char>(text, capacity, "%LANG_M%", main, ReplaceAll, CopyWholeSjis);
}
