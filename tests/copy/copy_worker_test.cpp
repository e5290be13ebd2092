#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "copy/zrCopyWorker.h"
#include "support/test_support.h"
#include "support/version_dlls.h"
#include "system/zrCaps.h"

namespace {

using zrtest::TempDir;
using zrtest::Utf8;
using zrtest::Wide;

constexpr uint32_t kMiB = 1024 * 1024;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937_64 generator(seed);
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i += 8) {
    const uint64_t word = generator();
    std::memcpy(&bytes[i], &word, std::min<size_t>(8, size - i));
  }
  return bytes;
}

// What a run reported: every progress call in order and every block the writer was about to
// write, with the value of the job it belonged to.
struct CopyRun {
  std::mutex mutex;
  std::vector<CopyStatus> reports;
  std::vector<std::pair<int32_t, uint32_t>> blocks;
  int cancelAtReport = -1;  // the progress call (0-based) that answers 0

  static int32_t Progress(void* user, CopyStatus* status) {
    CopyRun* run = static_cast<CopyRun*>(user);
    std::lock_guard<std::mutex> hold(run->mutex);
    run->reports.push_back(*status);
    return static_cast<int>(run->reports.size()) - 1 == run->cancelAtReport ? 0 : 1;
  }
  static void Filter(void* user, void*, uint32_t, uint32_t, uint32_t length, CopyStatus* status) {
    CopyRun* run = static_cast<CopyRun*>(user);
    std::lock_guard<std::mutex> hold(run->mutex);
    run->blocks.emplace_back(status->value, length);
  }

  // Starts the worker and waits for its final report.
  void Execute(zrCopyWorker& worker) {
    ASSERT_EQ(worker.Start(Progress, this, Filter), 1);
    worker.Destroy();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().done, 1);
    for (size_t i = 0; i + 1 < reports.size(); ++i) EXPECT_EQ(reports[i].done, 0);
  }
  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> texts;
    for (const CopyStatus& status : reports) {
      if (status.error && !status.done) texts.push_back(Utf8(status.errorText));
    }
    return texts;
  }
  std::vector<uint32_t> BlocksOf(int32_t value) const {
    std::vector<uint32_t> lengths;
    for (const auto& [job, length] : blocks) {
      if (job == value) lengths.push_back(length);
    }
    return lengths;
  }
};

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CopyWorkerTest : public ::testing::Test {
 protected:
  void AddJob(zrCopyWorker& worker, const std::string& source, const std::string& destination,
              int32_t value) {
    ASSERT_EQ(
        worker.AddJob(dir_.WidePathOf(source).c_str(), dir_.WidePathOf(destination).c_str(), value),
        1);
  }
  bool Exists(const std::string& relative) const {
    struct stat info;
    return stat(dir_.PathOf(relative).c_str(), &info) == 0;
  }
  TempDir dir_;
};

