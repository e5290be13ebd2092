#include "json_writer.h"

#include <cstdio>

#include "platform/code_page.h"
#include "system/text_encoding.h"

namespace {

// Appends the UTF-8 form of a run of units that needs no escape.
void AppendUtf8(std::string& out, const std::u16string& run) {
  if (run.empty()) return;
  const size_t bytes =
      platform::WideToMultiByte(platform::kCodePageUtf8, run.c_str(), -1, nullptr, 0);
  std::string utf8(bytes, '\0');
  platform::WideToMultiByte(platform::kCodePageUtf8, run.c_str(), -1, utf8.data(), bytes);
  out.append(utf8.c_str());
}

void AppendEscape(std::string& out, uint32_t unit) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
  out += escape;
}

}  // namespace

std::string JsonQuote(const std::u16string& value) {
  std::string out = "\"";
  std::u16string run;  // units passed through as they are
  for (size_t i = 0; i < value.size(); ++i) {
    const char16_t unit = value[i];
    const char* shortEscape = unit == u'"'    ? "\\\""
                              : unit == u'\\' ? "\\\\"
                              : unit == u'\n' ? "\\n"
                              : unit == u'\r' ? "\\r"
                              : unit == u'\t' ? "\\t"
                                              : nullptr;
    const bool pair = IsHighSurrogate(unit) && i + 1 < value.size() && IsLowSurrogate(value[i + 1]);
    if (pair) {
      run += unit;
      run += value[++i];
      continue;
    }
    const bool escaped = shortEscape || unit < 0x20 || unit == 0xFFFF || IsHighSurrogate(unit) ||
                         IsLowSurrogate(unit);
    if (!escaped) {
      run += unit;
      continue;
    }
    AppendUtf8(out, run);
    run.clear();
    if (shortEscape) {
      out += shortEscape;
    } else {
      AppendEscape(out, unit);
    }
  }
  AppendUtf8(out, run);
  return out + "\"";
}

void JsonWriter::BeginValue(const char* key) {
  if (!hasMembers_.empty()) {
    text_ += hasMembers_.back() ? ",\n" : "\n";
    hasMembers_.back() = true;
    text_.append(hasMembers_.size() * 2, ' ');
  }
  if (key)
    text_ += JsonQuote(std::u16string(key, key + std::char_traits<char>::length(key))) + ": ";
}

void JsonWriter::Close(char bracket) {
  const bool hadMembers = hasMembers_.back();
  hasMembers_.pop_back();
  if (hadMembers) {
    text_ += '\n';
    text_.append(hasMembers_.size() * 2, ' ');
  }
  text_ += bracket;
  if (hasMembers_.empty()) text_ += '\n';
}

void JsonWriter::BeginObject(const char* key) {
  BeginValue(key);
  text_ += '{';
  hasMembers_.push_back(false);
}

void JsonWriter::EndObject() {
  Close('}');
}

void JsonWriter::BeginArray(const char* key) {
  BeginValue(key);
  text_ += '[';
  hasMembers_.push_back(false);
}

void JsonWriter::EndArray() {
  Close(']');
}

void JsonWriter::String(const char* key, const std::u16string& value) {
  BeginValue(key);
  text_ += JsonQuote(value);
}

void JsonWriter::Number(const char* key, int64_t value) {
  BeginValue(key);
  text_ += std::to_string(value);
}

void JsonWriter::Bool(const char* key, bool value) {
  BeginValue(key);
  text_ += value ? "true" : "false";
}

void JsonWriter::Null(const char* key) {
  BeginValue(key);
  text_ += "null";
}
