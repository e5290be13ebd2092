#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// The library's form of a native path: the same text with backslashes.
std::u16string LibraryPath(const std::string& native) {
  std::u16string path = Utf8ToUtf16(native);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return path;
}

size_t CopyOut(const std::u16string& text, char16_t* out, size_t capacity) {
  if (!out || text.size() + 1 > capacity) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  text.copy(out, text.size());
  out[text.size()] = 0;
  return text.size();
}

std::u16string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return std::u16string();
    buffer.resize(buffer.size() * 2);
  }
  return LibraryPath(buffer.data());
}

}  // namespace

void TerminateProcess(int exitCode) {
  _exit(exitCode);
}

size_t GetCurrentDirectory(char16_t* out, size_t capacity) {
  const std::u16string current = CurrentDirectory();
  if (current.empty()) {
    SetLastError(ErrorFromErrno(errno));
    return 0;
  }
  return CopyOut(current, out, capacity);
}

bool SetCurrentDirectory(const char16_t* path) {
  const std::string native = NativePath(path);
  if (native.empty() || chdir(native.c_str()) != 0) {
    SetLastError(native.empty() || errno == ENOENT ? kErrorFileNotFound : ErrorFromErrno(errno));
    return false;
  }
  return true;
}

// Like GetFullPathNameW: "." and ".." resolved, separators made backslashes, a trailing separator
// kept. Drive paths stay drive paths; POSIX paths ("\tmp\x" or "/tmp/x") keep their root "\"; a
// relative path is resolved against the current directory.
size_t GetFullPath(const char16_t* path, char16_t* out, size_t capacity) {
  if (!path || !*path) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  std::u16string root;
  std::u16string rest;
  const bool drive =
      ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
      path[1] == u':';
  if (drive) {
    root = std::u16string(path, 2) + u"\\";
    rest = path + 2;
  } else if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    root = u"\\\\";  // a network path: its server and share stay as they are
    rest = path + 2;
  } else if (IsSeparator(path[0])) {
    root = u"\\";
    rest = path + 1;
  } else {
    const std::u16string current = CurrentDirectory();
    if (current.empty()) {
      SetLastError(ErrorFromErrno(errno));
      return 0;
    }
    const std::u16string joined = current + u"\\" + path;
    return GetFullPath(joined.c_str(), out, capacity);
  }

  std::vector<std::u16string> parts;
  std::u16string part;
  auto flush = [&] {
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char16_t c : rest) {
    if (IsSeparator(c)) {
      flush();
    } else {
      part += c;
    }
  }
  flush();

  std::u16string full = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) full += u'\\';
    full += parts[i];
  }
  if (!parts.empty() && IsSeparator(rest.empty() ? 0 : rest.back())) full += u'\\';
  return CopyOut(full, out, capacity);
}

}  // namespace platform
