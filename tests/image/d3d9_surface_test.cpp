// The converters on real Direct3D 9 surfaces, where a device can be made (under Wine that takes a
// display, which the suite runs with, and a 32-bit OpenGL).
#ifdef _WIN32

#include "platform/win32/d3d9_surface.h"

#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/surface_convert.h"

namespace {

class D3d9SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3d_) {
      GTEST_SKIP() << "Direct3D 9 cannot start here (under Wine it needs a 32-bit OpenGL)";
    }
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr,
                              nullptr);
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = 16;
    present.BackBufferHeight = 16;
    present.BackBufferFormat = D3DFMT_UNKNOWN;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = window_;
    present.Windowed = TRUE;
    HRESULT result = E_FAIL;
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF, D3DDEVTYPE_NULLREF}) {
      result = direct3d_->CreateDevice(D3DADAPTER_DEFAULT, type, window_,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device_);
      if (SUCCEEDED(result)) break;
    }
    if (!device_) {
      GTEST_SKIP() << "no Direct3D 9 device could be created here (result 0x" << std::hex
                   << static_cast<uint32_t>(result) << ")";
    }
  }

  void TearDown() override {
    for (IDirect3DSurface9* surface : surfaces_) surface->Release();
    if (device_) device_->Release();
    if (direct3d_) direct3d_->Release();
    if (window_) DestroyWindow(window_);
  }

  // A system-memory surface, released with the fixture; null when the format is refused.
  IDirect3DSurface9* Surface(D3DFORMAT format, UINT width, UINT height) {
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device_->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SYSTEMMEM,
                                                    &surface, nullptr))) {
      return nullptr;
    }
    surfaces_.push_back(surface);
    return surface;
  }

  // Moves rows of `bytesPerRow` bytes between `bytes` and the surface, through its own lock.
  static void Transfer(IDirect3DSurface9* surface, std::vector<uint8_t>& bytes, UINT bytesPerRow,
                       bool intoSurface) {
    D3DLOCKED_RECT locked;
    ASSERT_TRUE(SUCCEEDED(surface->LockRect(&locked, nullptr, 0)));
    for (size_t row = 0; row * bytesPerRow < bytes.size(); ++row) {
      uint8_t* pixels = static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch;
      uint8_t* data = bytes.data() + row * bytesPerRow;
      std::memcpy(intoSurface ? pixels : data, intoSurface ? data : pixels, bytesPerRow);
    }
    surface->UnlockRect();
  }

  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  HWND window_ = nullptr;
  std::vector<IDirect3DSurface9*> surfaces_;
};

TEST_F(D3d9SurfaceTest, DescribesTheSixFormatsByTheirCodesAndNoOther) {
  const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4,
                               D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5};
  for (uint32_t code = 0; code < 6; ++code) {
    IDirect3DSurface9* surface = Surface(formats[code], 5, 3);
    ASSERT_TRUE(surface) << code;
    platform::D3d9Surface adapter(surface);
    platform::SurfaceDescription description;
    ASSERT_TRUE(adapter.Describe(description)) << code;
    EXPECT_TRUE(description.format == code && description.width == 5 && description.height == 3)
        << code;
  }
  IDirect3DSurface9* luminance = Surface(D3DFMT_L8, 4, 4);
  ASSERT_TRUE(luminance);
  platform::D3d9Surface adapter(luminance);
  platform::SurfaceDescription description;
  EXPECT_FALSE(adapter.Describe(description));
  EXPECT_EQ(kSurfaceConverters[0][0](&adapter, &adapter), 0);
}

TEST_F(D3d9SurfaceTest, ConvertsTheSharedRectangleBetweenRealSurfaces) {
  IDirect3DSurface9* source = Surface(D3DFMT_R5G6B5, 3, 3);
  IDirect3DSurface9* destination = Surface(D3DFMT_A4R4G4B4, 2, 4);
  ASSERT_TRUE(source && destination);
  // Rows of 0xEDA3 (blue 3, green 45, red 29), 0xFFFF and 0x0000.
  std::vector<uint8_t> rows = {0xA3, 0xED, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xA3,
                               0xED, 0,    0,    0,    0, 0, 0,    0,    0};
  Transfer(source, rows, 6, true);
  std::vector<uint8_t> converted(16, 0x5A);
  Transfer(destination, converted, 4, true);
  platform::D3d9Surface from(source);
  platform::D3d9Surface to(destination);
  ASSERT_EQ(kSurfaceConverters[5][2](&from, &to), 1);
  Transfer(destination, converted, 4, false);
  EXPECT_EQ(converted, (std::vector<uint8_t>{0xB1, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0xFE, 0x00,
                                             0xF0, 0x00, 0xF0, 0x5A, 0x5A, 0x5A, 0x5A}));
}

}  // namespace

#endif  // _WIN32
