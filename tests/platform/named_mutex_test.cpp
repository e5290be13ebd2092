#ifdef _WIN32
#include <gtest/gtest.h>

TEST(NamedMutexTest, LinuxOnly) {
  GTEST_SKIP() << "the Linux layer's lock files, held by forked children; Windows names mutexes in "
                  "the kernel";
}
#else
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/file_system.h"
#include "platform/named_mutex.h"
#include "platform/platform_test_support.h"

namespace {

class NamedMutexTest : public ::testing::Test {
 protected:
  // Lock files go to a folder of the test's own.
  zrtest::TempDir runtime_;
  zrtest::EnvOverride env_{"XDG_RUNTIME_DIR", runtime_.Path().c_str()};
};

// Creates `name` and returns the last error with the handle.
std::pair<platform::MutexHandle, uint32_t> Create(const char16_t* name) {
  platform::MutexHandle handle = platform::CreateNamedMutex(name);
  return {handle, platform::LastError()};
}

TEST_F(NamedMutexTest, NameStaysInUseUntilItsLastHandleCloses) {
  auto first = Create(u"zr-game");
  ASSERT_NE(first.first, nullptr);
  EXPECT_EQ(first.second, 0u);
  auto second = Create(u"zr-game");
  ASSERT_NE(second.first, nullptr);
  EXPECT_EQ(second.second, platform::kErrorAlreadyExists);

  // The second handle refers to the same mutex and keeps it alive on its own.
  platform::CloseNamedMutex(first.first);
  auto third = Create(u"zr-game");
  EXPECT_EQ(third.second, platform::kErrorAlreadyExists);
  platform::CloseNamedMutex(second.first);
  platform::CloseNamedMutex(third.first);

  auto again = Create(u"zr-game");
  EXPECT_EQ(again.second, 0u);
  platform::CloseNamedMutex(again.first);
}

TEST_F(NamedMutexTest, NamesAreCaseSensitiveAndLocalPrefixIsTheSessionNamespace) {
  auto plain = Create(u"Game Mutex\\1");
  EXPECT_EQ(plain.second, 0u);
  auto lower = Create(u"game mutex\\1");
  EXPECT_EQ(lower.second, 0u) << "another name";
  auto local = Create(u"Local\\Game Mutex\\1");
  EXPECT_EQ(local.second, platform::kErrorAlreadyExists);
  auto global = Create(u"Global\\Game Mutex\\1");
  EXPECT_EQ(global.second, 0u);
  // The readable part is sanitised, the hash keeps names apart.
  auto similar = Create(u"Game Mutex/1");
  EXPECT_EQ(similar.second, 0u);
  for (auto handle : {plain.first, lower.first, local.first, global.first, similar.first}) {
    platform::CloseNamedMutex(handle);
  }
}

TEST_F(NamedMutexTest, UnnamedMutexIsNeverInUse) {
  auto first = Create(u"");
  auto second = Create(nullptr);
  EXPECT_NE(first.first, nullptr);
  EXPECT_EQ(second.second, 0u);
  platform::CloseNamedMutex(first.first);
  platform::CloseNamedMutex(second.first);
}

// A child process holds the name until told to go (or killed); meanwhile the parent sees it in
// use, afterwards free.
class HolderProcess {
 public:
  explicit HolderProcess(const char16_t* name) {
    if (pipe(ready_) != 0 || pipe(release_) != 0) std::abort();
    child_ = fork();
    if (child_ == 0) {
      close(ready_[0]);
      close(release_[1]);
      platform::MutexHandle handle = platform::CreateNamedMutex(name);
      const char state = handle && platform::LastError() == 0 ? 'y' : 'n';
      if (write(ready_[1], &state, 1) != 1) _exit(2);
      char byte;
      while (read(release_[0], &byte, 1) < 0) {
      }
      platform::CloseNamedMutex(handle);
      _exit(0);
    }
    close(ready_[1]);
    close(release_[0]);
  }
  ~HolderProcess() {
    if (child_ > 0) Kill();
    close(ready_[0]);
    close(release_[1]);
  }
  // True when the child created the name as its first holder.
  bool WaitUntilHolding() {
    char state = 0;
    return read(ready_[0], &state, 1) == 1 && state == 'y';
  }
  int Release() {
    const char byte = 'x';
    if (write(release_[1], &byte, 1) != 1) return -1;
    return Wait();
  }
  int Kill() {
    kill(child_, SIGKILL);
    return Wait();
  }

 private:
  int Wait() {
    int status = 0;
    waitpid(child_, &status, 0);
    child_ = -1;
    return status;
  }
  int ready_[2];
  int release_[2];
  pid_t child_ = -1;
};

TEST_F(NamedMutexTest, AnotherProcessHoldsTheNameUntilItEnds) {
  {
    HolderProcess holder(u"zr-config");
    ASSERT_TRUE(holder.WaitUntilHolding());
    auto seen = Create(u"zr-config");
    EXPECT_NE(seen.first, nullptr);
    EXPECT_EQ(seen.second, platform::kErrorAlreadyExists);
    platform::CloseNamedMutex(seen.first);
    const int status = holder.Release();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto after = Create(u"zr-config");
    EXPECT_EQ(after.second, 0u);
    platform::CloseNamedMutex(after.first);
  }
  {
    // A holder that crashes leaves nothing that blocks the next run.
    HolderProcess holder(u"zr-config");
    ASSERT_TRUE(holder.WaitUntilHolding());
    auto seen = Create(u"zr-config");
    EXPECT_EQ(seen.second, platform::kErrorAlreadyExists);
    platform::CloseNamedMutex(seen.first);
    const int status = holder.Kill();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    auto after = Create(u"zr-config");
    EXPECT_EQ(after.second, 0u);
    platform::CloseNamedMutex(after.first);
  }
}

// A lock folder that someone else could write to might already hold our names: it is refused,
// and the locks live in the next folder that is ours alone, the last one in the home folder.
TEST(NamedMutexFolderTest, FoldersOthersCouldWriteAreSkipped) {
  zrtest::TempDir temporary;
  zrtest::TempDir home;
  zrtest::EnvOverride noRuntime("XDG_RUNTIME_DIR", nullptr);
  zrtest::EnvOverride tmpdir("TMPDIR", temporary.Path().c_str());
  zrtest::EnvOverride homeDir("HOME", home.Path().c_str());
  const std::string shared = temporary.PathOf("zr-mutex-" + std::to_string(getuid()));
  ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0777), 0);  // as another user's prank would leave it

  auto first = Create(u"zr-game");
  ASSERT_NE(first.first, nullptr);
  EXPECT_EQ(first.second, 0u);
  auto second = Create(u"zr-game");
  EXPECT_EQ(second.second, platform::kErrorAlreadyExists);
  struct stat info;
  EXPECT_EQ(stat(home.PathOf(".cache/zr-mutex").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  platform::CloseNamedMutex(first.first);
  platform::CloseNamedMutex(second.first);
}

}  // namespace
#endif  // _WIN32
