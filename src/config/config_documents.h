// Opening the configuration's XML documents. Neither reports a missing file: the caller keeps its
// defaults.
#pragma once

#include <cstdint>

#include "xml/zrXml.h"

// Through the file server when there is one and its search of type `searchType` finds the path.
bool LoadServedDocument(zrXml& xml, const char16_t* path, uint32_t searchType);
// A file on disk, when there is one.
bool LoadDiskDocument(zrXml& xml, const char16_t* path);
