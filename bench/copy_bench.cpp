// The copy worker against cp -r on the same trees, the same disk and cold caches.
//
//   copy_bench [--folder DIR] [--rounds N] [--large-mib M] [--small-count N] [--cached 1] [--cold 0]
//
// Builds (a) two files of M MiB (default 1024) and (b) N files of 4 KiB (default 10,000) in 100
// folders under DIR (default: a new folder in the current one), then times, alternating which
// goes first, `cp -r` and the worker with 3 buffers as the updater runs it (one job per file, the
// system probe present, so sources are read past the cache). Before every timed copy the
// destination is removed, dirty pages are written and, when this process may, the page cache
// is dropped (unless --cold 0, or when this process may not), so that both read from the disk.
// With --cached 1 the worker reads through the cache too. Prints the medians and, last, the two ratios.
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "copy/zrCopyWorker.h"
#include "system/zrCaps.h"

namespace {

struct Options {
  std::string folder;
  int rounds = 5;
  uint64_t largeMiB = 1024;
  int smallCount = 10000;
  bool cached = false;  // the worker reads through the cache as well
  bool cold = true;     // drop the page cache before every copy
};

void Fail(const std::string& what) {
  std::fprintf(stderr, "copy_bench: %s\n", what.c_str());
  std::exit(1);
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) Fail("failed: " + command);
}

void WriteFile(const std::string& path, uint64_t size, std::mt19937_64& random) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Fail("cannot create " + path);
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  for (uint64_t done = 0; done < size;) {
    for (uint64_t& word : block) word = random();
    const size_t length = static_cast<size_t>(std::min<uint64_t>(size - done, block.size() * 8));
    if (write(fd, block.data(), length) != static_cast<ssize_t>(length))
      Fail("cannot write " + path);
    done += length;
  }
  close(fd);
}

// Empties the page cache when this process may (root); says whether it did.
bool DropCaches() {
  sync();
  const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY);
  if (fd < 0) return false;
  const bool dropped = write(fd, "3", 1) == 1;
  close(fd);
  return dropped;
}

std::vector<std::string> filesFound;
int CollectFile(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_F) filesFound.push_back(path);
  return 0;
}

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());  // the bench's paths are ASCII
}

struct Completion {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  bool error = false;
  static int32_t Progress(void* user, CopyStatus* status) {
    Completion* completion = static_cast<Completion*>(user);
    if (status->error) completion->error = true;
    if (status->done) {
      std::lock_guard<std::mutex> hold(completion->mutex);
      completion->done = true;
      completion->ended.notify_one();
    }
    return 1;
  }
};

// One job per file, as the updater queues them; the worker makes the folders.
double TimeWorker(const std::string& source, const std::string& destination, bool cached) {
  filesFound.clear();
  nftw(source.c_str(), CollectFile, 32, FTW_PHYS);
  std::sort(filesFound.begin(), filesFound.end());
  const auto start = std::chrono::steady_clock::now();
  zrCopyWorker worker(3, cached ? 1 : 0);
  for (const std::string& file : filesFound) {
    const std::string target = destination + file.substr(source.size());
    worker.AddJob(Wide(file).c_str(), Wide(target).c_str(), 0);
  }
  Completion completion;
  worker.Start(Completion::Progress, &completion, nullptr);
  {
    std::unique_lock<std::mutex> hold(completion.mutex);
    completion.ended.wait(hold, [&] { return completion.done; });
  }
  worker.Destroy();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (completion.error) Fail("the worker reported an error");
  return seconds;
}

double TimeCp(const std::string& source, const std::string& destination) {
  const auto start = std::chrono::steady_clock::now();
  Shell("cp -r '" + source + "' '" + destination + "'");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--folder") {
      options.folder = value;
    } else if (name == "--rounds") {
      options.rounds = std::max(1, std::atoi(value));
    } else if (name == "--large-mib") {
      options.largeMiB = std::max(1, std::atoi(value));
    } else if (name == "--cold") {
      options.cold = std::atoi(value) != 0;
    } else if (name == "--cached") {
      options.cached = std::atoi(value) != 0;
    } else if (name == "--small-count") {
      options.smallCount = std::max(1, std::atoi(value));
    } else {
      Fail("unknown option " + name);
    }
  }
  if ((argc - 1) % 2) Fail("options come in pairs");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  char folderTemplate[] = "copy_bench.XXXXXX";
  std::string root = options.folder;
  if (root.empty()) {
    if (!mkdtemp(folderTemplate)) Fail("cannot make a folder here");
    char* absolute = realpath(folderTemplate, nullptr);
    root = absolute;
    std::free(absolute);
  }
  zrCaps caps(kProbeOs, kDdeNone);

  std::mt19937_64 random(20261209);
  const std::string large = root + "/large";
  const std::string small = root + "/small";
  mkdir(large.c_str(), 0755);
  mkdir(small.c_str(), 0755);
  for (const char* name : {"/first.bin", "/second.bin"}) {
    WriteFile(large + name, options.largeMiB << 20, random);
  }
  for (int i = 0; i < options.smallCount; ++i) {
    const std::string folder = small + "/folder" + std::to_string(i % 100);
    mkdir(folder.c_str(), 0755);
    WriteFile(folder + "/file" + std::to_string(i) + ".dat", 4096, random);
  }

  struct Tree {
    const char* name;
    std::string source;
    std::vector<double> cp, worker;
  } trees[] = {{"large_files", large, {}, {}}, {"small_files", small, {}, {}}};
  bool cold = true;
  for (int round = 0; round < options.rounds; ++round) {
    for (Tree& tree : trees) {
      const std::string destination = tree.source + ".copy";
      for (int turn = 0; turn < 2; ++turn) {
        Shell("rm -rf '" + destination + "'");
        if (options.cold) {
          cold = DropCaches() && cold;
        } else {
          sync();
          cold = false;
        }
        // Let the disk finish what the removal and the write-back started.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const bool cpTurn = (turn + round) % 2 == 0;
        if (cpTurn) {
          tree.cp.push_back(TimeCp(tree.source, destination));
        } else {
          tree.worker.push_back(TimeWorker(tree.source, destination, options.cached));
        }
      }
      Shell("rm -rf '" + destination + "'");
    }
  }
  if (options.folder.empty()) Shell("rm -rf '" + root + "'");

  std::printf("caches: %s\n", cold ? "dropped before every copy" : "warm");
  for (const Tree& tree : trees) {
    std::printf("%s: cp %.3f s, worker %.3f s (medians of %d)\n", tree.name, Median(tree.cp),
                Median(tree.worker), options.rounds);
  }
  for (const Tree& tree : trees) {
    std::printf("%s_ratio=%.3f\n", tree.name, Median(tree.worker) / Median(tree.cp));
  }
  return 0;
}
