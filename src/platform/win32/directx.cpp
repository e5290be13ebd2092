#include "platform/directx.h"

#include <dxdiag.h>
#include <oleauto.h>
#include <windows.h>

#include <new>
#include <string>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

// The diagnostics provider and its interface, spelled out so that no GUID library is needed.
constexpr GUID kDxDiagProviderClass = {
    0xA65B8071, 0x3BFE, 0x4213, {0x9A, 0x5B, 0x49, 0x1D, 0xA4, 0x46, 0x1C, 0xA7}};
constexpr GUID kDxDiagProviderInterface = {
    0x9C6B4CB0, 0x23F8, 0x49CC, {0xA3, 0xED, 0x45, 0xA5, 0x50, 0x00, 0xA6, 0xD2}};
constexpr DWORD kDxDiagHeaderVersion = 111;

// Releases a COM object when it goes.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (object_) object_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  Interface** Out() { return &object_; }
  Interface* Get() const { return object_; }
  Interface* operator->() const { return object_; }

 private:
  Interface* object_ = nullptr;
};

// Initialises COM for the thread while it lives, when that succeeds.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComScope() {
    if (initialised_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

// A property of the container, cleared when it goes.
class Property {
 public:
  Property(IDxDiagContainer* container, const wchar_t* name) {
    ::VariantInit(&value_);
    read_ = SUCCEEDED(container->GetProp(name, &value_));
  }
  ~Property() { ::VariantClear(&value_); }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;
  bool Unsigned(uint32_t& out) const {
    if (!read_ || value_.vt != VT_UI4) return false;
    out = value_.ulVal;
    return true;
  }
  bool FirstCharacter(char16_t& out) const {
    if (!read_ || value_.vt != VT_BSTR || !value_.bstrVal || !value_.bstrVal[0]) return false;
    out = static_cast<char16_t>(value_.bstrVal[0]);
    return true;
  }

 private:
  VARIANT value_;
  bool read_;
};

}  // namespace

bool HasDirectX() {
  return true;
}

bool QueryDirectXDiagnostics(uint32_t& major, uint32_t& minor, char16_t& letter) {
  ComScope com;
  ComPointer<IDxDiagProvider> provider;
  if (FAILED(::CoCreateInstance(kDxDiagProviderClass, nullptr, CLSCTX_INPROC_SERVER,
                                kDxDiagProviderInterface,
                                reinterpret_cast<void**>(provider.Out())))) {
    return false;
  }
  DXDIAG_INIT_PARAMS parameters = {};
  parameters.dwSize = sizeof parameters;  // 16 bytes
  parameters.dwDxDiagHeaderVersion = kDxDiagHeaderVersion;
  parameters.bAllowWHQLChecks = FALSE;
  parameters.pReserved = nullptr;
  ComPointer<IDxDiagContainer> root;
  ComPointer<IDxDiagContainer> systemInfo;
  if (FAILED(provider->Initialize(&parameters)) || FAILED(provider->GetRootContainer(root.Out())) ||
      FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", systemInfo.Out()))) {
    return false;
  }
  const Property majorValue(systemInfo.Get(), L"dwDirectXVersionMajor");
  const Property minorValue(systemInfo.Get(), L"dwDirectXVersionMinor");
  const Property letterValue(systemInfo.Get(), L"szDirectXVersionLetter");
  return majorValue.Unsigned(major) && minorValue.Unsigned(minor) &&
         letterValue.FirstCharacter(letter);
}

bool GetSystemDllVersion(const char16_t* dllName, uint64_t& version) try {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring path =
      std::wstring(folder) + L"\\" + reinterpret_cast<const wchar_t*>(dllName);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::wstring block(size / sizeof(wchar_t) + 1, L'\0');  // wchar_t-aligned storage
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return false;
  void* found = nullptr;
  UINT foundLength = 0;
  if (!::VerQueryValueW(block.data(), L"\\", &found, &foundLength) || !found ||
      foundLength < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(found);
  version = (static_cast<uint64_t>(fixed->dwFileVersionMS) << 32) | fixed->dwFileVersionLS;
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

bool CanLoadDirect3D11() {
  HMODULE library = ::LoadLibraryW(L"D3D11.DLL");
  if (!library) return false;
  ::FreeLibrary(library);
  return true;
}

}  // namespace platform
