// extract: every member written under a folder, read through zrBigFile so that the archive is
// read exactly as the library reads it.
#include <vector>

#include "commands.h"
#include "file/zrArchive.h"
#include "file/zrBigFile.h"
#include "file/zrFile.h"
#include "system/folders.h"

namespace {

// An odd size, so that reads of an enciphered member start and end inside cipher blocks.
constexpr int32_t kChunk = 65536 + 3;

// A member name stays inside the folder: relative, no drive, no empty, "." or ".." part.
bool StaysInside(const std::u16string& name) {
  if (name.empty() || name.find(u':') != std::u16string::npos) return false;
  size_t start = 0;
  while (true) {
    const size_t end = name.find_first_of(u"\\/", start);
    const std::u16string part = name.substr(start, end - start);
    if (part.empty() || part == u"." || part == u"..") return false;
    if (end == std::u16string::npos) return true;
    start = end + 1;
  }
}

bool ExtractMember(zrArchive& archive, const std::u16string& name, const std::u16string& path) {
  zrBigFile member(&archive);
  zrFile out;
  if (!member.Open(name.c_str(), ZRFILE_READ) || !CreateDirectoryTree(path.c_str(), 1) ||
      !out.Open(path.c_str(), ZRFILE_WRITE | ZRFILE_CREATE_ALWAYS)) {
    return false;
  }
  std::vector<char> chunk(kChunk);
  int32_t left = member.GetSize();
  while (left > 0) {
    const int32_t got = member.Read(chunk.data(), kChunk);
    if (got <= 0 || out.Write(chunk.data(), got) != got) return false;
    left -= got;
  }
  return true;
}

}  // namespace

int RunExtract(const Arguments& arguments) {
  CommandArguments parsed;
  if (!ParseCommandArguments("extract", 2, arguments, parsed)) return kExitUsage;
  zrArchive archive;
  if (!MountNamedArchive(parsed, archive)) return kExitFailed;
  // Every name is checked before anything is written.
  for (const auto& [key, entry] : archive.Index()) {
    if (!StaysInside(entry.name)) {
      PrintError("member '" + ToUtf8(entry.name) + "' would land outside the folder");
      return kExitFailed;
    }
  }
  for (const auto& [key, entry] : archive.Index()) {
    const std::u16string path = parsed.paths[1] + u"\\" + entry.name;
    if (!ExtractMember(archive, entry.name, path)) {
      PrintError("cannot extract '" + ToUtf8(entry.name) + "'");
      return kExitFailed;
    }
  }
  return kExitOk;
}
