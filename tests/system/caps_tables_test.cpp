// The probe's tables: Windows names and codes, editions and the DirectX rules, driven with
// made-up systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "platform/system_info.h"
#include "support/test_support.h"
#include "system/directx_version.h"
#include "system/os_names.h"

namespace {

using zrtest::Utf8;

// "code name major.minor.build" of a version record.
std::string Name(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build, bool on64) {
  OsInfo os = {};
  NameOperatingSystem(platformId, major, minor, build, os);
  SetOsBits(on64, os);
  EXPECT_EQ(os.bits, on64 ? 64u : 32u);
  return std::to_string(os.code) + " " + Utf8(os.name) + " " + std::to_string(os.major) + "." +
         std::to_string(os.minor) + "." + std::to_string(os.build);
}

TEST(OsNames, WindowsVersionsByCodeAndName) {
  using platform::kPlatformWindowsNt;
  EXPECT_EQ(Name(kPlatformWindowsNt, 10, 0, 19045, true), "100 Windows 10 (x64) 10.0.19045");
  EXPECT_EQ(Name(kPlatformWindowsNt, 6, 1, 7601, false), "97 Windows 7 (x86) 6.1.7601");
  EXPECT_EQ(Name(kPlatformWindowsNt, 6, 3, 9600, true), "99 Windows 8.1 (x64) 6.3.9600");
  EXPECT_EQ(Name(kPlatformWindowsNt, 3, 51, 1057, false), "32 Windows NT 3.x (x86) 3.51.1057");
  // NT versions without a row of their own.
  EXPECT_EQ(Name(kPlatformWindowsNt, 5, 2, 3790, false), "16 Windows NT (x86) 5.2.3790");
  EXPECT_EQ(Name(kPlatformWindowsNt, 6, 4, 9841, false), "16 Windows NT (x86) 6.4.9841");
  EXPECT_EQ(Name(kPlatformWindowsNt, 11, 0, 1, true), "16 Windows NT (x64) 11.0.1");
}

TEST(OsNames, Windows9xUnpacksItsBuildNumberAndOthersAreUnknown) {
  using platform::kPlatformWindows9x;
  EXPECT_EQ(Name(kPlatformWindows9x, 4, 10, 0x040A08AE, false), "3 Windows 98 (x86) 4.10.2222");
  EXPECT_EQ(Name(kPlatformWindows9x, 4, 0, 0x040003B6, false), "2 Windows 95 (x86) 4.0.950");
  EXPECT_EQ(Name(kPlatformWindows9x, 4, 90, 0x045A0BB8, false), "4 Windows Me (x86) 4.90.3000");
  EXPECT_EQ(Name(kPlatformWindows9x, 4, 3, 0x04030001, false), "15 Windows 9x (x86) 4.3.1");
  EXPECT_EQ(Name(platform::kPlatformWin32s, 3, 11, 7, false), "1  (x86) 3.11.7");
  EXPECT_EQ(Name(platform::kPlatformOther, 6, 1, 0, true), "65535 OS Unknown... (x64) 6.1.0");
}

TEST(OsNames, SuffixIsCutAtTheField) {
  OsInfo os = {};
  std::fill(os.name, os.name + 125, u'n');
  SetOsBits(true, os);
  EXPECT_EQ(Utf8(os.name), std::string(125, 'n') + " (");
}

TEST(OsNames, EditionsOfProductTypes) {
  EXPECT_EQ(Utf8(GetEditionName(0)), "An unknown product");
  EXPECT_EQ(Utf8(GetEditionName(48)), "Professional");
  EXPECT_EQ(Utf8(GetEditionName(55)), "Server For SB Solutions EM");
  EXPECT_EQ(Utf8(GetEditionName(71)), "Not supported");
  EXPECT_EQ(Utf8(GetEditionName(84)), "Enterprise N (evaluation installation)");
  EXPECT_EQ(Utf8(GetEditionName(103)), "Professional with Media Center");
  for (uint32_t type : {57u, 58u, 65u, 73u, 78u, 81u, 85u, 94u, 102u, 104u, 0x3000u}) {
    EXPECT_EQ(Utf8(GetEditionName(type)), "") << type;
  }
}

// A made-up system for the DirectX rules.
struct FakeSystem {
  bool diagnosticsWork = false;
  DirectXVersion diagnostics{};
  std::map<std::u16string, uint64_t> dlls;
  bool osKnown = true;
  uint32_t osMajor = 10, osMinor = 0, osBuild = 19045;
  bool direct3D11 = false;
  int dllQueries = 0;

