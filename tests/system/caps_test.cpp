#ifdef _WIN32
#include <gtest/gtest.h>

TEST(Caps, LinuxOnly) {
  GTEST_SKIP() << "compares the probe with uname, /proc/cpuinfo and cpuid, reads a Wine prefix, "
                  "and forks a DDE peer";
}
#else
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "system/zrCaps.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "platform/platform_test_support.h"
#include "support/test_support.h"
#include "system/caps_publishing.h"
#include "system/heap.h"
#include "system/zrDDE.h"

namespace {

using zrtest::Utf8;

constexpr uint32_t kEveryProbeButTheClock = 127 & ~kProbeCpuClock;
constexpr char kFetchedMessage[] = "DDEより環境情報を取得しました";

template <typename Record>
bool IsAllZero(const Record& record) {
  const Record zero = {};
  return std::memcmp(&record, &zero, sizeof record) == 0;
}

void ExpectEmpty(zrCaps& caps) {
  OsInfo os;
  std::memset(&os, 0xAB, sizeof os);
  caps.GetOsInfo(&os);
  EXPECT_TRUE(IsAllZero(os));
  CpuInfo cpu;
  std::memset(&cpu, 0xAB, sizeof cpu);
  EXPECT_TRUE(IsAllZero(*caps.GetCpuInfo(&cpu)));
  EXPECT_TRUE(IsAllZero(cpu));
  EXPECT_EQ(caps.directXCode(), 0u);
  EXPECT_EQ(Utf8(caps.directXText()), "");
  EXPECT_EQ(Utf8(caps.oemManufacturer()), "");
  EXPECT_EQ(Utf8(caps.oemModel()), "");
  EXPECT_EQ(caps.memAvailablePhysical(), 0u);
  EXPECT_EQ(caps.memTotalPhysical(), 0u);
  EXPECT_EQ(caps.memAvailablePageFile(), 0u);
  EXPECT_EQ(caps.memTotalPageFile(), 0u);
}

TEST(Caps, FlagsZeroProbeNothingButTheObjectBecomesCurrent) {
  {
    zrCaps caps(0, kDdeNone);
    EXPECT_EQ(zrCaps::Current(), &caps);
    ExpectEmpty(caps);
  }
  EXPECT_EQ(zrCaps::Current(), nullptr);
}

TEST(Caps, ASecondObjectStaysEmptyAndTheFirstStaysCurrent) {
  zrCaps first(kProbeOs | kProbeMemory, kDdeNone);
  {
    zrCaps second(kEveryProbeButTheClock, kDdePublish);
    EXPECT_EQ(zrCaps::Current(), &first);
    ExpectEmpty(second);
    EXPECT_EQ(second.ddeMode(), kDdeNone);
  }
  EXPECT_EQ(zrCaps::Current(), &first) << "only the current object clears the pointer";
  EXPECT_GT(first.memTotalPhysical(), 0u);
}

// The value of `name` in a "name : value" text such as /proc/cpuinfo, or "".
std::string FieldOf(const std::string& path, const std::string& name) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(name, 0) == 0) return line.substr(line.find_first_of(":=") + 1);
  }
  return "";
}

TEST(Caps, AFullProbeDescribesThisMachine) {
  zrtest::FakeWinePrefix prefix;  // no maker's file in it
  const auto start = std::chrono::steady_clock::now();
  zrCaps caps(kEveryProbeButTheClock, kDdeNone);
  const auto took = std::chrono::steady_clock::now() - start;
  std::cout << "probe without the clock: "
            << std::chrono::duration_cast<std::chrono::microseconds>(took).count() << " us\n";

  utsname names;
  ASSERT_EQ(uname(&names), 0);
  const bool on64 = std::string(names.machine).find("64") != std::string::npos;
  OsInfo os;
  caps.GetOsInfo(&os);
  EXPECT_EQ(os.code, kOsUnknown);
  EXPECT_EQ(os.bits, on64 ? 64u : 32u);
  EXPECT_EQ(Utf8(os.name), std::string(names.sysname) + (on64 ? " (x64)" : " (x86)"));
  unsigned major = 0, minor = 0;
  ASSERT_EQ(std::sscanf(names.release, "%u.%u", &major, &minor), 2);
  EXPECT_EQ(os.major, major);
  EXPECT_EQ(os.minor, minor);
  EXPECT_EQ(Utf8(os.servicePack), "");
  EXPECT_EQ(FieldOf("/etc/os-release", "PRETTY_NAME").empty(), Utf8(os.edition).empty());

  EXPECT_GT(caps.memTotalPhysical(), 0u);
  EXPECT_LE(caps.memAvailablePhysical(), caps.memTotalPhysical());
  EXPECT_GE(caps.memTotalPageFile(), caps.memTotalPhysical());
  EXPECT_LE(caps.memAvailablePageFile(), caps.memTotalPageFile());

  EXPECT_EQ(caps.directXCode(), 0u) << "no DirectX here";
  EXPECT_EQ(Utf8(caps.directXText()), "");
  EXPECT_EQ(Utf8(caps.oemManufacturer()), "");

  const CpuInfo& cpu = *caps.GetCpuInfo();
  EXPECT_EQ(cpu.processorCount, static_cast<uint32_t>(sysconf(_SC_NPROCESSORS_ONLN)));
  EXPECT_EQ(cpu.measuredMHz, 0u) << "the clock is measured only when asked";
  EXPECT_EQ(FieldOf("/proc/cpuinfo", "model name").empty(), Utf8(cpu.name).empty());
  EXPECT_EQ(FieldOf("/proc/cpuinfo", "cpu MHz").empty(), cpu.registryMHz == 0);
#if defined(__i386__) || defined(__x86_64__)
  unsigned highest, vendor[3];
  __cpuid(0, highest, vendor[0], vendor[2], vendor[1]);
  EXPECT_EQ(std::string(cpu.vendor), std::string(reinterpret_cast<const char*>(vendor), 12));
  EXPECT_EQ(cpu.hasCpuid, 1u);
  EXPECT_GE(cpu.family, 4u);
#if defined(__x86_64__)
  EXPECT_EQ(cpu.hasMmx + cpu.hasCmov + cpu.hasSse, 3u) << "every x86-64 processor has these";
#endif
#endif
}

