// Parses arbitrary bytes as an XML document, then queries and enumerates whatever was read. Then
// sets the bytes, as UTF-16 text, in a new document, saves it and checks that the saved file
// loads again: what the setters accept must never make a document unreadable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scratch_file.h"
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

  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2)
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  zrXml built;
  built.Create();
  built.WriteString(units.c_str(), {"fuzz", "text"});
  built.WriteInt(12345, {"fuzz", "mark"});
  static const ScratchFile saved;
  built.Save(saved.WidePath());
  zrXml again;
  if (built.GetStatus() != 0 || !again.LoadFile(saved.WidePath()) ||
      again.ReadInt(0, {"fuzz", "mark"}) != 12345) {
    std::abort();
  }
  return 0;
}
