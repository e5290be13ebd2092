#include "platform/posix/profile_text.h"

#include "platform/code_page.h"
#include "platform/posix/upper_case.h"

namespace platform {

namespace {

bool IsBlank(char16_t unit) {
  return unit == u' ' || unit == u'\t' || unit == u'\v' || unit == u'\f';
}

std::u16string Trim(const std::u16string& text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

bool SameName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

std::u16string Unquote(const std::u16string& value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::u16string DecodeProfileText(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return text;
  }
  const bool utf8 = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const char* source = bytes.data() + (utf8 ? 3 : 0);
  const ptrdiff_t length = static_cast<ptrdiff_t>(bytes.size()) - (utf8 ? 3 : 0);
  const unsigned codePage = utf8 ? kCodePageUtf8 : kCodePageShiftJis;
  if (length == 0) return u"";
  std::u16string text(MultiByteToWide(codePage, source, length, nullptr, 0), u'\0');
  text.resize(MultiByteToWide(codePage, source, length, text.data(), text.size()));
  return text;
}

bool FindProfileValue(const std::u16string& text, const std::u16string& section,
                      const std::u16string& key, std::u16string& value) {
  const std::u16string wantedSection = Trim(section);
  const std::u16string wantedKey = Trim(key);
  bool inSection = wantedSection.empty();  // the lines before the first section
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    const size_t close = line[0] == u'[' ? line.rfind(u']') : std::u16string::npos;
    if (close != std::u16string::npos) {
      if (inSection) return false;  // only the first section of the name counts
      inSection = SameName(Trim(line.substr(1, close - 1)), wantedSection);
      continue;
    }
    if (!inSection) continue;
    const size_t equals = line.find(u'=');
    if (!SameName(Trim(line.substr(0, equals)), wantedKey)) continue;
    value = equals == std::u16string::npos ? u"" : Unquote(Trim(line.substr(equals + 1)));
    return true;
  }
  return false;
}

}  // namespace platform
