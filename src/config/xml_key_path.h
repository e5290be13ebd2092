// Key paths written as one text ("SECTION/sub/name") for the XML layer's lists of names.
#pragma once

#include <string>
#include <vector>

#include "xml/zrXml.h"

// The names of a path; empty names (doubled or outer slashes) are dropped.
std::vector<std::string> SplitKeyPath(const std::string& path);

// Calls `use` with the names of `path` as a zrXml key list. The configuration's paths have at most
// five names; a deeper one is given as no names at all, which no query finds.
template <typename Use>
auto WithKeyPath(const std::string& path, Use use) {
  const std::vector<std::string> names = SplitKeyPath(path);
  const auto at = [&names](size_t i) { return names[i].c_str(); };
  switch (names.size()) {
    case 1:
      return use(zrXml::Keys{at(0)});
    case 2:
      return use(zrXml::Keys{at(0), at(1)});
    case 3:
      return use(zrXml::Keys{at(0), at(1), at(2)});
    case 4:
      return use(zrXml::Keys{at(0), at(1), at(2), at(3)});
    case 5:
      return use(zrXml::Keys{at(0), at(1), at(2), at(3), at(4)});
    default:
      return use(zrXml::Keys{});
  }
}
