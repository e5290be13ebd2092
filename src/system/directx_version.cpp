#include "system/directx_version.h"

#include "system/wide_format.h"

namespace {

constexpr uint64_t Version(uint64_t major, uint64_t minor, uint64_t build, uint64_t revision) {
  return (major << 48) | (minor << 32) | (build << 16) | revision;
}

// One rule of the DLL table: the file at `minimum` or later (or, with `minimumMajor5` set, at
// the minimum for its first version number, 4 or 5) gives the result.
struct DllRule {
  const char16_t* dll;
  uint64_t minimum;
  uint64_t minimumMajor5;  // 0: one minimum for every version
  DirectXVersion result;
};

constexpr DllRule kDllRules[] = {
    {u"ddraw.dll", Version(4, 2, 0, 95), 0, {1, 0, u' '}},
    {u"ddraw.dll", Version(4, 3, 0, 1096), 0, {2, 0, u' '}},
    {u"ddraw.dll", Version(4, 4, 0, 68), 0, {3, 0, u' '}},
    {u"d3drg8x.dll", Version(4, 4, 0, 70), 0, {3, 0, u'a'}},
    {u"ddraw.dll", Version(4, 5, 0, 155), 0, {5, 0, u' '}},
    {u"ddraw.dll", Version(4, 6, 0, 318), 0, {6, 0, u' '}},
    {u"ddraw.dll", Version(4, 6, 0, 436), 0, {6, 1, u' '}},
    {u"dplayx.dll", Version(4, 6, 3, 518), 0, {6, 1, u'a'}},
    {u"ddraw.dll", Version(4, 7, 0, 700), 0, {7, 0, u' '}},
    {u"dinput.dll", Version(4, 7, 0, 716), 0, {7, 0, u'a'}},
    {u"ddraw.dll", Version(4, 8, 0, 400), Version(5, 1, 2258, 400), {8, 0, u' '}},
    {u"d3d8.dll", Version(4, 8, 1, 881), Version(5, 1, 2600, 881), {8, 1, u' '}},
    {u"d3d8.dll", Version(4, 8, 1, 901), Version(5, 1, 2600, 901), {8, 1, u'a'}},
    {u"mpg2splt.ax", Version(6, 3, 1, 885), 0, {8, 1, u'b'}},
    {u"dpnet.dll", Version(4, 9, 0, 134), Version(5, 2, 3677, 134), {8, 2, u' '}},
    {u"d3d9.dll", 0, 0, {9, 0, u' '}},  // any version information at all
};

bool Matches(const DllRule& rule, uint64_t version) {
  if (rule.minimumMajor5 == 0) return version >= rule.minimum;
  switch (version >> 48) {
    case 4:
      return version >= rule.minimum;
    case 5:
      return version >= rule.minimumMajor5;
    default:
      return false;
  }
}

// Every matching rule overwrites the one before.
DirectXVersion VersionFromDlls(const DirectXSources& sources) {
  DirectXVersion result{0, 0, u' '};
  for (const DllRule& rule : kDllRules) {
    uint64_t version = 0;
    if (sources.fileVersion(rule.dll, version) && Matches(rule, version)) result = rule.result;
  }
  return result;
}

// Diagnostics report versions past 11 (12 on Windows 10) that the engine treats as 11.0, when
// the system can have Direct3D 11: 6.1 and later, 6.0 past build 6002, and 6.0 build 6002
// (Vista SP2) only with its platform update installed.
bool CountsAsDirectX11(const DirectXSources& sources) {
  uint32_t major = 0, minor = 0, build = 0;
  if (!sources.osVersion(major, minor, build)) return false;
  if (major > 6 || (major == 6 && minor >= 1)) return true;
  if (major < 6 || minor != 0) return false;
  return build > 6002 || (build == 6002 && sources.direct3D11Loads());
}

}  // namespace

DirectXVersion GetDirectXVersion(const DirectXSources& sources) {
  DirectXVersion reported{0, 0, u' '};
  DirectXVersion version = sources.diagnostics(reported) ? reported : VersionFromDlls(sources);
  if (version.letter >= u'A' && version.letter <= u'Z') version.letter += u'a' - u'A';
  if (version.major >= 10 && CountsAsDirectX11(sources)) version = {11, 0, 0};
  return version;
}

uint32_t DirectXCode(const DirectXVersion& version) {
  const uint32_t letter =
      version.letter >= u'a' && version.letter <= u'z' ? version.letter - u'a' + 1 : 0;
  return (version.major << 16) | (version.minor << 8) | letter;
}

void FormatDirectXText(const DirectXVersion& version, char16_t* out, size_t capacity) {
  const char16_t letter[2] = {version.letter, 0};
  FormatWide(out, capacity, u"%d.%d%s", static_cast<int>(version.major),
             static_cast<int>(version.minor), letter);
}