TEST(Caps, TheClockIsMeasuredWithItsFlag) {
#if defined(__i386__) || defined(__x86_64__)
  const auto start = std::chrono::steady_clock::now();
  zrCaps caps(kProbeCpu | kProbeCpuClock, kDdeNone);
  const auto took = std::chrono::steady_clock::now() - start;
  const CpuInfo& cpu = *caps.GetCpuInfo();
  std::cout << "processor probe with the clock: "
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms, "
            << cpu.measuredMHz << " MHz measured, " << cpu.registryMHz << " MHz recorded\n";
  EXPECT_GE(took, std::chrono::milliseconds(250));
  EXPECT_GT(cpu.measuredMHz, 100u);
#else
  GTEST_SKIP() << "no time-stamp counter on this processor";
#endif
}

TEST(Caps, MakersInformationComesFromTheWindowsFolders) {
  zrtest::FakeWinePrefix prefix;
  std::filesystem::create_directories(prefix.DriveC("windows/system32"));
  std::filesystem::create_directories(prefix.DriveC("windows/system"));
  // Each value is looked for in the Windows folder, then in system and system32, on its own.
  std::ofstream(prefix.DriveC("windows/OEMINFO.INI")) << "[General]\r\nManufacturer=Maker\r\n";
  std::ofstream(prefix.DriveC("windows/system32/oeminfo.ini"))
      << "[general]\nModel = \"Model 7\"\nManufacturer=Other\n";
  {
    zrCaps caps(kProbeOem, kDdeNone);
    EXPECT_EQ(Utf8(caps.oemManufacturer()), "Maker");
    EXPECT_EQ(Utf8(caps.oemModel()), "Model 7");
  }
  std::ofstream(prefix.DriveC("windows/system/Oeminfo.ini"))
      << "[General]\nModel=" << std::string(300, 'm') << "\n";
  zrCaps caps(kProbeOem, kDdeNone);
  EXPECT_EQ(Utf8(caps.oemModel()), std::string(255, 'm')) << "cut at the field";
}

class CapsOverDde : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }

  // The payload of `item`, or "no data".
  static std::string Request(zrCaps& caps, const char16_t* item) {
    void* data = nullptr;
    uint32_t size = 0;
    if (!AnswerCapsItem(caps, item, &data, &size)) return "no data";
    std::string bytes(static_cast<const char*>(data), size);
    zrHeapFree(data);
    return bytes;
  }
};

TEST_F(CapsOverDde, TheCallbackAnswersItsThreeItemsOnly) {
  zrCaps caps(kProbeCpu, kDdeNone);
  EXPECT_EQ(Request(caps, u"ZRCAPS_DDE_OTHER"), "no data");
  EXPECT_EQ(Request(caps, u"ZRCAPS_DDE_CPU2"), "no data");
  EXPECT_EQ(Request(caps, u""), "no data");
  EXPECT_EQ(Request(caps, u"ZRCAPS_DDE_DXVER"), std::string(4, '\0'));
  EXPECT_EQ(Request(caps, u"ZRCAPS_DDE_DXSTR"), std::string(4, '\0')) << "2 x 0 + 4 zero bytes";
  EXPECT_EQ(Request(caps, u"ZRCAPS_DDE_CPU"),
            std::string(reinterpret_cast<const char*>(caps.GetCpuInfo()), sizeof(CpuInfo)));
}

