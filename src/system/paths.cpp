#include "system/paths.h"

#include "system/bounded_text.h"
#include "system/text_encoding.h"

namespace {

template <typename Char>
bool IsSeparator(Char c) {
  return c == '\\' || c == '/';
}

template <typename Char>
size_t Length(const Char* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// Index of the last separator, or -1. In Shift-JIS text the trail byte of a double-byte
// character may be 0x5C, so the narrow scan steps over whole characters.
ptrdiff_t LastSeparator(const char16_t* path) {
  ptrdiff_t last = -1;
  for (size_t i = 0; path[i] != 0; ++i) {
    if (IsSeparator(path[i])) last = static_cast<ptrdiff_t>(i);
  }
  return last;
}

ptrdiff_t LastSeparator(const char* path) {
  ptrdiff_t last = -1;
  size_t i = 0;
  while (path[i] != 0) {
    if (IsSjisPair(path + i)) {
      i += 2;
      continue;
    }
    if (IsSeparator(path[i])) last = static_cast<ptrdiff_t>(i);
    ++i;
  }
  return last;
}

// Index of the last "." after the last separator, or -1. A "." is never a Shift-JIS trail byte,
// so only the separator scan needs the character steps.
template <typename Char>
ptrdiff_t LastDot(const Char* path) {
  const ptrdiff_t separator = LastSeparator(path);
  ptrdiff_t dot = -1;
  for (size_t i = static_cast<size_t>(separator + 1); path[i] != 0; ++i) {
    if (path[i] == '.') dot = static_cast<ptrdiff_t>(i);
  }
  return dot;
}

// Copies `count` units and terminates, or leaves `out` empty and fails when they do not fit.
template <typename Char>
bool CopyPart(Char* out, size_t capacity, const Char* source, size_t count) {
  if (out == nullptr || capacity == 0) return false;
  if (count >= capacity) {
    out[0] = 0;
    return false;
  }
  for (size_t i = 0; i < count; ++i) out[i] = source[i];
  out[count] = 0;
  return true;
}

template <typename Char>
int DirectoryPart(const Char* path, Char* out, size_t capacity) {
  if (out != nullptr && capacity > 0) out[0] = 0;
  if (path == nullptr) return 0;
  const ptrdiff_t separator = LastSeparator(path);
  if (separator <= 0) return 0;
  if (out == nullptr) return 1;
  return CopyPart(out, capacity, path, static_cast<size_t>(separator)) ? 1 : 0;
}

template <typename Char>
int FileNamePart(const Char* path, Char* out, size_t capacity) {
  if (out == nullptr || capacity == 0) return 0;
  out[0] = 0;
  if (path == nullptr) return 0;
  const ptrdiff_t separator = LastSeparator(path);
  // A separator at index 0 (a rooted single name) stays with the name.
  const size_t start = separator > 0 ? static_cast<size_t>(separator + 1) : 0;
  return CopyPart(out, capacity, path + start, Length(path + start)) ? 1 : 0;
}

template <typename Char>
int ReplaceExtensionOf(Char* path, size_t capacity, const Char* extension) {
  if (path == nullptr) return 0;
  const ptrdiff_t dot = LastDot(path);
  const size_t stem = dot >= 0 ? static_cast<size_t>(dot) : Length(path);
  if (extension == nullptr) {
    path[stem] = 0;
    return 1;
  }
  const size_t extensionLength = Length(extension);
  // The path is changed only when the new one fits whole.
  if (stem + 1 + extensionLength >= capacity) return 0;
  path[stem] = '.';
  for (size_t i = 0; i < extensionLength; ++i) path[stem + 1 + i] = extension[i];
  path[stem + 1 + extensionLength] = 0;
  return 1;
}

}  // namespace

size_t JoinPath(char16_t* destination, size_t capacity,
                std::initializer_list<const char16_t*> parts) {
  if (destination == nullptr || capacity == 0) return 0;
  destination[0] = 0;
  if (parts.size() == 0) return 0;

  auto part = parts.begin();
  const char16_t* first = *part == nullptr ? u"" : *part;
  size_t length = WideLength(first);
  const bool shortRoot = (length >= 2 && first[1] == u':' && length < 4) ||
                         (length >= 2 && first[0] == u'\\' && first[1] == u'\\' && length < 3);
  if (shortRoot) {
    while (length > 0 && first[length - 1] == u'\\') --length;
  } else if (length > 0 && first[length - 1] == u'\\') {
    --length;
  }
  if (length >= capacity) return 0;
  for (size_t i = 0; i < length; ++i) destination[i] = first[i];
  destination[length] = 0;

  for (++part; part != parts.end(); ++part) {
    const char16_t* next = *part == nullptr ? u"" : *part;
    const size_t nextLength = WideLength(next);
    // "\" + part, less the one backslash the result then ends in (an empty part ends in the
    // separator just added, so it adds nothing).
    size_t added = nextLength;
    if (nextLength > 0 && next[nextLength - 1] != u'\\') ++added;
    if (nextLength == 0) added = 0;
    if (length + added >= capacity) {
      destination[0] = 0;  // a cut path would name another file
      return 0;
    }
    if (added == 0) continue;
    destination[length] = u'\\';
    for (size_t i = 0; i + 1 < added; ++i) destination[length + 1 + i] = next[i];
    length += added;
    destination[length] = 0;
  }
  return length;
}

int GetDirectoryPart(const char16_t* path, char16_t* out, size_t capacity) {
  return DirectoryPart(path, out, capacity);
}

int GetDirectoryPartA(const char* path, char* out, size_t capacity) {
  return DirectoryPart(path, out, capacity);
}

int GetFileNamePart(const char16_t* path, char16_t* out, size_t capacity) {
  return FileNamePart(path, out, capacity);
}

int GetFileNamePartA(const char* path, char* out, size_t capacity) {
  return FileNamePart(path, out, capacity);
}

const char16_t* GetExtension(const char16_t* path) {
  if (path == nullptr) return nullptr;
  const ptrdiff_t dot = LastDot(path);
  return dot >= 0 ? path + dot + 1 : path + Length(path);
}

int HasExtension(const char16_t* path) {
  if (path == nullptr) return 0;
  for (size_t i = Length(path); i > 0; --i) {
    if (path[i - 1] == u'.') return 1;
    if (IsSeparator(path[i - 1])) return 0;
  }
  return 0;
}

int ReplaceExtension(char16_t* path, size_t capacity, const char16_t* extension) {
  return ReplaceExtensionOf(path, capacity, extension);
}

int ReplaceExtensionA(char* path, size_t capacity, const char* extension) {
  return ReplaceExtensionOf(path, capacity, extension);
}
