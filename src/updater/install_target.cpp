#include "updater/install_target.h"

#include <cstring>
#include <vector>

#include "file/zrFile.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "system/bounded_text.h"
#include "system/folders.h"
#include "system/numbers.h"
#include "system/paths.h"
#include "system/text_encoding.h"
#include "system/text_search.h"
#include "system/wide_format.h"
#include "updater/update_info.h"

char16_t InstallFolder[260];

namespace {

constexpr size_t kPathCapacity = 260;
// The record and the configuration are a few hundred bytes; anything far larger is not one.
constexpr int32_t kSmallFileLimit = 1 << 20;
// The folder text's buffer: at most 519 bytes with the terminator.
constexpr size_t kFolderBytes = 520;
// Version texts are cut at 129 characters.
constexpr size_t kVersionUnits = 130;

constexpr char kShiftJisHeader[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";
constexpr size_t kShiftJisHeaderLength = sizeof kShiftJisHeader - 1;  // 42

// Reads the whole file, followed by eight zero bytes; false when it cannot be opened, is larger
// than the limit or reads short.
bool ReadSmallFile(const char16_t* path, std::vector<char>& bytes, int32_t& size) {
  zrFile file;
  if (!file.Open(path, ZRFILE_READ | ZRFILE_OPEN_EXISTING)) return false;
  size = file.GetSize();
  if (size < 0 || size > kSmallFileLimit) return false;
  bytes.assign(static_cast<size_t>(size) + 8, 0);
  return size == 0 || file.Read(bytes.data(), size) == size;
}

// WideToInt of the bytes between the first `open` and the first `close`, each byte one unit;
// 0 when a tag is missing or the closing one comes first.
int32_t ReadTaggedNumber(const char* text, const char* open, const char* close) {
  const int start = FindString(text, open);
  const int end = FindString(text, close);
  if (start < 0 || end < 0) return 0;
  char16_t digits[kVersionUnits] = {};
  size_t count = 0;
  for (int i = start + static_cast<int>(std::strlen(open)); i < end; ++i) {
    if (count + 1 >= kVersionUnits) break;
    digits[count++] = static_cast<unsigned char>(text[i]);
  }
  return WideToInt(digits);
}

uint32_t VersionOf(int32_t major, int32_t minor) {
  return (static_cast<uint32_t>(major) << 16) | static_cast<uint32_t>(minor);
}

// Converts the folder text into InstallFolder; false when it does not fit.
bool StoreFolder(const char* text, bool shiftJis) {
  // Each Shift-JIS byte becomes at most three UTF-8 bytes, and each UTF-8 byte at most one unit.
  char utf8[kFolderBytes * 3] = {};
  if (shiftJis) {
    SjisToUtf8(text, utf8, sizeof utf8);
    if (text[0] && !utf8[0]) return false;
  } else {
    CopyNarrow(utf8, text);
  }
  char16_t wide[sizeof utf8] = {};
  const size_t units = Utf8ToWide(utf8, wide, sizeof utf8);
  if (units >= kPathCapacity) return false;
  CopyWide(InstallFolder, wide);
  return true;
}

}  // namespace

AppInstanceGuard::AppInstanceGuard(const char16_t* name) {
  char16_t buffer[1024];
  CopyWide(buffer, name);
  mutex_ = platform::CreateNamedMutex(buffer);
  const uint32_t error = platform::LastError();
  if (mutex_ && error != platform::kErrorAlreadyExists && error != platform::kErrorInvalidHandle) {
    running_ = false;
  }
}

AppInstanceGuard::~AppInstanceGuard() {
  Close();
}

void AppInstanceGuard::Close() {
  platform::CloseNamedMutex(mutex_);
  mutex_ = nullptr;
}

int GetRecordPath(const char16_t* brand, const char16_t* app, char16_t (&path)[260]) {
  path[0] = 0;
  char16_t common[kPathCapacity];
  char16_t fileName[kPathCapacity];
  if (!GetSystemFolder(8, common, kPathCapacity)) return 0;
  // A name cut to fit would be another file.
  if (!app || WideLength(app) + 4 >= kPathCapacity) return 0;
  FormatWide(fileName, kPathCapacity, u"%s.xml", app);
  return JoinPath(path, common, brand ? brand : u"", fileName) != 0;
}

int FindInstallFolder(const char16_t* brand, const char16_t* app) {
  InstallFolder[0] = 0;
  char16_t path[kPathCapacity];
  if (!GetRecordPath(brand, app, path)) return 0;

  std::vector<char> bytes;
  int32_t size = 0;
  if (!ReadSmallFile(path, bytes, size)) return 0;
  const char* text = bytes.data();
  int start = FindString(text, "<path>");
  const int end = FindString(text, "</path>");
  if (start < 0 || end < 0) return 0;
  start += 6;

  const bool shiftJis = size >= static_cast<int32_t>(kShiftJisHeaderLength) &&
                        CompareBytes(text, kShiftJisHeader, kShiftJisHeaderLength) == 0;
  if (start >= end) return 1;
  if (static_cast<size_t>(end - start) >= kFolderBytes) return 0;
  char folder[kFolderBytes] = {};
  std::memcpy(folder, text + start, static_cast<size_t>(end - start));
  if (!StoreFolder(folder, shiftJis)) {
    InstallFolder[0] = 0;
    return 0;
  }
  return 1;
}

uint32_t ReadInstalledVersion() {
  char16_t path[kPathCapacity];
  if (!JoinPath(path, InstallFolder, u"config", u"startup.xml")) return 0;
  std::vector<char> bytes;
  int32_t size = 0;
  if (!ReadSmallFile(path, bytes, size)) return 0;
  const int32_t major = ReadTaggedNumber(bytes.data(), "<major>", "</major>");
  const int32_t minor = ReadTaggedNumber(bytes.data(), "<minor>", "</minor>");
  return VersionOf(major, minor);
}

uint32_t RequiredVersion() {
  return VersionOf(WideToInt(UpdateInfo.version_major), WideToInt(UpdateInfo.version_minor));
}

bool GameProgramRunning() {
  return FindInstallFolder(UpdateInfo.brand, UpdateInfo.app) && InstallFolder[0] != 0 &&
         platform::ProgramRunsFrom(InstallFolder);
}

int VerifyInstallTarget(platform::WindowHandle window) {
  if (!FindInstallFolder(UpdateInfo.brand, UpdateInfo.app) || InstallFolder[0] == 0) {
    platform::ShowMessageBox(window, CurrentLanguage.error_inst, CurrentLanguage.wndtitle,
                             platform::kMessageBoxOk);
    return 0;
  }
  if (ReadInstalledVersion() < RequiredVersion()) {
    platform::ShowMessageBox(window, CurrentLanguage.error_version, CurrentLanguage.title,
                             platform::kMessageBoxOk);
    return 0;
  }
  return 1;
}
