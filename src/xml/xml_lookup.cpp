#include "xml/xml_lookup.h"

#include <cstring>

void BuildXmlEntries(const zrXmlNode* first, zrXmlEntryList& out) {
  // Recursion is bounded by the parser's depth limit.
  for (const zrXmlNode* node = first; node; node = node->next) {
    zrXmlEntry& entry = out.emplace_back();
    entry.name = node->name;
    entry.value = node->text;
    if (node->firstAttribute) {
      entry.attributes = std::make_unique<zrXmlAttributeList>();
      for (const zrXmlAttribute* a = node->firstAttribute; a; a = a->next) {
        entry.attributes->emplace_back(a->name, a->value);
      }
    }
    if (node->firstChild) {
      auto children = std::make_unique<zrXmlEntryList>();
      BuildXmlEntries(node->firstChild, *children);
      if (!children->empty()) entry.children = std::move(children);
    }
  }
}

const zrXmlEntryList* XmlQueryStart(const zrXmlEntryList& top) {
  if (top.size() == 1 && top.front().name == "document") return top.front().children.get();
  return &top;
}

namespace {

const zrXmlEntry* FindFrom(const zrXmlEntryList& list, const char* const* keys, size_t count,
                           size_t depth) {
  for (const zrXmlEntry& entry : list) {
    if (entry.name != keys[depth]) continue;
    if (depth + 1 == count) return &entry;
    if (!entry.children) continue;
    if (const zrXmlEntry* found = FindFrom(*entry.children, keys, count, depth + 1)) return found;
  }
  return nullptr;
}

}  // namespace

const zrXmlEntry* FindXmlEntry(const zrXmlEntryList* list, const char* const* keys, size_t count) {
  if (!list || !keys || count == 0) return nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (!keys[i]) return nullptr;
  }
  return FindFrom(*list, keys, count, 0);
}
