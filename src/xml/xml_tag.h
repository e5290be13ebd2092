// Parsing one tag token: its markers, its name and its attribute words.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "xml/xml_message.h"

struct zrXmlTag {
  std::string name;
  // In the order of the tag's text.
  std::vector<std::pair<std::string, std::string>> attributes;
};

// Parses `token` as a tag between the markers `open` and `close` (compared case-insensitively).
// 1 on success; 0 with the reason in `message` when the token is no tag, is not closed by `close`
// or has no name. A rejected attribute only writes its message: the tag still succeeds with the
// attributes read before it.
int ParseXmlTag(const std::string& token, const char* open, const char* close,
                zrXmlMessage& message, zrXmlTag& tag);

// ASCII case-insensitive equality.
bool EqualsIgnoringCase(const std::string& text, const char* other);
