// Saving a document: the lookup tree turned back into a parse tree, and the parse tree written as
// text.
#pragma once

#include <string>

#include "xml/xml_tree.h"
#include "xml/zrXml.h"

// Adds one node per entry of `list` under `parent`, each inserted first, so that every list of
// the parse tree comes out in the reverse of the lookup tree's order. An entry with children gets
// no text. Of attributes with names equal but for case, the later one's value wins.
void ConvertXmlEntries(const zrXmlEntryList& list, zrXmlNode* parent, zrXmlNodeStore& store);

// The file's bytes: the declaration, then every element under `root` with two spaces of
// indentation per level, each line ended by CR LF. Names, values and texts are written as they
// are. Measures first, then fills a buffer of exactly that size. May throw std::bad_alloc.
std::string SerialiseXml(const zrXmlNode* root);
