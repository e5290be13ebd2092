// The lookup tree: built from the parse tree, and searched by key paths.
#pragma once

#include <cstddef>

#include "xml/xml_tree.h"
#include "xml/zrXml.h"

// Appends one entry per node of the sibling list that starts at `first`, with attributes and
// children in list order (so, after a parse, in the reverse of the file's order).
void BuildXmlEntries(const zrXmlNode* first, zrXmlEntryList& out);

// Where key-path queries start: inside a single top-level entry named "document", else the
// top-level list itself. Null when that entry has no children.
const zrXmlEntryList* XmlQueryStart(const zrXmlEntryList& top);

// The entry reached by `count` names from `list` (exact, case-sensitive). Of equally named
// siblings the first in list order that leads to a complete match wins: the search backtracks.
// Null when nothing matches or there are no keys; a null key matches nothing.
const zrXmlEntry* FindXmlEntry(const zrXmlEntryList* list, const char* const* keys, size_t count);
