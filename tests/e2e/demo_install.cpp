#include "e2e/demo_install.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/hg3_writer.h"
#include "support/version_dlls.h"

namespace zrtest {

namespace {

namespace fs = std::filesystem;

constexpr char kUpdateInfo[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<document>
  <brand>DemoSoft</brand>
  <app>Demo</app>
  <instpath>DemoSoft\Demo</instpath>
  <mutex>ZrE2E_Demo_Running_%PID%</mutex>
  <confmutex>ZrE2E_Demo_Config_%PID%</confmutex>
  <checkexeversion>1</checkexeversion>
  <version><major>1</major><minor>2</minor></version>
  <language>
    <default>en</default>
    <lang00><code>0x0409</code><prifix>en</prifix><lang>English</lang></lang00>
  </language>
  <en>
    <message>
      <wndtitle>Demo Update</wndtitle>
      <intoro>Update the demo?</intoro>
      <success>The update is complete.</success>
      <error_version>The installed version is too old.</error_version>
      <error_inst>The demo is not installed.</error_inst>
      <error_copy>A file could not be copied.</error_copy>
    </message>
    <message_sys><copying>Copying files.</copying></message_sys>
    <message_error><boot>The demo is running.</boot><title>Error</title></message_error>
  </en>
</document>
)";

}  // namespace

void DemoInstallTest::PreparePrefix() {
  fs::create_directories(Prefix() + "/dosdevices");
  fs::create_symlink("../drive_c", Prefix() + "/dosdevices/c:");
}

uint32_t DemoInstallTest::SplashColour(uint32_t width, int32_t x, int32_t y) {
  if (static_cast<uint32_t>(x) >= width / 2) return 0xFFFFFF;  // transparent over white
  return static_cast<uint32_t>((x * 8) & 0xFF) | static_cast<uint32_t>((y * 16) & 0xFF) << 8 |
         200u << 16;
}

void DemoInstallTest::WriteSplashPicture(uint32_t width, uint32_t height) {
  zrImage picture;
  picture.Create(width, height, 4);
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(width); ++x) {
      uint8_t* pixel = picture.PixelAt(x, y);
      pixel[0] = static_cast<uint8_t>(x * 8);
      pixel[1] = static_cast<uint8_t>(y * 16);
      pixel[2] = 200;
      pixel[3] = static_cast<uint32_t>(x) < width / 2 ? 255 : 0;
    }
  }
  hg3::Writer writer;
  AddHg3StandardFrame(writer, 0, picture);
  const std::vector<uint8_t> hg3 = writer.Finish();
  dir_.WriteFile("package/updatebg.hg3", std::string(hg3.begin(), hg3.end()));
}

std::string DemoInstallTest::GameName() const {
  return "Demo" + std::to_string(getpid());
}

void DemoInstallTest::SetUp() {
  HeapTest::SetUp();
  MakeInstalledGame();
  MakePackage();
}

void DemoInstallTest::MakeInstalledGame() {
  PreparePrefix();
  fs::create_directories(Prefix() + "/drive_c/ProgramData/DemoSoft");
  fs::create_directories(Game() + "/config");
  fs::create_directories(Game() + "/script");
  dir_.WriteFile("prefix/drive_c/ProgramData/DemoSoft/Demo.xml",
                 "<record><path>C:\\Games\\" + GameName() + "</path></record>");
  SetInstalledVersion(1, 2);
  dir_.WriteFile("prefix/drive_c/Games/" + GameName() + "/script/a.dat", "old a");
  dir_.WriteFile("prefix/drive_c/Games/" + GameName() + "/keep.txt", "untouched");
}

void DemoInstallTest::SetInstalledVersion(int major, int minor) {
  dir_.WriteFile("prefix/drive_c/Games/" + GameName() + "/config/startup.xml",
                 "<startup><major>" + std::to_string(major) + "</major><minor>" +
                     std::to_string(minor) + "</minor></startup>");
}

void DemoInstallTest::MakePackage() {
  fs::create_directories(Package() + "/data/script/deep");
  std::string info = kUpdateInfo;
  const std::string pid = std::to_string(getpid());
  for (size_t at; (at = info.find("%PID%")) != std::string::npos;) info.replace(at, 5, pid);
  dir_.WriteFile("package/updateinfo.xml", info);
  dir_.WriteFile("package/data/readme.txt", "new readme");
  dir_.WriteFile("package/data/script/a.dat", "new a");
  dir_.WriteFile("package/data/script/deep/b.dat", std::string(300000, 'b'));
  dir_.WriteFile("package/data/日本語.txt", "japanese name");
  // A program with a version over an installed one without: the version rule lets it through.
  if (FileExists(VersionDll("dots"))) {
    fs::copy_file(VersionDll("dots"), Package() + "/data/Demo.exe");
    fs::copy_file(VersionDll("no_version"), Game() + "/Demo.exe");
  }
  WriteSplashPicture(32, 16);
}

std::string DemoInstallTest::GameFile(const std::string& relative) const {
  return dir_.ReadFile("prefix/drive_c/Games/" + GameName() + "/" + relative);
}

bool DemoInstallTest::GameHas(const std::string& relative) const {
  return fs::exists(Game() + "/" + relative);
}

}  // namespace zrtest