// A server of this process that has the DirectX code but none of the other two items.
int32_t AnswerDirectXCodeOnly(void*, const char16_t*, void** data, uint32_t* size) {
  const uint32_t code = 0x00090000;
  *data = zrHeapAlloc(0, sizeof code);
  std::memcpy(*data, &code, sizeof code);
  *size = sizeof code;
  return 1;
}

TEST_F(CapsOverDde, AFailedFetchIsSilentAndKeepsNothingOfIt) {
  zrtest::TempDir runtime;  // a folder of servers of its own
  zrtest::EnvOverride folder("XDG_RUNTIME_DIR", runtime.Path().c_str());
  zrtest::TraceCapture traces;
  zrDDE dde;
  if (!dde.IsReady()) GTEST_SKIP() << "the DDE transport is not ready here";
  ASSERT_EQ(dde.CreateServer(kCapsServerName), 1);
  ASSERT_EQ(dde.RegisterItem(kCapsDirectXCodeItem, AnswerDirectXCodeOnly, nullptr), 1);
  zrCaps caps(0, kDdeFetch);
  EXPECT_FALSE(traces.Contains(kFetchedMessage));
  ExpectEmpty(caps);  // not even the one item that came
}

TEST_F(CapsOverDde, PublishedItemsAreServedWhileTheObjectLives) {
  zrtest::TempDir runtime;
  zrtest::EnvOverride folder("XDG_RUNTIME_DIR", runtime.Path().c_str());
  zrDDE dde;
  if (!dde.IsReady()) GTEST_SKIP() << "the DDE transport is not ready here";
  auto caps = std::make_unique<zrCaps>(kProbeCpu, kDdePublish);
  ASSERT_EQ(dde.Connect(kCapsServerName), 1) << "the publisher serves from this process too";
  CpuInfo cpu = {};
  EXPECT_EQ(dde.GetServerData(kCapsCpuItem, &cpu, sizeof cpu, kCapsServerName), 1);
  EXPECT_EQ(std::memcmp(&cpu, caps->GetCpuInfo(), sizeof cpu), 0);
  char16_t text[64];
  EXPECT_EQ(dde.GetServerData(kCapsDirectXTextItem, text, sizeof text, kCapsServerName), 1);
  // The DDE object outlives the probe: a request after the probe is gone must not read it.
  caps.reset();
  EXPECT_EQ(dde.GetServerData(kCapsCpuItem, &cpu, sizeof cpu, kCapsServerName), 0);
}

// Reads exactly `size` bytes within `seconds`; false when the writer closed or time ran out.
bool ReadWithin(int descriptor, void* buffer, size_t size, int seconds) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    pollfd waiting{descriptor, POLLIN, 0};
    if (poll(&waiting, 1, seconds * 1000) <= 0) return false;
    const ssize_t got = read(descriptor, bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

// Another process publishes its probe; this one fetches it instead of probing.
TEST_F(CapsOverDde, AnotherProcessFetchesWhatOnePublishes) {
  zrtest::TempDir runtime;
  zrtest::EnvOverride folder("XDG_RUNTIME_DIR", runtime.Path().c_str());
  {
    zrDDE dde;
    if (!dde.IsReady()) GTEST_SKIP() << "the DDE transport is not ready here";
  }
  int published[2], finished[2];
  ASSERT_EQ(pipe(published), 0);
  ASSERT_EQ(pipe(finished), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);  // ends a publisher left waiting
    close(published[0]);
    close(finished[1]);
    zrDDE dde;
    zrCaps caps(kProbeCpu | kProbeDirectX, kDdePublish);
    const bool sent = write(published[1], caps.GetCpuInfo(), sizeof(CpuInfo)) ==
                      static_cast<ssize_t>(sizeof(CpuInfo));
    char done;
    const bool told = read(finished[0], &done, 1) == 1;  // serves until then
    _exit(sent && told ? 0 : 1);
  }
  close(published[1]);
  close(finished[0]);
  CpuInfo expected;
  const bool ready = ReadWithin(published[0], &expected, sizeof expected, 10);
  {
    zrtest::TraceCapture traces;
    zrDDE dde;
    zrCaps caps(0, kDdeFetch);  // probes nothing itself
    EXPECT_TRUE(ready) << "the publisher did not start";
    EXPECT_TRUE(traces.Contains(kFetchedMessage));
    EXPECT_EQ(std::memcmp(caps.GetCpuInfo(), &expected, sizeof expected), 0);
    EXPECT_EQ(caps.directXCode(), 0u);
  }
  EXPECT_EQ(write(finished[1], "q", 1), 1);
  close(finished[1]);
  close(published[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
#endif  // _WIN32
