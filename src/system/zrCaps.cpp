#include "system/zrCaps.h"

#include <atomic>
#include <iterator>
#include <mutex>
#include <utility>

#include "platform/directx.h"
#include "platform/profile_string.h"
#include "platform/system_info.h"
#include "system/bounded_text.h"
#include "system/caps_publishing.h"
#include "system/cpu_probe.h"
#include "system/directx_version.h"
#include "system/folders.h"
#include "system/os_names.h"
#include "system/trace.h"
#include "system/wide_format.h"
#include "system/zrDDE.h"

namespace {

std::atomic<zrCaps*> currentCaps{nullptr};
// Held while the DDE callback reads an object and while its destruction clears the pointer, so
// that a request served on the DDE thread never reads an object being destroyed.
std::mutex publishedCapsLock;

constexpr size_t kDirectXTextFetchBytes = 128;
// The registry read has always accepted 256 bytes, terminator included.
constexpr size_t kProcessorNameUnits = 128;
constexpr size_t kOemTextUnits = 256;

zrDDE* ReadyDde() {
  zrDDE* dde = zrDDE::Current();
  return dde && dde->IsReady() ? dde : nullptr;
}

uint32_t Mebibytes(uint64_t bytes) {
  return static_cast<uint32_t>(bytes >> 20);
}

}  // namespace

zrCaps::zrCaps(uint32_t flags, int32_t ddeMode) {
  if (currentCaps.load()) return;
  ddeMode_ = ddeMode;
  zrDDE* dde = ddeMode_ == kDdePublish || ddeMode_ == kDdeFetch ? ReadyDde() : nullptr;
  // The server exists from the start, but its items are registered only once the probes have
  // run (below): a request served meanwhile must not read half-probed values.
  if (dde && ddeMode_ == kDdePublish) dde->CreateServer(kCapsServerName);
  const bool fetched = dde && ddeMode_ == kDdeFetch && FetchOverDde(*dde);
  if (fetched) Trace("DDEより環境情報を取得しました");

  if (flags & kProbeOs) ProbeOs();
  if ((flags & kProbeDirectX) && !fetched) ProbeDirectX();
  if ((flags & kProbeCpu) && !fetched) ProbeCpu((flags & kProbeCpuClock) != 0);
  if (flags & kProbeMemory) ProbeMemory();
  if (flags & kProbeOem) ProbeOem();
  currentCaps.store(this);

  if (dde && ddeMode_ == kDdePublish) {
    for (const char* item : {kCapsDirectXCodeItem, kCapsDirectXTextItem, kCapsCpuItem}) {
      dde->RegisterItem(item, AnswerDdeRequest, this);
    }
  }
}

zrCaps::~zrCaps() {
  std::lock_guard<std::mutex> lock(publishedCapsLock);
  zrCaps* self = this;
  currentCaps.compare_exchange_strong(self, nullptr);
}

zrCaps* zrCaps::Current() {
  return currentCaps.load();
}

const CpuInfo* zrCaps::GetCpuInfo(CpuInfo* destination) {
  if (destination) *destination = cpu_;
  return &cpu_;
}

void zrCaps::GetOsInfo(OsInfo* destination) const {
  if (destination) *destination = os_;
}

int32_t zrCaps::AnswerDdeRequest(void* userData, const char16_t* itemName, void** data,
                                 uint32_t* size) {
  std::lock_guard<std::mutex> lock(publishedCapsLock);
  zrCaps* caps = static_cast<zrCaps*>(userData);
  if (!caps || caps != currentCaps.load()) return 0;  // destroyed meanwhile
  return AnswerCapsItem(*caps, itemName, data, size);
}

