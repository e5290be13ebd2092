// The image tool, run as a separate process: what info reports, conversions that keep every
// pixel and every colour in its place, and the files it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/hg3_writer.h"
#include "image/zrImageJpeg.h"
#include "image/zrImageLoader.h"
#include "support/test_support.h"

namespace {

using zrtest::TempDir;

zrtest::CommandRun RunTool(const std::string& arguments) {
  return zrtest::RunCommand("timeout 60 " + std::string(ZRIMAGE_PATH) + " " + arguments);
}

std::string TestPicture(const std::string& name) {
  return std::string(ZR_SOURCE_DIR) + "/tests/data/images/" + name;
}

// Decodes a file the tool wrote; the loader keeps the picture.
bool LoadFile(const TempDir& dir, const std::string& name, zrImageLoader& loader) {
  const std::string bytes = dir.ReadFile(name);
  const MemoryBlock block = BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return loader.LoadFromMemory(&block, 0, 0) != nullptr;
}

std::string Hg3Of(const std::vector<std::pair<int32_t, zrImage*>>& frames) {
  hg3::Writer writer;
  for (const auto& [key, image] : frames) AddHg3StandardFrame(writer, key, *image);
  const std::vector<uint8_t> bytes = writer.Finish();
  return std::string(bytes.begin(), bytes.end());
}

void Fill(zrImage& image, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  uint32_t width = 0;
  uint32_t height = 0;
  image.GetSize(&width, &height);
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(width); ++x) {
      uint8_t* pixel = image.PixelAt(x, y);
      pixel[0] = b;
      pixel[1] = g;
      pixel[2] = r;
      if (image.GetBytesPerPixel() == 4) pixel[3] = a;
    }
  }
}

class ZrimageTool : public zrtest::HeapTest {};

TEST_F(ZrimageTool, InfoListsEveryFrameWithItsPlacement) {
  TempDir dir;
  zrImage first;
  first.Create(3, 2, 4);
  Fill(first, 1, 2, 3, 128);
  zrImage second;
  second.Create(5, 4, 3);
  dir.WriteFile("two.hg3", Hg3Of({{7, &first}, {-1, &second}}));
  const auto run = RunTool("info " + dir.PathOf("two.hg3"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "format: HG-3\n"
            "frame 0: key 7, 3x2, 4 bytes per pixel, canvas 3x2, offset 0,0, base 0,0, alpha "
            "transparent\n"
            "frame 1: key -1, 5x4, 4 bytes per pixel, canvas 5x4, offset 0,0, base 0,0, alpha "
            "opaque\n");
  const auto png = RunTool("info " + TestPicture("rose.png"));
  EXPECT_EQ(png.out.substr(0, 42), "format: PNG\nframe 0: key 0, 70x46, 3 bytes");
}

TEST_F(ZrimageTool, ConvertsPngToHg3AndBackPixelExact) {
  TempDir dir;
  const auto toHg3 =
      RunTool("convert " + TestPicture("logo_alpha.png") + " " + dir.PathOf("logo.hg3"));
  ASSERT_EQ(toHg3.status, 0) << toHg3.err;
  const auto toPng = RunTool("convert " + dir.PathOf("logo.hg3") + " " + dir.PathOf("back.PNG"));
  ASSERT_EQ(toPng.status, 0) << toPng.err;

  zrImageLoader original;
  std::ifstream file(TestPicture("logo_alpha.png"), std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(file)), {});
  const MemoryBlock block = BorrowedBlock(source.data(), static_cast<uint32_t>(source.size()));
  ASSERT_TRUE(original.LoadFromMemory(&block, 0, 0));
  zrImageLoader back;
  ASSERT_TRUE(LoadFile(dir, "back.PNG", back));
  EXPECT_EQ(back.GetKind(), ImageKind::kPng);
  ASSERT_EQ(back.GetBytesPerPixel(), 4);
  uint32_t width = 0;
  uint32_t height = 0;
  original.GetSize(&width, &height);
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    ASSERT_EQ(
        std::memcmp(original.GetImage()->PixelAt(0, y), back.GetImage()->PixelAt(0, y), width * 4),
        0)
        << "row " << y;
  }
  // The PNG ends with its IEND chunk: no padding after it.
  const std::string png = dir.ReadFile("back.PNG");
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

