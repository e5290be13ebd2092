// The first stages of a parse: the raw text becomes a list of tokens, and comments are taken out
// of that list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

using zrXmlTokens = std::vector<std::string>;

// The document's bytes: `length` bytes of `text`, ending early at the first NUL, with every
// CR LF pair folded into LF (a lone CR stays).
std::string PrepareXmlText(const char* text, size_t length);

// Splits the text into tags and the text runs between them. TAB and LF become spaces; a
// Shift-JIS double-byte character is taken whole so that its second byte is never read as a
// delimiter. Text after the last '>' is dropped.
void ScanXmlTokens(const std::string& text, zrXmlTokens& tokens);

// Removes each run of tokens from one that starts with "<!--" through the next one that ends
// with "-->" (the same token can do both). An opening without a closing removes nothing. A
// token ending with "-->" while no comment is open is ordinary text and stays.
void RemoveXmlComments(zrXmlTokens& tokens);
