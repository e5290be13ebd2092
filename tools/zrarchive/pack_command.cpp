// pack: every file under a folder, named by its relative Windows path.
#include <vector>

#include "commands.h"
#include "common/tool_files.h"
#include "file/archive_format.h"
#include "platform/file_system.h"

namespace {

constexpr uint32_t kHandleLimit = 16;

struct Source {
  std::u16string name;  // relative, "\"-separated
  std::u16string path;
};

// Files below `folder`, depth first; links to folders are not followed, so a loop cannot form.
void Collect(const std::u16string& folder, const std::u16string& prefix,
             std::vector<Source>& sources) {
  platform::FindData data;
  const std::u16string pattern = folder + u"\\*";
  const platform::FindHandle search = platform::FindFirstFile(pattern.c_str(), &data);
  if (search == platform::kInvalidFindHandle) return;
  do {
    const std::u16string name = data.name;
    if (name == u"." || name == u"..") continue;
    const std::u16string path = folder + u"\\" + name;
    const std::u16string relative = prefix.empty() ? name : prefix + u"\\" + name;
    if (data.attributes & platform::kAttributeDirectory) {
      if (!(data.attributes & platform::kAttributeReparsePoint)) {
        Collect(path, relative, sources);
      }
    } else {
      sources.push_back({relative, path});
    }
  } while (platform::FindNextFile(search, &data));
  platform::FindClose(search);
}

}  // namespace

int RunPack(const Arguments& arguments) {
  CommandArguments parsed;
  if (!ParseCommandArguments("pack", 2, arguments, parsed)) return kExitUsage;
  const std::u16string& folder = parsed.paths[0];
  const uint32_t attributes = platform::GetFileAttributes(folder.c_str());
  if (attributes == platform::kInvalidAttributes || !(attributes & platform::kAttributeDirectory)) {
    PrintError("'" + ToUtf8(folder) + "' is not a folder");
    return kExitFailed;
  }
  std::vector<Source> sources;
  Collect(folder, u"", sources);

  archive_format::Writer writer;
  if (!writer.Create(parsed.paths[1].c_str(), kHandleLimit, parsed.key.data(),
                     static_cast<uint32_t>(parsed.key.size()))) {
    PrintError(writer.Reason());
    return kExitFailed;
  }
  std::vector<uint8_t> bytes;
  for (const Source& source : sources) {
    if (!ReadWholeFile(source.path, bytes)) {
      PrintError("cannot read '" + ToUtf8(source.path) + "'");
      return kExitFailed;
    }
    if (!writer.Add(source.name, bytes.data(), static_cast<uint32_t>(bytes.size()), 0)) {
      PrintError(ToUtf8(source.name) + ": " + writer.Reason());
      return kExitFailed;
    }
  }
  if (!writer.Finish()) {
    PrintError(writer.Reason());
    return kExitFailed;
  }
  return kExitOk;
}
