#include "xml/xml_lookup.h"

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

void zrXmlPathIndex::Build(const zrXmlEntryList& top) {
  Clear();
  Add(kTop, top);
  if (top.size() == 1 && top.front().name == "document") {
    queryStart_ = edges_.find({kTop, top.front().name})->second.node;
  }
}

void zrXmlPathIndex::Clear() noexcept {
  edges_.clear();
  queryStart_ = kTop;
}

void zrXmlPathIndex::Add(Node parent, const zrXmlEntryList& list) {
  // Recursion is bounded by the parser's depth limit. The walk is in pre-order, so the entry that
  // creates an edge is its path's first and a later one never replaces it.
  for (const zrXmlEntry& entry : list) {
    const Target added{edges_.size() + 1, &entry};
    const Node node = edges_.try_emplace({parent, entry.name}, added).first->second.node;
    if (entry.children) Add(node, *entry.children);
  }
}

const zrXmlEntry* zrXmlPathIndex::FindFromQueryStart(const char* const* keys, size_t count) const {
  return Find(queryStart_, keys, count);
}

const zrXmlEntry* zrXmlPathIndex::FindFromTop(const char* const* keys, size_t count) const {
  return Find(kTop, keys, count);
}

const zrXmlEntry* zrXmlPathIndex::Find(Node from, const char* const* keys, size_t count) const {
  if (!keys || count == 0) return nullptr;
  const zrXmlEntry* found = nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (!keys[i]) return nullptr;
    const auto edge = edges_.find({from, keys[i]});
    if (edge == edges_.end()) return nullptr;
    from = edge->second.node;
    found = edge->second.first;
  }
  return found;
}
