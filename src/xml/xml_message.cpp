#include "xml/xml_message.h"

#include <cstring>
#include <string>

void zrXmlMessage::Set(const char* pattern, const char* argument) {
  std::string text(pattern ? pattern : "");
  const size_t marker = text.find("%s");
  if (marker != std::string::npos) text.replace(marker, 2, argument ? argument : "");

  // Cutting inside a sequence would leave a broken character at the end of the message; step
  // back over continuation bytes (at most four: the longest sequence has five bytes).
  size_t length = text.size();
  if (length > kCapacity - 1) {
    length = kCapacity - 1;
    for (int back = 0; back < 4 && length > 0; ++back) {
      if ((static_cast<unsigned char>(text[length]) & 0xC0) != 0x80) break;
      --length;
    }
  }
  std::memcpy(text_, text.data(), length);
  text_[length] = 0;
}
