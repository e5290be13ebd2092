#include "xml/xml_scanner.h"

#include <cstring>
#include <utility>

#include "system/text_encoding.h"

std::string PrepareXmlText(const char* text, size_t length) {
  std::string out;
  if (!text) return out;
  const void* end = std::memchr(text, 0, length);
  if (end) length = static_cast<size_t>(static_cast<const char*>(end) - text);
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void ScanXmlTokens(const std::string& text, zrXmlTokens& tokens) {
  std::string current;
  current.reserve(1024);
  const char* bytes = text.c_str();  // the terminator lets IsSjisPair look one byte ahead
  const size_t length = text.size();
  for (size_t i = 0; i < length;) {
    const bool first = i == 0;
    if (IsSjisPair(bytes + i)) {
      current.append(bytes + i, 2);
      i += 2;
      continue;
    }
    const char c = bytes[i++];
    if (c == '\t' || c == '\n') {
      current += ' ';
    } else if (c == '<' && !first) {
      tokens.push_back(std::move(current));
      current.assign(1, '<');
    } else if (c == '>' && !first) {
      current += '>';
      tokens.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
}

namespace {

bool IsCommentStart(const std::string& token) {
  return token.compare(0, 4, "<!--") == 0;
}

bool IsCommentEnd(const std::string& token) {
  return token.size() >= 3 && token.compare(token.size() - 3, 3, "-->") == 0;
}

}  // namespace

void RemoveXmlComments(zrXmlTokens& tokens) {
  // The markers hold no letters, so a case-insensitive comparison is a plain one.
  zrXmlTokens kept;
  kept.reserve(tokens.size());
  size_t start = tokens.size();  // no comment open
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (start == tokens.size()) {
      if (!IsCommentStart(tokens[i])) {
        kept.push_back(std::move(tokens[i]));
        continue;
      }
      start = i;
    }
    if (IsCommentEnd(tokens[i])) start = tokens.size();
  }
  // An unterminated comment removes nothing.
  for (size_t i = start; i < tokens.size(); ++i) kept.push_back(std::move(tokens[i]));
  tokens = std::move(kept);
}