// Commits nothing unless all three items arrive, so that a failed fetch leaves the object as
// empty as before it.
bool zrCaps::FetchOverDde(zrDDE& dde) {
  dde.Connect(kCapsServerName);  // an existing conversation with the server serves as well
  uint32_t code = 0;
  char16_t text[sizeof directXText_ / sizeof(char16_t)] = {};
  CpuInfo cpu = {};
  if (!dde.GetServerData(kCapsDirectXCodeItem, &code, sizeof code, kCapsServerName) ||
      !dde.GetServerData(kCapsDirectXTextItem, text, kDirectXTextFetchBytes, kCapsServerName) ||
      !dde.GetServerData(kCapsCpuItem, &cpu, sizeof cpu, kCapsServerName)) {
    return false;
  }
  // Another process's texts are terminated here whatever it sent.
  cpu.vendor[sizeof cpu.vendor - 1] = 0;
  cpu.name[std::size(cpu.name) - 1] = 0;
  directXCode_ = code;
  CopyWide(directXText_, text);
  cpu_ = cpu;
  return true;
}

void zrCaps::ProbeOs() {
  platform::OsVersion version;
  if (platform::GetOsVersion(version)) {
    NameOperatingSystem(version.platformId, version.major, version.minor, version.build, os_);
    // A system outside Windows' table names itself.
    if (!version.systemName.empty()) CopyWide(os_.name, version.systemName.c_str());
    CopyWide(os_.servicePack, version.servicePack.c_str());
  }
  SetOsBits(platform::IsOn64BitSystem(), os_);
  platform::OsEdition edition;
  if (platform::GetOsEdition(edition)) {
    CopyWide(os_.edition,
             edition.hasProductType ? GetEditionName(edition.productType) : edition.name.c_str());
  }
}

void zrCaps::ProbeDirectX() {
  if (!platform::HasDirectX()) return;  // nothing to name: code 0, empty text
  DirectXSources sources;
  sources.diagnostics = [](DirectXVersion& version) {
    return platform::QueryDirectXDiagnostics(version.major, version.minor, version.letter);
  };
  sources.fileVersion = platform::GetSystemDllVersion;
  sources.osVersion = platform::GetOrdinaryOsVersion;
  sources.direct3D11Loads = platform::CanLoadDirect3D11;
  const DirectXVersion version = GetDirectXVersion(sources);
  directXCode_ = DirectXCode(version);
  FormatDirectXText(version, directXText_, std::size(directXText_));
}

void zrCaps::ProbeCpu(bool measureClock) {
  cpu_ = {};
  ProbeProcessorFeatures(cpu_);
  cpu_.processorCount = platform::GetProcessorCount();
  platform::GetProcessorDescription(cpu_.registryMHz, cpu_.name, kProcessorNameUnits);
  if (measureClock && cpu_.hasCpuid) cpu_.measuredMHz = MeasureCpuClock();
}

void zrCaps::ProbeMemory() {
  platform::MemoryStatus memory;
  if (!platform::GetMemoryStatus(memory)) return;
  memAvailablePhysical_ = Mebibytes(memory.availablePhysical);
  memTotalPhysical_ = Mebibytes(memory.totalPhysical);
  memAvailablePageFile_ = Mebibytes(memory.availablePageFile);
  memTotalPageFile_ = Mebibytes(memory.totalPageFile);
}

// Windows looks for the maker's file in the Windows folder, then in its "system" and
// "system32" folders; each value is looked for in that order on its own.
void zrCaps::ProbeOem() {
  char16_t windows[260];
  if (!GetSystemFolder(7, windows, std::size(windows))) return;
  char16_t files[3][260];
  FormatWide(files[0], 260, u"%s\\Oeminfo.ini", windows);
  FormatWide(files[1], 260, u"%s\\system\\Oeminfo.ini", windows);
  FormatWide(files[2], 260, u"%s\\system32\\Oeminfo.ini", windows);
  const std::pair<const char16_t*, char16_t*> values[] = {{u"Manufacturer", oemManufacturer_},
                                                          {u"Model", oemModel_}};
  for (const auto& [key, out] : values) {
    for (const char16_t* file : files) {
      if (platform::ReadProfileString(u"General", key, out, kOemTextUnits, file) > 0) break;
    }
  }
}