  DirectXSources Sources() {
    DirectXSources sources;
    sources.diagnostics = [this](DirectXVersion& version) {
      if (diagnosticsWork) version = diagnostics;
      return diagnosticsWork;
    };
    sources.fileVersion = [this](const char16_t* name, uint64_t& version) {
      ++dllQueries;
      const auto found = dlls.find(name);
      if (found == dlls.end()) return false;
      version = found->second;
      return true;
    };
    sources.osVersion = [this](uint32_t& major, uint32_t& minor, uint32_t& build) {
      major = osMajor;
      minor = osMinor;
      build = osBuild;
      return osKnown;
    };
    sources.direct3D11Loads = [this] { return direct3D11; };
    return sources;
  }

  // "text" and code of the probe's answer.
  std::pair<std::string, uint32_t> Probe() {
    const DirectXVersion version = GetDirectXVersion(Sources());
    char16_t text[128];
    FormatDirectXText(version, text, 128);
    return {Utf8(text), DirectXCode(version)};
  }
};

constexpr uint64_t V(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  return a << 48 | b << 32 | c << 16 | d;
}

TEST(DirectXVersionRules, DiagnosticsServiceFirst) {
  FakeSystem system;
  system.diagnosticsWork = true;
  system.diagnostics = {9, 0, u'C'};
  system.dlls[u"d3d9.dll"] = V(6, 0, 0, 1);
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"9.0c", 0x00090003}));
  EXPECT_EQ(system.dllQueries, 0) << "the DLLs are asked only when the service fails";
  system.diagnostics = {9, 0, u' '};
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"9.0 ", 0x00090000}));
}

TEST(DirectXVersionRules, TwelveCountsAsElevenWhereDirect3D11Exists) {
  FakeSystem system;
  system.diagnosticsWork = true;
  system.diagnostics = {12, 0, u' '};
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"11.0", 0x000B0000}));
  system.osMajor = 6;
  system.osMinor = 1;
  EXPECT_EQ(system.Probe().first, "11.0");
  system.osMinor = 0;
  system.osBuild = 6003;
  EXPECT_EQ(system.Probe().first, "11.0");
  system.osBuild = 6002;  // Vista SP2: only with Direct3D 11 installed
  EXPECT_EQ(system.Probe().first, "12.0 ");
  system.direct3D11 = true;
  EXPECT_EQ(system.Probe().first, "11.0");
  system.osBuild = 6001;
  EXPECT_EQ(system.Probe().first, "12.0 ");
  system.osMajor = 10;
  system.osKnown = false;
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"12.0 ", 0x000C0000}));
}

TEST(DirectXVersionRules, DllVersionsWhenTheServiceFails) {
  FakeSystem system;
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"0.0 ", 0u}));
  system.dlls[u"d3d9.dll"] = V(5, 3, 2600, 5512);
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"9.0 ", 0x00090000}));

  system.dlls = {{u"ddraw.dll", V(4, 7, 0, 700)}, {u"dinput.dll", V(4, 7, 0, 716)}};
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"7.0a", 0x00070001}));
  system.dlls[u"dinput.dll"] = V(4, 7, 0, 715);
  EXPECT_EQ(system.Probe().first, "7.0 ");
  system.dlls = {{u"ddraw.dll", V(4, 3, 0, 1096)}, {u"d3drg8x.dll", V(4, 4, 0, 70)}};
  EXPECT_EQ(system.Probe().first, "3.0a") << "a later matching rule overwrites an earlier one";
  system.dlls = {{u"ddraw.dll", V(4, 6, 0, 436)}, {u"dplayx.dll", V(4, 6, 3, 518)}};
  EXPECT_EQ(system.Probe().first, "6.1a");
  system.dlls = {{u"d3d8.dll", V(5, 1, 2600, 901)}, {u"mpg2splt.ax", V(6, 3, 1, 885)}};
  EXPECT_EQ(system.Probe(), (std::pair<std::string, uint32_t>{"8.1b", 0x00080102}));
  system.dlls = {{u"dpnet.dll", V(5, 2, 3677, 134)}};
  EXPECT_EQ(system.Probe().first, "8.2 ");
}

TEST(DirectXVersionRules, SplitMinimumsHoldOnlyForTheirFirstNumber) {
  FakeSystem system;
  system.dlls = {{u"ddraw.dll", V(5, 1, 2258, 400)}};
  EXPECT_EQ(system.Probe().first, "8.0 ");
  system.dlls = {{u"ddraw.dll", V(5, 1, 2258, 399)}};
  EXPECT_EQ(system.Probe().first, "7.0 ");  // past every single minimum, short of 5's
  system.dlls = {{u"ddraw.dll", V(6, 0, 0, 0)}};
  EXPECT_EQ(system.Probe().first, "7.0 ") << "a first number of 6 matches no split rule";
  system.dlls = {{u"dpnet.dll", V(4, 9, 0, 133)}};
  EXPECT_EQ(system.Probe().first, "0.0 ");
}

}  // namespace
