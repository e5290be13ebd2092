#include "platform/version_resource.h"

#include <windows.h>

#include <exception>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

// The VS_VERSIONINFO lengths are 16-bit, so a real version resource is below 64 KiB; a damaged
// file can claim gigabytes, which are not believed (as in the posix reader).
constexpr DWORD kMaxVersionResourceSize = 1u << 20;

const wchar_t* W(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

// VerQueryValueW takes a writable block (it may convert 16-bit resources in place), so the
// query runs on a copy of the caller's block.
bool Query(const std::vector<uint8_t>& block, const char16_t* subBlock, std::vector<uint8_t>& copy,
           const void*& value, UINT& length) {
  if (block.empty() || subBlock == nullptr) return false;
  copy = block;
  void* found = nullptr;
  if (!VerQueryValueW(copy.data(), W(subBlock), &found, &length) || found == nullptr) {
    return false;
  }
  value = found;
  return true;
}

}  // namespace

bool LoadVersionInfo(const char16_t* path, std::vector<uint8_t>& block) {
  try {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(W(path), &ignored);
    // A file without a resource must not leave an earlier block behind, as the Linux reader.
    if (size > 0 && size <= kMaxVersionResourceSize) {
      block.assign(size, 0);
      if (GetFileVersionInfoW(W(path), 0, size, block.data())) return true;
    }
  } catch (const std::exception&) {
  }
  block.clear();
  return false;
}

bool QueryVersionTranslation(const std::vector<uint8_t>& block, uint32_t& translation) {
  try {
    std::vector<uint8_t> copy;
    const void* value = nullptr;
    UINT length = 0;
    if (!Query(block, u"\\VarFileInfo\\Translation", copy, value, length) || length < 4)
      return false;
    const auto* pair = static_cast<const WORD*>(value);
    translation = (static_cast<uint32_t>(pair[0]) << 16) | pair[1];
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool QueryVersionString(const std::vector<uint8_t>& block, const char16_t* subBlock,
                        std::u16string& value) {
  try {
    std::vector<uint8_t> copy;
    const void* found = nullptr;
    UINT length = 0;
    if (!Query(block, subBlock, copy, found, length)) return false;
    // The length counts characters, the terminator included.
    const auto* text = static_cast<const char16_t*>(found);
    value.clear();
    for (UINT i = 0; i < length && text[i] != 0; ++i) value += text[i];
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace platform
