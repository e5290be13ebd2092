#ifdef _WIN32
#include <gtest/gtest.h>

TEST(ConfigOverDde, LinuxOnly) {
  GTEST_SKIP() << "forks its publishing process, over the Linux layer's local-socket transport";
}
#else
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "config/config_publishing.h"
#include "config/config_test_support.h"
#include "config/zrConfig.h"
#include "system/bounded_text.h"
#include "system/heap.h"
#include "system/zrDDE.h"

namespace {

using zrtest::Utf8;
using zrtest::XmlDocument;

// Answers with the bytes of the std::string that `userData` points to.
int32_t AnswerBytes(void* userData, const char16_t*, void** data, uint32_t* size) {
  const auto* bytes = static_cast<const std::string*>(userData);
  void* block = zrHeapAlloc(0, static_cast<uint32_t>(bytes->size()));
  if (!block) return 0;
  std::memcpy(block, bytes->data(), bytes->size());
  *data = block;
  *size = static_cast<uint32_t>(bytes->size());
  return 1;
}

// A process that runs `serve` (which publishes and returns true when it is ready) and keeps
// serving until the test lets it go. It is forked before the test's own DDE object exists.
class Publisher {
 public:
  explicit Publisher(const std::function<bool()>& serve) {
    if (pipe(ready_) != 0 || pipe(release_) != 0) std::abort();
    child_ = fork();
    if (child_ == 0) {
      alarm(20);  // ends a publisher left waiting; the heap came with the fork
      const char state = serve() ? 'y' : 'n';
      char byte;
      if (write(ready_[1], &state, 1) != 1 || read(release_[0], &byte, 1) < 0) _exit(2);
      _exit(0);
    }
    close(ready_[1]);
    close(release_[0]);
  }
  ~Publisher() {
    const char byte = 'x';
    if (write(release_[1], &byte, 1) != 1) kill(child_, SIGKILL);
    int status = 0;
    waitpid(child_, &status, 0);
    close(ready_[0]);
    close(release_[1]);
  }
  bool WaitUntilServing() {
    char state = 0;
    return read(ready_[0], &state, 1) == 1 && state == 'y';
  }

