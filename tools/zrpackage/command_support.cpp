#include <cstdio>

#include "commands.h"
#include "system/text_encoding.h"

std::string ToUtf8(const std::u16string& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(WideToUtf8(text.c_str(), out.data(), out.size()));
  return out;
}

void PrintError(const std::string& utf8Message) {
  std::fprintf(stderr, "zrpackage: %s\n", utf8Message.c_str());
}