TEST_F(CopyWorkerTest, CopiesFilesFoldersAndTimesInTwoMebibyteBlocks) {
  const std::string big = RandomBytes(5 * kMiB, 1);
  dir_.WriteFile("src/big.bin", big);
  dir_.WriteFile("src/empty.txt", "");
  dir_.WriteFile("src/deep/a.txt", "alpha");
  ASSERT_EQ(mkdir(dir_.PathOf("src/voices").c_str(), 0755), 0);
  struct utimbuf old = {1000000000, 1100000000};  // not const: Windows takes it so
  ASSERT_EQ(utime(dir_.PathOf("src/big.bin").c_str(), &old), 0);
  ASSERT_EQ(utime(dir_.PathOf("src/empty.txt").c_str(), &old), 0);

  zrCopyWorker worker(3, 1);  // read through the cache
  AddJob(worker, "src/big.bin", "out/big.bin", 1);
  AddJob(worker, "src/empty.txt", "out/empty.txt", 2);
  AddJob(worker, "src/deep/a.txt", "out/x/y/a.txt", 3);
  AddJob(worker, "src/voices", "out/voices", 4);
  CopyRun run;
  run.Execute(worker);

  struct stat info;
  // The times are the source's after it was read (reading may move its access time); they are
  // looked at before anything here reads a file.
  for (const char* name : {"big.bin", "empty.txt"}) {
    struct stat source;
    ASSERT_EQ(stat(dir_.PathOf(std::string("src/") + name).c_str(), &source), 0);
    ASSERT_EQ(stat(dir_.PathOf(std::string("out/") + name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, old.modtime) << name;
#ifdef _WIN32
    EXPECT_EQ(info.st_atime, source.st_atime) << name;  // whole seconds is all stat gives here
#else
    EXPECT_EQ(info.st_atim.tv_sec, source.st_atim.tv_sec) << name;
    EXPECT_EQ(info.st_atim.tv_nsec / 100, source.st_atim.tv_nsec / 100) << name;
#endif
  }
  EXPECT_EQ(dir_.ReadFile("out/big.bin"), big);
  EXPECT_EQ(dir_.ReadFile("out/empty.txt"), "");
  EXPECT_EQ(dir_.ReadFile("out/x/y/a.txt"), "alpha");
  ASSERT_EQ(stat(dir_.PathOf("out/voices").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(Entries(dir_.PathOf("out")),
            (std::vector<std::string>{"big.bin", "empty.txt", "voices", "x"}));

  // Three blocks for 5 MiB, each reported by the writer once written; none for the empty file.
  EXPECT_EQ(run.BlocksOf(1), (std::vector<uint32_t>{2 * kMiB, 2 * kMiB, kMiB}));
  EXPECT_TRUE(run.BlocksOf(2).empty());
  ASSERT_EQ(run.reports.size(), 5u);  // 3 + 1 blocks, then the final report
  EXPECT_EQ(run.reports[0].fileDone, 2 * kMiB);
  EXPECT_EQ(run.reports[2].fileDone, 5 * kMiB);
  EXPECT_EQ(run.reports[2].fileSize, 5 * kMiB);
  const CopyStatus& last = run.reports.back();
  EXPECT_EQ(last.error, 0);
  EXPECT_EQ(last.totalSize, 5 * kMiB + 5);
  EXPECT_EQ(last.totalDone, 5 * kMiB + 5);

  const std::deque<std::u16string>& completed = worker.Completed();
  ASSERT_EQ(completed.size(), 4u);
  EXPECT_EQ(completed[0], dir_.WidePathOf("out/big.bin"));
  EXPECT_EQ(completed[3], dir_.WidePathOf("out/voices"));
}

TEST_F(CopyWorkerTest, ReadsPastTheCacheInWholeSectors) {
  zrCaps caps(kProbeOs, kDdeNone);  // a system that can read uncached
  const std::string small = RandomBytes(1000, 2);
  const std::string large = RandomBytes(2 * kMiB + 777, 3);
  dir_.WriteFile("small.bin", small);
  dir_.WriteFile("large.bin", large);

  {
    zrCopyWorker worker(3, 0);
    worker.OverrideSectorSize(512);
    AddJob(worker, "small.bin", "small.out", 1);
    AddJob(worker, "large.bin", "large.out", 2);
    CopyRun run;
    run.Execute(worker);
    EXPECT_EQ(run.ErrorTexts(), std::vector<std::string>{});
    // The 1000 bytes are asked for as two sectors, and 1000 are written.
    EXPECT_EQ(run.BlocksOf(1), std::vector<uint32_t>{1000});
    EXPECT_EQ(run.BlocksOf(2), (std::vector<uint32_t>{kMiB + 512, kMiB + 265}));
    EXPECT_EQ(dir_.ReadFile("small.out"), small);
    EXPECT_EQ(dir_.ReadFile("large.out"), large);
  }
  {
    // With the volume's own sector size, which is what direct reads on this machine need.
    zrCopyWorker worker(3, 0);
    AddJob(worker, "large.bin", "large.again", 1);
    CopyRun run;
    run.Execute(worker);
    EXPECT_EQ(run.ErrorTexts(), std::vector<std::string>{});
    EXPECT_EQ(dir_.ReadFile("large.again"), large);
  }
}

// A copy that cannot be made is reported once, with its reason, and ends the queue: what was
// copied before stays, what follows is not copied, an old destination keeps its contents and no
// temporary file is left.
TEST_F(CopyWorkerTest, AFailedJobIsReportedOnceAndEndsTheQueue) {
  struct Case {
    const char* what;
    std::function<void(TempDir&)> arrange;
    const char* source;
    const char* destination;
    std::string error;
  };
  const Case cases[] = {
      {"missing source", [](TempDir&) {}, "nothing.txt", "out/b.txt",
       "ソースファイル [%S] がオープン出来ません。 : No such file or directory"},
      {"read-only destination",
       [](TempDir& dir) {
         dir.WriteFile("out/b.txt", "old");
         chmod(dir.PathOf("out/b.txt").c_str(), 0444);
       },
       "b.txt", "out/b.txt", "出力ファイル [%D] がオープン出来ません。 : Permission denied"},
      {"a file where a folder must be",
       [](TempDir& dir) { dir.WriteFile("out/sub", "in the way"); }, "b.txt", "out/sub/b.txt",
       "フォルダ [%F] が作成出来ません"},
  };
  for (const Case& c : cases) {
#ifdef _WIN32
    // Said below, after the cases that hold.
    if (std::string(c.what) == "read-only destination") continue;
#endif
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.WriteFile("a.txt", "first");
    dir.WriteFile("b.txt", "second");
    dir.WriteFile("c.txt", "third");
    c.arrange(dir);
    zrCopyWorker worker(3, 1);
    ASSERT_EQ(
        worker.AddJob(dir.WidePathOf("a.txt").c_str(), dir.WidePathOf("out/a.txt").c_str(), 1), 1);
    ASSERT_EQ(
        worker.AddJob(dir.WidePathOf(c.source).c_str(), dir.WidePathOf(c.destination).c_str(), 2),
        1);
    ASSERT_EQ(
        worker.AddJob(dir.WidePathOf("c.txt").c_str(), dir.WidePathOf("out/c.txt").c_str(), 3), 1);
    CopyRun run;
    run.Execute(worker);

    std::string expected = c.error;
    const auto put = [&](const std::string& mark, const std::string& path) {
      const size_t at = expected.find(mark);
      if (at != std::string::npos) expected.replace(at, mark.size(), path);
    };
    put("%S", zrtest::Utf8(dir.WidePathOf(c.source)));
    put("%D", zrtest::Utf8(dir.WidePathOf(c.destination)));
    put("%F", zrtest::Utf8(dir.WidePathOf("out/sub")));
#ifdef _WIN32
    // The reason after " : " is the system's own text, which differs between Windows versions.
    std::vector<std::string> texts = run.ErrorTexts();
    for (std::string* text : {&expected, texts.empty() ? nullptr : &texts[0]}) {
      if (text && text->find(" : ") != std::string::npos) text->erase(text->find(" : "));
    }
    EXPECT_EQ(texts, std::vector<std::string>{expected});
#else
    EXPECT_EQ(run.ErrorTexts(), std::vector<std::string>{expected});
#endif
    EXPECT_EQ(run.reports.back().error, 1);
    EXPECT_EQ(run.reports.back().value, 2);
    EXPECT_EQ(dir.ReadFile("out/a.txt"), "first");
    EXPECT_EQ(worker.Completed().size(), 1u);
    struct stat info;
    EXPECT_NE(stat(dir.PathOf("out/c.txt").c_str(), &info), 0);
    if (std::string(c.what) == "read-only destination") {
      EXPECT_EQ(dir.ReadFile("out/b.txt"), "old");
    }
    for (const std::string& name : Entries(dir.PathOf("out")))
      EXPECT_EQ(name.find("~zrcopy"), std::string::npos) << name;
  }
#ifdef _WIN32
  GTEST_SKIP() << "read-only destination: the suites run as root, for whom Wine writes a "
                  "read-only file";
#endif
}

// The writer fails part-way (the file-size limit of a child process): an installed file stays
// whole, a new one is not left half-written, and no temporary file remains.
TEST_F(CopyWorkerTest, AWriteThatFailsPartWayLeavesTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP()
      << "needs a file-size limit (setrlimit) in a forked child to fail the write part-way";
#else
  dir_.WriteFile("big.bin", RandomBytes(5 * kMiB, 4));
  dir_.WriteFile("game/big.bin", "old contents");
  for (const char* destination : {"game/big.bin", "game/new.bin"}) {
    SCOPED_TRACE(destination);
    const int result = zrtest::RunInChild([&] {
      signal(SIGXFSZ, SIG_IGN);
      const struct rlimit limit = {3 * kMiB, 3 * kMiB};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
      zrCopyWorker worker(3, 1);
      worker.AddJob(dir_.WidePathOf("big.bin").c_str(), dir_.WidePathOf(destination).c_str(), 1);
      CopyRun run;
      worker.Start(CopyRun::Progress, &run, nullptr);
      worker.Destroy();
      if (run.ErrorTexts() != std::vector<std::string>{"File too large"}) return 11;
      if (!run.reports.back().done || !run.reports.back().error) return 12;
      if (!worker.Completed().empty()) return 13;
      return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dir_.ReadFile("game/big.bin"), "old contents");
    EXPECT_EQ(Entries(dir_.PathOf("game")), std::vector<std::string>{"big.bin"});
  }
#endif
}

TEST_F(CopyWorkerTest, AnEmptyQueueEndsAtOnce) {
  zrCopyWorker worker(3, 1);
  CopyRun run;
  run.Execute(worker);
  ASSERT_EQ(run.reports.size(), 1u);
  EXPECT_EQ(run.reports[0].totalSize, 0u);
  EXPECT_EQ(run.reports[0].error, 0);
}

// Cancelling from the progress callback ends the queue without an error: a file cut short is not
// put in place, so the installed one stays; a file written whole before the answer is kept.
TEST_F(CopyWorkerTest, CancellingKeepsWholeFilesAndDropsTheCutOne) {
  const std::string big = RandomBytes(5 * kMiB, 5);
  dir_.WriteFile("a.txt", "first");
  dir_.WriteFile("big.bin", big);
  dir_.WriteFile("c.txt", "third");
  dir_.WriteFile("game/big.bin", "installed");
  for (const int cancelAt : {1, 3}) {  // the first block of big.bin, then its last
    SCOPED_TRACE(cancelAt);
    zrCopyWorker worker(3, 1);
    AddJob(worker, "a.txt", "game/a.txt", 1);
    AddJob(worker, "big.bin", "game/big.bin", 2);
    AddJob(worker, "c.txt", "game/c.txt", 3);
    CopyRun run;
    run.cancelAtReport = cancelAt;
    run.Execute(worker);
    EXPECT_EQ(run.ErrorTexts(), std::vector<std::string>{});
    EXPECT_EQ(run.reports.back().error, 0);
    EXPECT_EQ(dir_.ReadFile("game/a.txt"), "first");
    EXPECT_EQ(dir_.ReadFile("game/big.bin"), cancelAt == 3 ? big : "installed");
    EXPECT_EQ(worker.Completed().size(), cancelAt == 3 ? 2u : 1u);
    EXPECT_EQ(Entries(dir_.PathOf("game")), (std::vector<std::string>{"a.txt", "big.bin"}));
  }
}

// An installed program whose version is not older than the package's stays: the job is reported
// as skipped, with its size counted as done.
TEST_F(CopyWorkerTest, CheckModeKeepsAnInstalledProgramThatIsNotOlder) {
  ZR_REQUIRE_VERSION_DLLS();
  const auto dll = [](const char* name) {
    std::ifstream file(zrtest::VersionDll(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  };
  dir_.WriteFile("pkg/game.exe", dll("two"));    // 1.0.0.0
  dir_.WriteFile("game/game.exe", dll("dots"));  // 1.2.3.4 installed
  dir_.WriteFile("pkg/tool.DLL", dll("dots"));   // 1.2.3.4
  dir_.WriteFile("game/tool.DLL", dll("two"));   // 1.0.0.0 installed
  dir_.WriteFile("pkg/plain.dll", dll("no_version"));
  dir_.WriteFile("game/plain.dll", dll("dots"));
  zrCopyWorker worker(3, 1);
  worker.SetCheckMode(kCopyNewerPrograms);
  AddJob(worker, "pkg/game.exe", "game/game.exe", 1);
  AddJob(worker, "pkg/tool.DLL", "game/tool.DLL", 2);
  AddJob(worker, "pkg/plain.dll", "game/plain.dll", 3);
  CopyRun run;
  run.Execute(worker);
  EXPECT_EQ(dir_.ReadFile("game/game.exe"), dll("dots"));
  EXPECT_EQ(dir_.ReadFile("game/tool.DLL"), dll("dots"));
  EXPECT_EQ(dir_.ReadFile("game/plain.dll"), dll("no_version"));
  ASSERT_FALSE(run.reports.empty());
  const CopyStatus& skipped = run.reports.front();
  EXPECT_EQ(skipped.value, 1);
  EXPECT_EQ(skipped.fileDone, 0u);
  EXPECT_EQ(skipped.fileSize, dll("two").size());
  EXPECT_EQ(skipped.totalDone, dll("two").size());
  EXPECT_TRUE(run.BlocksOf(1).empty());
  EXPECT_EQ(run.reports.back().totalDone, run.reports.back().totalSize);
  EXPECT_EQ(worker.Completed().size(), 2u);
}

}  // namespace
