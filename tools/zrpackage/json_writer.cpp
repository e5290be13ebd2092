#include "json_writer.h"

#include <cstdio>

namespace {

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void AppendEscape(std::string& out, uint32_t unit) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
  out += escape;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string JsonQuote(const std::u16string& value) {
  std::string out = "\"";
  for (size_t i = 0; i < value.size(); ++i) {
    const char16_t unit = value[i];
    switch (unit) {
      case u'"': out += "\\\""; continue;
      case u'\\': out += "\\\\"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      default: break;
    }
    if (IsHighSurrogate(unit) && i + 1 < value.size() && IsLowSurrogate(value[i + 1])) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (value[i + 1] - 0xDC00));
      ++i;
    } else if (unit < 0x20 || unit == 0xFFFF || IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendEscape(out, unit);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out + "\"";
}

void JsonWriter::BeginValue(const char* key) {
  if (!hasMembers_.empty()) {
    text_ += hasMembers_.back() ? ",\n" : "\n";
    hasMembers_.back() = true;
    text_.append(hasMembers_.size() * 2, ' ');
  }
  if (key) text_ += JsonQuote(std::u16string(key, key + std::char_traits<char>::length(key))) + ": ";
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

void JsonWriter::EndObject() { Close('}'); }

void JsonWriter::BeginArray(const char* key) {
  BeginValue(key);
  text_ += '[';
  hasMembers_.push_back(false);
}

void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::String(const char* key, const std::u16string& value) {
  BeginValue(key);
  text_ += JsonQuote(value);
}

void JsonWriter::Number(const char* key, int64_t value) {
  BeginValue(key);
  text_ += std::to_string(value);
}

void JsonWriter::Null(const char* key) {
  BeginValue(key);
  text_ += "null";
}
