// zrpackage version FILE: the version record of an executable or library, as the updater reads
// it when it decides whether to replace an installed file.
#include <cstdio>

#include "commands.h"
#include "file/file_version.h"
#include "json_writer.h"

namespace {

std::string Describe(const FileVersionRecord& record) {
  JsonWriter json;
  json.BeginObject();
  json.String("Comments", record.Comments);
  json.String("CompanyName", record.CompanyName);
  json.String("FileDescription", record.FileDescription);
  json.String("FileVersion", record.FileVersion);
  json.String("InternalName", record.InternalName);
  json.String("LegalCopyright", record.LegalCopyright);
  json.String("LegalTrademarks", record.LegalTrademarks);
  json.String("OriginalFilename", record.OriginalFilename);
  json.String("ProductName", record.ProductName);
  json.String("ProductVersion", record.ProductVersion);
  json.String("PrivateBuild", record.PrivateBuild);
  json.String("SpecialBuild", record.SpecialBuild);
  json.Number("version_high", record.version_high);
  json.Number("version_low", record.version_low);
  json.BeginArray("version");
  json.Number(nullptr, record.version_high >> 16);
  json.Number(nullptr, record.version_high & 0xFFFF);
  json.Number(nullptr, record.version_low >> 16);
  json.Number(nullptr, record.version_low & 0xFFFF);
  json.EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace

int RunVersion(const Arguments& arguments) {
  if (arguments.size() != 1) {
    PrintError("version needs exactly one file");
    return kExitUsage;
  }
  FileVersionRecord record;
  if (!ReadFileVersion(arguments[0].c_str(), record)) {
    PrintError("no version resource in '" + ToUtf8(arguments[0]) + "'");
    return kExitFailed;
  }
  const std::string text = Describe(record);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return kExitOk;
}
