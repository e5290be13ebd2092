// The lookup tree: built from the parse tree, and indexed for key-path queries.
#pragma once

#include <cstddef>
#include <map>
#include <string_view>
#include <utility>

#include "xml/xml_tree.h"
#include "xml/zrXml.h"

// Appends one entry per node of the sibling list that starts at `first`, with attributes and
// children in list order (so, after a parse, in the reverse of the file's order).
void BuildXmlEntries(const zrXmlNode* first, zrXmlEntryList& out);

// Answers a key path with one look-up per name. Of equally named siblings the first in list order
// that leads to a complete match wins; that is the first entry, in a pre-order walk visiting
// siblings in list order, whose chain of names equals the path. So one such walk records, for
// every distinct path, its first entry in a trie of paths, and no query has to search.
// The index points into the entries it was built from (their addresses and names): it must be
// cleared before they are freed, and rebuilt (or updated for the entries concerned) whenever an
// entry is added, removed or renamed.
class zrXmlPathIndex {
 public:
  // Indexes the tree whose top-level list is `top`. May throw std::bad_alloc, and then leaves a
  // partial index: the caller clears it.
  void Build(const zrXmlEntryList& top);
  void Clear() noexcept;

  // The entry reached by `count` names (exact, case-sensitive) from where queries start: inside
  // a single top-level entry named "document", else the top-level list itself. Null when nothing
  // matches or there are no keys; a null key matches nothing.
  const zrXmlEntry* FindFromQueryStart(const char* const* keys, size_t count) const;
  // The same from the top-level list.
  const zrXmlEntry* FindFromTop(const char* const* keys, size_t count) const;

 private:
  // A trie node stands for one distinct path; the top-level list is node 0.
  using Node = size_t;
  static constexpr Node kTop = 0;
  struct Target {
    Node node;
    const zrXmlEntry* first;  // the path's first entry in the walk
  };
  // Edges are keyed by the parent node and a view of the first entry's own name. An ordered map
  // keeps every step logarithmic whatever names a hostile file picks.
  using Edges = std::map<std::pair<Node, std::string_view>, Target>;

  void Add(Node parent, const zrXmlEntryList& list);
  const zrXmlEntry* Find(Node from, const char* const* keys, size_t count) const;

  Edges edges_;
  Node queryStart_ = kTop;
};