 private:
  int ready_[2];
  int release_[2];
  pid_t child_ = -1;
};

// A block that tells where it came from.
std::string BlockWithBrand(const char16_t* brand) {
  auto settings = std::make_unique<ConfigSettings>();
  CopyWide(settings->app.brand, brand);
  settings->window.width = 4321;
  return std::string(reinterpret_cast<const char*>(settings.get()), sizeof(ConfigSettings));
}

std::string ProgramFolder() {
  char folder[kConfigPathBytes];
  GetProgramFolder(folder);
  return std::string(folder, sizeof folder);
}

// A publisher that is not a configuration: it serves the given folder and block.
bool ServeItems(const std::string& folder, const std::string& block) {
  static std::string servedFolder, servedBlock;
  servedFolder = folder;
  servedBlock = block;
  auto* dde = new zrDDE();  // lives until the process ends
  return dde->CreateServer(kConfigServerName) &&
         dde->RegisterItem(kConfigPathItem, AnswerBytes, &servedFolder) &&
         dde->RegisterItem(kConfigBlockItem, AnswerBytes, &servedBlock);
}

class ConfigOverDde : public zrtest::ConfigFolderTest {
 protected:
  zrtest::TempDir runtime_;
  zrtest::EnvOverride sockets_{"XDG_RUNTIME_DIR", runtime_.Path().c_str()};
};

TEST_F(ConfigOverDde, AnotherProcessOfTheProgramFetchesThePublishedBlock) {
  zrtest::TempDir publisherGame;
  publisherGame.WriteFile("config/startup.xml",
                          XmlDocument("<APP><brand>Published</brand></APP>"
                                      "<SCREEN><width>1111</width></SCREEN>"));
  Publisher publisher([&publisherGame] {
    if (chdir(publisherGame.Path().c_str()) != 0) return false;
    new zrDDE();
    return new zrConfig(nullptr, nullptr, kConfigDdePublish) != nullptr;
  });
  ASSERT_TRUE(publisher.WaitUntilServing());

  zrDDE dde;
  ASSERT_TRUE(dde.IsReady());
  zrConfig config(nullptr, nullptr, kConfigDdeFetch);  // this folder has no startup file
  EXPECT_EQ(Utf8(zrConfig::Settings()->app.brand), "Published");
  EXPECT_EQ(zrConfig::Settings()->window.width, 1111);
  EXPECT_EQ(std::memcmp(zrConfig::SavedSettings(), zrConfig::Settings(), sizeof(ConfigSettings)),
            0);
}

TEST_F(ConfigOverDde, FetchComparesTheProgramFolderIgnoringCase) {
  std::string folder = ProgramFolder();
  for (char& c : folder) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Publisher publisher([&folder] { return ServeItems(folder, BlockWithBrand(u"SameProgram")); });
  ASSERT_TRUE(publisher.WaitUntilServing());

  zrDDE dde;
  zrConfig config(nullptr, nullptr, kConfigDdeFetch);
  EXPECT_EQ(Utf8(zrConfig::Settings()->app.brand), "SameProgram");
}

TEST_F(ConfigOverDde, ABlockFromAnotherProgramFolderIsNotTaken) {
  std::string elsewhere(kConfigPathBytes, '\0');
  elsewhere.replace(0, 14, "C:\\Other\\Game");
  Publisher publisher([&elsewhere] { return ServeItems(elsewhere, BlockWithBrand(u"Intruder")); });
  ASSERT_TRUE(publisher.WaitUntilServing());

  zrDDE dde;
  InstallStartup(XmlDocument("<APP><brand>Mine</brand></APP>"));
  zrConfig config(nullptr, nullptr, kConfigDdeFetch);
  EXPECT_EQ(Utf8(zrConfig::Settings()->app.brand), "Mine");
  EXPECT_EQ(zrConfig::Settings()->window.width, 800);
}

TEST_F(ConfigOverDde, FetchedTextsEndWithinTheirFields) {
  std::string block = BlockWithBrand(u"");
  auto* settings = reinterpret_cast<ConfigSettings*>(block.data());
  for (char16_t& unit : settings->app.brand) unit = u'b';  // no terminator
  for (char16_t& unit : settings->folder.save) unit = u's';
  const std::string folder = ProgramFolder();
  Publisher publisher([&] { return ServeItems(folder, block); });
  ASSERT_TRUE(publisher.WaitUntilServing());

  zrDDE dde;
  zrConfig config(nullptr, nullptr, kConfigDdeFetch);
  EXPECT_EQ(std::u16string(zrConfig::Settings()->app.brand), std::u16string(127, u'b'));
  EXPECT_EQ(std::u16string(zrConfig::Settings()->folder.save).size(), 259u);
}

TEST_F(ConfigOverDde, APublisherServesItsCurrentBlockWhileItLives) {
  zrDDE dde;
  ASSERT_TRUE(dde.IsReady());
  ASSERT_EQ(dde.CreateServer(kConfigServerName), 1);  // made earlier, as the probe does
  auto config = std::make_unique<zrConfig>(nullptr, nullptr, kConfigDdePublish);
  ASSERT_EQ(dde.Connect(kConfigServerName), 1);
  zrConfig::Settings()->window.height = 777;  // served as it is now, not as loaded

  auto block = std::make_unique<ConfigSettings>();
  ASSERT_EQ(dde.GetServerData(kConfigBlockItem, block.get(), sizeof *block, kConfigServerName), 1);
  EXPECT_EQ(std::memcmp(block.get(), zrConfig::Settings(), sizeof *block), 0);
  EXPECT_EQ(block->window.height, 777);
  char folder[kConfigPathBytes];
  ASSERT_EQ(dde.GetServerData(kConfigPathItem, folder, sizeof folder, kConfigServerName), 1);
  EXPECT_EQ(std::string(folder, sizeof folder), ProgramFolder());
  EXPECT_NE(folder[0], 0);

  config.reset();
  EXPECT_EQ(dde.GetServerData(kConfigBlockItem, block.get(), sizeof *block, kConfigServerName), 0);
}

}  // namespace
#endif  // _WIN32
