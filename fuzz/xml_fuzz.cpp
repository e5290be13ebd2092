// Parses arbitrary bytes as an XML document, then queries and enumerates whatever was read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "xml/zrXml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A terminated copy: a length of 0 means "up to the NUL" to LoadMemory.
  const std::string text(reinterpret_cast<const char*>(data), size);
  zrXml xml;
  xml.LoadMemory(text.c_str(), text.size());

  char16_t wide[64];
  char narrow[64];
  xml.ReadString(wide, 64, u"", {"brand"});
  xml.ReadString(wide, 64, u"", {"language", "lang00", "code"});
  xml.ReadStringA(narrow, 64, "", {"a", "b"});
  xml.ReadInt(0, {"version"});
  xml.ReadFloat(0.0f, {"config", "scale"});
  xml.ReadIntPath(0, {"document", "major"});

  // Every child of the root, then every child of each of those.
  zrXmlCursor top;
  std::string name;
  if (xml.FindChildren(top, {})) {
    while (xml.NextChild(top, name)) {
      zrXmlCursor inner;
      std::string child;
      if (xml.FindChildren(inner, {name.c_str()})) {
        while (xml.NextChild(inner, child)) xml.ReadInt(0, {name.c_str(), child.c_str()});
      }
    }
  }
  return 0;
}
