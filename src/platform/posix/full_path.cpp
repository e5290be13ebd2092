#include "platform/posix/full_path.h"

namespace platform {

namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// "X:" followed by a separator or the end.
bool StartsWithDrive(const char16_t* text) {
  return IsDriveLetter(text[0]) && text[1] == u':' && (text[2] == 0 || IsSeparator(text[2]));
}

bool StartsWithUncWord(const char16_t* text) {
  return (text[0] == u'U' || text[0] == u'u') && (text[1] == u'N' || text[1] == u'n') &&
         (text[2] == u'C' || text[2] == u'c') && IsSeparator(text[3]);
}

// Moves past one name and returns it.
std::u16string TakeName(const char16_t*& text) {
  std::u16string name;
  while (*text && !IsSeparator(*text)) name += *text++;
  return name;
}

// "\\server\share\": the server and the share are the root; ".." never climbs above them.
void SplitNetworkRoot(const char16_t*& rest, PathParts& parts) {
  parts.root = PathParts::Root::kNetwork;
  const std::u16string server = TakeName(rest);
  if (IsSeparator(*rest)) ++rest;
  const std::u16string share = TakeName(rest);
  parts.rootText = u"\\\\" + server + u"\\" + share + u"\\";
}

// Takes the root off the front of `rest` and describes it.
void SplitRoot(const char16_t*& rest, PathParts& parts) {
  const char16_t* path = rest;
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    const bool deviceNamespace = (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3]);
    if (!deviceNamespace) {
      rest = path + 2;
      SplitNetworkRoot(rest, parts);
      return;
    }
    // Only "\\?\" written with backslashes turns off the rewriting of the rest.
    parts.literal = path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' && path[3] == u'\\';
    const std::u16string prefix = {u'\\', u'\\', path[2], u'\\'};
    rest = path + 4;
    if (StartsWithDrive(rest)) {
      parts.root = PathParts::Root::kDrive;
      parts.drive = rest[0];
      parts.rootText = prefix + rest[0] + u":\\";
      rest += 2;
    } else if (StartsWithUncWord(rest)) {
      rest += 4;
      SplitNetworkRoot(rest, parts);
    } else {
      parts.root = PathParts::Root::kDevice;
      parts.rootText = prefix;
    }
    return;
  }
  if (IsDriveLetter(path[0]) && path[1] == u':') {
    // "C:name" is taken as "C:\name": no drive keeps a current directory of its own here.
    parts.root = PathParts::Root::kDrive;
    parts.drive = path[0];
    parts.rootText = {path[0], u':', u'\\'};
    rest = path + 2;
  } else if (IsSeparator(path[0])) {
    parts.root = PathParts::Root::kHost;
    parts.rootText = u"\\";
    rest = path + 1;
  } else {
    parts.root = PathParts::Root::kRelative;
  }
}

// Windows drops one trailing dot from every name ("a." is "a", "b.." is "b."), and, unless the
// path ends in a separator, every trailing dot and space from the name that ends the resolved
// path.
void TrimName(std::u16string& name) {
  if (!name.empty() && name.back() == u'.') name.pop_back();
}
void TrimLastName(std::u16string& name) {
  while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
}

}  // namespace

PathParts SplitFullPath(const char16_t* path) {
  PathParts parts;
  const char16_t* rest = path;
  SplitRoot(rest, parts);

  std::vector<std::u16string> names;
  bool endsWithSeparator = false;
  for (const char16_t* p = rest; *p;) {
    const bool separator = parts.literal ? *p == u'\\' : IsSeparator(*p);
    if (separator) {
      endsWithSeparator = true;
      ++p;
      continue;
    }
    endsWithSeparator = false;
    std::u16string name;
    while (*p && !(parts.literal ? *p == u'\\' : IsSeparator(*p))) name += *p++;
    names.push_back(std::move(name));
  }

  std::vector<std::u16string>& kept = parts.components;
  for (std::u16string& name : names) {
    if (parts.literal) {
      kept.push_back(std::move(name));
    } else if (name == u"..") {
      if (kept.size() > parts.climbs) {
        kept.pop_back();
      } else if (parts.root == PathParts::Root::kRelative) {
        kept.push_back(std::move(name));
        ++parts.climbs;
      }
    } else if (name != u".") {
      TrimName(name);  // "..." becomes a name "..", not a step up
      kept.push_back(std::move(name));
    }
  }
  // The end is trimmed after the steps: in "a\b \." it is "b " that loses its space.
  if (!parts.literal && !endsWithSeparator && kept.size() > parts.climbs) {
    TrimLastName(kept.back());
    if (kept.back().empty()) {
      kept.pop_back();
      endsWithSeparator = true;
    }
  }
  parts.trailingSeparator = endsWithSeparator && !kept.empty();
  return parts;
}

std::u16string JoinFullPath(const PathParts& parts) {
  std::u16string path = parts.rootText;
  for (size_t i = 0; i < parts.components.size(); ++i) {
    if (i > 0) path += u'\\';
    path += parts.components[i];
  }
  if (parts.trailingSeparator) path += u'\\';
  return path;
}

}  // namespace platform
