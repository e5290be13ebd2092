// zrpackage plan DIR: a dry run of an update from the package folder DIR. It runs the updater's
// own checks in the updater's order from the package folder, hears the messages the updater would
// show instead of showing them, lists the files the update would copy and the lines install.log
// would hold afterwards, and writes nothing.
#include <cstdio>
#include <optional>
#include <vector>

#include "commands.h"
#include "json_writer.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "system/paths.h"
#include "system/wide_format.h"
#include "updater/install_log.h"
#include "updater/install_target.h"
#include "updater/update_files.h"
#include "updater/update_info.h"
#include "updater/zrTextLog.h"

namespace {

struct HeardMessage {
  std::u16string text;
  std::u16string caption;
};

// Answers every message box with OK and keeps the last one, for as long as it lives.
class MessageListener {
 public:
  MessageListener() { previous_ = platform::SetMessageBoxHandler(Hear); }
  ~MessageListener() { platform::SetMessageBoxHandler(previous_); }
  static const std::optional<HeardMessage>& Last() { return last(); }

 private:
  static std::optional<HeardMessage>& last() {
    static std::optional<HeardMessage> message;
    return message;
  }
  static int Hear(const platform::MessageBoxRequest& request) {
    last() = HeardMessage{request.text, request.caption};
    return platform::kAnswerOk;
  }
  platform::MessageBoxHandler previous_;
};

// A file of the update in the order the updater meets it, with what the exe/dll rule saw.
struct PlannedFile {
  std::u16string relative;
  std::optional<VersionCheck> check;
  bool listed;
};

std::u16string VersionText(const FileVersionRecord& record) {
  char16_t text[64];
  FormatWide(text, 64, u"%u.%u.%u.%u", record.version_high >> 16, record.version_high & 0xFFFF,
             record.version_low >> 16, record.version_low & 0xFFFF);
  return text;
}

void WriteVersion(JsonWriter& json, const char* key, uint32_t version) {
  json.BeginObject(key);
  json.Number("major", version >> 16);
  json.Number("minor", version & 0xFFFF);
  json.EndObject();
}

void WriteMessage(JsonWriter& json, const std::optional<HeardMessage>& message) {
  if (!message) {
    json.Null("message");
    return;
  }
  json.BeginObject("message");
  json.String("text", message->text);
  json.String("caption", message->caption);
  json.EndObject();
}

// The update's files in the updater's order, or nothing when the updater would refuse one. The
// rule's verdicts arrive before a file is listed; a rejected file takes its place among the
// listed ones by the list's length at that moment.
std::optional<std::vector<PlannedFile>> PlanFiles() {
  std::vector<std::pair<size_t, VersionCheck>> checks;
  const int listed = ListUpdateFiles(nullptr, [&checks](const VersionCheck& check) {
    checks.emplace_back(UpdateFileList.size(), check);
  });
  if (!listed) return std::nullopt;
  std::vector<PlannedFile> files;
  auto check = checks.begin();
  for (size_t index = 0;; ++index) {
    std::optional<VersionCheck> accepted;
    for (; check != checks.end() && check->first == index; ++check) {
      if (check->second.accepted) {
        accepted = check->second;
      } else {
        files.push_back({check->second.relative, check->second, false});
      }
    }
    if (index == UpdateFileList.size()) break;
    files.push_back({UpdateFileList[index], accepted, true});
  }
  return files;
}

void WriteFiles(JsonWriter& json, const std::vector<PlannedFile>& files) {
  json.BeginArray("files");
  for (const PlannedFile& file : files) {
    json.BeginObject();
    json.String("path", file.relative);
    json.String("decision", file.listed ? u"copy" : u"skip");
    if (file.check) {
      json.BeginObject("version_rule");
      if (file.check->sourceHasVersion) {
        json.String("package_version", VersionText(file.check->source));
      } else {
        json.Null("package_version");
      }
      if (file.check->destinationHasVersion) {
        json.String("installed_version", VersionText(file.check->destination));
      } else {
        json.Null("installed_version");
      }
      json.EndObject();
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteInstallLogPreview(JsonWriter& json) {
  char16_t path[260];
  json.BeginObject("install_log");
  if (!JoinPath(path, DestinationRoot, u"install.log")) {
    json.Null("path");
    json.EndObject();
    return;
  }
  zrTextLog log;
  log.UseShiftJis();
  MergeUpdateIntoLog(log, path, UpdateFileList);
  json.String("path", path);
  json.BeginArray("lines");
  for (const std::u16string& line : log.Lines()) json.String(nullptr, line);
  json.EndArray();
  json.EndObject();
}

// Runs the checks in the updater's order and writes what each found; the verdict is the first
// failure's, or "ok".
const char16_t* Plan(JsonWriter& json) {
  AppInstanceGuard game(UpdateInfo.mutex);
  AppInstanceGuard configuration(UpdateInfo.confmutex);
  json.BeginObject("running");
  json.Bool("mutex", game.running());
  json.Bool("confmutex", configuration.running());
  json.EndObject();
  if (game.running() || configuration.running()) {
    json.BeginObject("message");
    json.String("text", CurrentLanguage.boot);
    json.String("caption", CurrentLanguage.wndtitle);
    json.EndObject();
    return u"running";
  }

  char16_t record[260];
  if (GetRecordPath(UpdateInfo.brand, UpdateInfo.app, record)) {
    json.String("record", record);
  } else {
    json.Null("record");
  }
  const int verified = VerifyInstallTarget(nullptr);
  json.String("install_folder", InstallFolder);
  if (InstallFolder[0]) WriteVersion(json, "installed_version", ReadInstalledVersion());
  WriteVersion(json, "required_version", RequiredVersion());
  if (!verified) {
    WriteMessage(json, MessageListener::Last());
    return InstallFolder[0] ? u"version_too_old" : u"not_installed";
  }

  if (!EnterDataFolder(nullptr)) {
    WriteMessage(json, MessageListener::Last());
    return u"no_data_folder";
  }
  const std::optional<std::vector<PlannedFile>> files = PlanFiles();
  if (!files) {
    WriteMessage(json, MessageListener::Last());
    return u"unusable_entry";
  }
  WriteFiles(json, *files);
  WriteInstallLogPreview(json);
  json.Null("message");
  return u"ok";
}

}  // namespace

int RunPlan(const Arguments& arguments) {
  PackageArguments parsed;
  if (!ParsePackageArguments("plan", arguments, parsed)) return kExitUsage;
  // The updater runs from its package folder.
  if (!platform::SetCurrentDirectory(parsed.folder.c_str()) || !LoadUpdateInfo()) {
    PrintError("cannot load updateinfo.xml in '" + ToUtf8(parsed.folder) + "'");
    return kExitFailed;
  }
  SelectLanguage(parsed.uiLanguage);

  MessageListener listener;
  JsonWriter json;
  json.BeginObject();
  json.String("package", parsed.folder);
  const std::u16string verdict = Plan(json);
  json.String("verdict", verdict);
  json.EndObject();
  const std::string text = json.Text();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return verdict == u"ok" ? kExitOk : kExitFailed;
}
