// What the engine knows about the machine: operating system, DirectX, processor, memory and the
// maker's OEM information, probed once at start-up. One object per process is reachable through
// zrCaps::Current(); a process may publish its slow probes (DirectX, processor) over DDE for the
// engine's other processes, which then fetch them instead of probing again.
#pragma once

#include <cstdint>

// Probe flags.
constexpr uint32_t kProbeOs = 0x01;
constexpr uint32_t kProbeDirectX = 0x02;
constexpr uint32_t kProbeMemory = 0x04;
constexpr uint32_t kProbeCpu = 0x08;
constexpr uint32_t kProbeCpuClock = 0x10;  // with kProbeCpu: also time the processor
constexpr uint32_t kProbeOem = 0x20;

// DDE modes.
constexpr int32_t kDdeNone = 0;
constexpr int32_t kDdePublish = 1;
constexpr int32_t kDdeFetch = 2;

// Operating-system codes (OsInfo::code) that callers compare against.
constexpr uint32_t kOsWindows2000 = 64;
constexpr uint32_t kOsUnknown = 0xFFFF;

struct OsInfo {
  uint32_t code;
  uint32_t major;
  uint32_t minor;
  uint32_t build;
  uint32_t bits;  // 32, or 64 on a 64-bit system
  char16_t name[128];
  char16_t servicePack[128];
  char16_t edition[128];
};

// Also the payload of the DDE item "ZRCAPS_DDE_CPU": its layout is fixed (little-endian).
struct CpuInfo {
  uint32_t type;
  uint32_t family;
  uint32_t model;
  uint32_t stepping;
  char vendor[16];
  uint32_t measuredMHz;
  uint32_t hasCpuid;
  uint32_t hasMmx;
  uint32_t hasCmov;
  uint32_t hasSse;
  uint32_t has3DNow;
  uint32_t processorCount;
  char16_t name[256];
  uint32_t registryMHz;
};
static_assert(sizeof(CpuInfo) == 576, "CpuInfo is exchanged between processes");

class zrDDE;

class zrCaps {
 public:
  // Runs the probes of `flags` and becomes the process-wide object, unless one exists already:
  // then this one stays empty and the existing one stays current.
  zrCaps(uint32_t flags, int32_t ddeMode);
  ~zrCaps();
  zrCaps(const zrCaps&) = delete;
  zrCaps& operator=(const zrCaps&) = delete;

  // The process-wide object, or null.
  static zrCaps* Current();

  // The processor facts; copied to `destination` too when it is not null.
  const CpuInfo* GetCpuInfo(CpuInfo* destination = nullptr);
  void GetOsInfo(OsInfo* destination) const;

  uint32_t directXCode() const { return directXCode_; }
  const char16_t* directXText() const { return directXText_; }
  const char16_t* oemManufacturer() const { return oemManufacturer_; }
  const char16_t* oemModel() const { return oemModel_; }
  uint32_t memAvailablePhysical() const { return memAvailablePhysical_; }
  uint32_t memTotalPhysical() const { return memTotalPhysical_; }
  uint32_t memAvailablePageFile() const { return memAvailablePageFile_; }
  uint32_t memTotalPageFile() const { return memTotalPageFile_; }
  int32_t ddeMode() const { return ddeMode_; }

 private:
  // The DDE callback of the published items (see caps_publishing.h) while `userData` is current.
  static int32_t AnswerDdeRequest(void* userData, const char16_t* itemName, void** data,
                                  uint32_t* size);
  bool FetchOverDde(zrDDE& dde);
  void ProbeOs();
  void ProbeDirectX();
  void ProbeCpu(bool measureClock);
  void ProbeMemory();
  void ProbeOem();

  OsInfo os_ = {};
  uint32_t directXCode_ = 0;
  char16_t directXText_[128] = {};
  CpuInfo cpu_ = {};
  char16_t oemManufacturer_[256] = {};
  char16_t oemModel_[256] = {};
  uint32_t memAvailablePhysical_ = 0;
  uint32_t memTotalPhysical_ = 0;
  uint32_t memAvailablePageFile_ = 0;
  uint32_t memTotalPageFile_ = 0;
  int32_t ddeMode_ = 0;
};