TEST_F(ZrimageTool, ChoosesFramesByKeyOrPosition) {
  TempDir dir;
  zrImage blue;
  blue.Create(2, 2, 3);
  Fill(blue, 255, 0, 0, 0);
  zrImage green;
  green.Create(2, 2, 3);
  Fill(green, 0, 255, 0, 0);
  dir.WriteFile("two.hg3", Hg3Of({{4, &blue}, {9, &green}}));
  const std::string in = dir.PathOf("two.hg3") + " ";
  for (const auto& [choice, wantGreen] : std::vector<std::pair<std::string, bool>>{
           {"--key 9", true}, {"--frame 0", false}, {"--frame 1", true}, {"--key 4", false}}) {
    SCOPED_TRACE(choice);
    const auto run = RunTool("convert " + in + dir.PathOf("out.png") + " " + choice);
    ASSERT_EQ(run.status, 0) << run.err;
    zrImageLoader out;
    ASSERT_TRUE(LoadFile(dir, "out.png", out));
    EXPECT_EQ(out.GetImage()->PixelAt(1, 1)[1], wantGreen ? 255 : 0);
  }
  const auto missing = RunTool("convert " + in + dir.PathOf("out.png") + " --key 0");
  EXPECT_EQ(missing.status, 1);
}

TEST_F(ZrimageTool, DescribesAndConvertsPsdLayers) {
  const std::string document = TestPicture("psd/layers.psd");
  const auto info = RunTool("info " + document);
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("layer 0: \"Rose\", 6x4 at 2,3, blend norm\n"
                          "layer 1: \"Green\", 5x5 at 9,6, blend norm\n"),
            std::string::npos)
      << info.out;
  TempDir dir;
  ASSERT_EQ(RunTool("convert " + document + " " + dir.PathOf("rose.png") + " --layer 0").status, 0);
  zrImageLoader layer;
  ASSERT_TRUE(LoadFile(dir, "rose.png", layer));
  EXPECT_EQ(layer.GetImage()->PixelAt(2, 3)[3], 128);  // the layer's own alpha, upright
  EXPECT_EQ(layer.GetImage()->PixelAt(1, 3)[3], 0);
  const auto notPsd =
      RunTool("convert " + TestPicture("rose.png") + " " + dir.PathOf("x.png") + " --layer 0");
  EXPECT_EQ(notPsd.status, 1);
  EXPECT_NE(notPsd.err.find("only PSD documents have layers"), std::string::npos);
}

TEST_F(ZrimageTool, JpegColoursKeepTheirPlaceInPng) {
  TempDir dir;
  zrImageJpeg red;  // a JPEG holds red first
  red.Create(16, 16, 3);
  Fill(red, 255, 0, 0, 0);
  MemoryBlock encoded{};
  ASSERT_TRUE(red.Save(&encoded, 0, 0, 0, 0));
  dir.WriteFile("red.jpg", std::string(encoded.data, encoded.data + encoded.size));
  ReleaseMemoryBlock(&encoded);
  ASSERT_EQ(RunTool("convert " + dir.PathOf("red.jpg") + " " + dir.PathOf("red.png")).status, 0);
  zrImageLoader png;
  ASSERT_TRUE(LoadFile(dir, "red.png", png));
  const uint8_t* pixel = png.GetImage()->PixelAt(8, 8);  // blue, green, red
  EXPECT_LT(pixel[0], 8);
  EXPECT_LT(pixel[1], 8);
  EXPECT_GT(pixel[2], 247);
}

TEST_F(ZrimageTool, BadFilesAndArgumentsFailWithOneLine) {
  TempDir dir;
  dir.WriteFile("garbage.png", "\x89PNG\r\n\x1a\n not really");
  dir.WriteFile("text.txt", "hello");
  std::string hg3 = "HG-3";
  hg3 += std::string(4, '\0');
  dir.WriteFile("header.hg3", hg3);
  for (const std::string& arguments :
       {"info " + dir.PathOf("garbage.png"), "info " + dir.PathOf("text.txt"),
        "info " + dir.PathOf("header.hg3"), "info " + dir.PathOf("missing.png"),
        "convert " + dir.PathOf("garbage.png") + " " + dir.PathOf("out.png")}) {
    SCOPED_TRACE(arguments);
    const auto run = RunTool(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("zrimage: ", 0), 0u) << run.err;
  }
  for (const std::string& arguments :
       {std::string("convert a.png"), "convert " + TestPicture("rose.png") + " out.gif",
        std::string("convert a.png b.png --frame -1"),
        std::string("convert a.png b.png --key 1 --frame 2"),
        std::string("convert a.psd b.png --layer 1 --key 2")}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(RunTool(arguments).status, 2);
  }
}

}  // namespace
