#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/error_text.h"
#include "platform_test_support.h"

namespace {

using namespace platform;
using zrtest::TempDir;

// Opens with the sharing zrFile uses for the access asked.
FileHandle Open(const std::u16string& path, uint32_t access, uint32_t disposition) {
  const uint32_t share = access == kGenericRead ? kShareRead : kShareNone;
  return OpenFile(path.c_str(), access, share, disposition, 0);
}

// The last error of a failed open, or 0 (the handle closed) when it succeeded.
uint32_t OpenError(const std::u16string& path, uint32_t access, uint32_t disposition) {
  const FileHandle handle = Open(path, access, disposition);
  if (handle == kInvalidFileHandle) return LastError();
  CloseFile(handle);
  return 0;
}

TEST(FileSystemTest, DispositionsBehaveAsOnWindows) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine opens and empties a file for truncate-existing without write access, where "
                  "Windows refuses";
#else
  TempDir dir;
  dir.WriteFile("old.txt", "12345");
  const std::u16string old = dir.WidePathOf("old.txt");
  EXPECT_EQ(OpenError(old, kGenericWrite, kCreateNew), kErrorFileExists);
  EXPECT_EQ(OpenError(old, kGenericRead, kTruncateExisting), kErrorInvalidParameter);
  EXPECT_EQ(OpenError(old, kGenericWrite, 0), kErrorInvalidParameter);
  EXPECT_EQ(OpenError(old, kGenericWrite, 7), kErrorInvalidParameter);
  EXPECT_EQ(OpenError(dir.WidePath(), kGenericRead, kOpenExisting), kErrorAccessDenied);
  EXPECT_EQ(OpenError(dir.WidePath(), kGenericWrite, kCreateAlways), kErrorAccessDenied);
  EXPECT_EQ(OpenError(dir.WidePathOf("absent"), kGenericWrite, kTruncateExisting),
            kErrorFileNotFound);
  EXPECT_EQ(OpenError(dir.WidePathOf("absent\\x"), kGenericRead, kOpenExisting),
            kErrorPathNotFound);
  EXPECT_EQ(dir.ReadFile("old.txt"), "12345");

  FileHandle handle = Open(old, kGenericRead, kOpenAlways);
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  CloseFile(handle);
  handle = Open(old, kGenericWrite, kCreateAlways);
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  CloseFile(handle);
  EXPECT_EQ(dir.ReadFile("old.txt"), "");
  EXPECT_EQ(OpenError(dir.WidePathOf("new.txt"), kGenericWrite, kCreateNew), 0u);
  EXPECT_EQ(OpenError(dir.WidePathOf("new2.txt"), kGenericWrite, kOpenAlways), 0u);
#endif
}

TEST(FileSystemTest, SharingIsEnforcedBetweenOpensWithoutTruncating) {
  TempDir dir;
  dir.WriteFile("f.txt", "keep");
  const std::u16string path = dir.WidePathOf("f.txt");

  const FileHandle reader1 = Open(path, kGenericRead, kOpenExisting);
  const FileHandle reader2 = Open(path, kGenericRead, kOpenExisting);
  ASSERT_NE(reader2, kInvalidFileHandle);
  EXPECT_EQ(OpenError(path, kGenericWrite, kCreateAlways), kErrorSharingViolation);
  EXPECT_EQ(OpenError(path, kGenericWrite, kTruncateExisting), kErrorSharingViolation);
  EXPECT_EQ(dir.ReadFile("f.txt"), "keep");
  CloseFile(reader1);
  CloseFile(reader2);

  const FileHandle writer = Open(path, kGenericWrite, kOpenExisting);
  EXPECT_EQ(OpenError(path, kGenericRead, kOpenExisting), kErrorSharingViolation);
  CloseFile(writer);
  // A reader that shares nothing keeps other readers out too.
  const FileHandle lone = OpenFile(path.c_str(), kGenericRead, kShareNone, kOpenExisting, 0);
  EXPECT_EQ(OpenError(path, kGenericRead, kOpenExisting), kErrorSharingViolation);
  CloseFile(lone);
  EXPECT_EQ(OpenError(path, kGenericRead, kOpenExisting), 0u);
}

TEST(FileSystemTest, TransferErrorsKeepWindowsNumbers) {
  TempDir dir;
  dir.WriteFile("f.bin", "abcdef");
  FileHandle handle = Open(dir.WidePathOf("f.bin"), kGenericRead, kOpenExisting);
  char buffer[16];
  uint32_t done = 0;
  EXPECT_EQ(SeekFile(handle, 2), 2);
  EXPECT_TRUE(ReadFile(handle, buffer, 16, &done));
  EXPECT_EQ(std::string(buffer, done), "cdef");
  EXPECT_EQ(SeekFile(handle, -1), -1);
  EXPECT_EQ(LastError(), kErrorNegativeSeek);
  EXPECT_FALSE(WriteFile(handle, "x", 1, &done));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  CloseFile(handle);
  EXPECT_FALSE(ReadFile(kInvalidFileHandle, buffer, 1, &done));
  EXPECT_EQ(LastError(), kErrorInvalidHandle);

  // The number is the calling thread's own.
  uint32_t other = 0;
  std::thread([&] {
    GetFileAttributes(dir.WidePathOf("absent\\x").c_str());
    other = LastError();
  }).join();
  EXPECT_EQ(other, kErrorPathNotFound);
#ifdef _WIN32
  GTEST_SKIP() << "the last check: joining a thread resets this thread's error under Wine";
#endif
  EXPECT_EQ(LastError(), kErrorInvalidHandle);
}

TEST(FileSystemTest, AttributesMapToTheWriteBits) {
#ifdef _WIN32
  GTEST_SKIP() << "the Linux layer's mapping of attributes to write bits";
#else
  TempDir dir;
  dir.WriteFile("f.txt", "x");
  mkdir(dir.PathOf("sub").c_str(), 0755);
  const std::u16string file = dir.WidePathOf("f.txt");
  struct stat info;
  EXPECT_EQ(GetFileAttributes(file.c_str()), kAttributeNormal);
  EXPECT_EQ(GetFileAttributes(dir.WidePathOf("sub").c_str()), kAttributeDirectory);
  EXPECT_EQ(GetFileAttributes(dir.WidePathOf("absent").c_str()), kInvalidAttributes);
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  chmod(dir.PathOf("f.txt").c_str(), 0664);
  EXPECT_TRUE(SetFileAttributes(file.c_str(), kAttributeReadOnly | kAttributeHidden));
  stat(dir.PathOf("f.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0444u);
  EXPECT_EQ(GetFileAttributes(file.c_str()), kAttributeReadOnly);
  EXPECT_TRUE(SetFileAttributes(file.c_str(), kAttributeArchive));
  stat(dir.PathOf("f.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
#endif
}

TEST(FileSystemTest, DeleteAndCreateDirectoryRefuseWhatWindowsRefuses) {
  TempDir dir;
  dir.WriteFile("ro.txt", "x");
  dir.WriteFile("open.txt", "x");
  chmod(dir.PathOf("ro.txt").c_str(), 0444);
  EXPECT_FALSE(DeleteFile(dir.WidePathOf("ro.txt").c_str()));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(DeleteFile(dir.WidePath().c_str()));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  const FileHandle held = Open(dir.WidePathOf("open.txt"), kGenericRead, kOpenExisting);
  EXPECT_FALSE(DeleteFile(dir.WidePathOf("open.txt").c_str()));
  EXPECT_EQ(LastError(), kErrorSharingViolation);
  CloseFile(held);
  EXPECT_TRUE(DeleteFile(dir.WidePathOf("open.txt").c_str()));

  EXPECT_TRUE(CreateDirectory(dir.WidePathOf("a").c_str()));
  EXPECT_FALSE(CreateDirectory(dir.WidePathOf("a").c_str()));
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(CreateDirectory(dir.WidePathOf("x\\y").c_str()));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
}

// Every name a search finds, or the error when it finds none.
std::vector<std::string> Names(const std::u16string& pattern, uint32_t* error = nullptr) {
  std::vector<std::string> names;
  FindData data;
  const FindHandle search = FindFirstFile(pattern.c_str(), &data);
  if (search == kInvalidFindHandle) {
    if (error) *error = LastError();
    return names;
  }
  do {
    names.push_back(zrtest::Utf8(data.name));
  } while (FindNextFile(search, &data));
  EXPECT_EQ(LastError(), kErrorNoMoreFiles);
  FindClose(search);
  return names;
}

TEST(FileSystemTest, FindListsLikeAnNtfsFolder) {
  TempDir dir;
  for (const char* name :
       {"9.txt", "a.txt", "B.txt", "Z.txt", "_u.txt", "デ.txt", "10.txt", "c.txt", "noext"}) {
    dir.WriteFile(name, "x");
  }
  const std::vector<std::string> all = {".",     "..",    "10.txt", "9.txt",  "a.txt", "B.txt",
                                        "c.txt", "noext", "Z.txt",  "_u.txt", "デ.txt"};
  EXPECT_EQ(Names(dir.WidePathOf("*.*")), all);
  EXPECT_EQ(Names(dir.WidePath() + u"\\*"), all);
  EXPECT_EQ(Names(dir.WidePathOf("*.TXT")).size(), 8u);
  EXPECT_EQ(Names(dir.WidePathOf("b*")), std::vector<std::string>{"B.txt"});
  // "?" is one character, not one byte.
  EXPECT_EQ(Names(dir.WidePathOf("?.txt")),
            (std::vector<std::string>{"9.txt", "a.txt", "B.txt", "c.txt", "Z.txt", "デ.txt"}));
  EXPECT_EQ(Names(dir.WidePathOf("noext.*")), std::vector<std::string>{"noext"});
  EXPECT_EQ(Names(dir.WidePathOf("c.txt")), std::vector<std::string>{"c.txt"});
}

TEST(FileSystemTest, FindReportsEntriesAndMisses) {
  TempDir dir;
  dir.WriteFile("five.bin", "12345");
  FindData data;
  FindClose(FindFirstFile(dir.WidePathOf("five.bin").c_str(), &data));
  EXPECT_EQ(data.size, 5u);
#ifdef _WIN32
  EXPECT_EQ(data.attributes, 0x20u);  // Windows marks a new file for archiving
#else
  EXPECT_EQ(data.attributes, kAttributeNormal);
#endif
  for (const auto& [pattern, error] :
       {std::pair<const char*, uint32_t>{"*.none", kErrorFileNotFound},
        {"absent\\*.*", kErrorPathNotFound},
        {"absent\\x", kErrorPathNotFound},
        {"", kErrorFileNotFound}}) {  // a trailing separator
    uint32_t found = 0;
    EXPECT_TRUE(Names(dir.WidePathOf(pattern), &found).empty()) << pattern;
    EXPECT_EQ(found, error) << pattern;
  }
}

}  // namespace

namespace {

#ifndef _WIN32
// The first bytes of a file read through the layer, or "error N".
std::string ReadThrough(const std::u16string& path) {
  const FileHandle handle = Open(path, kGenericRead, kOpenExisting);
  if (handle == kInvalidFileHandle) return "error " + std::to_string(LastError());
  char buffer[64];
  uint32_t done = 0;
  ReadFile(handle, buffer, sizeof buffer, &done);
  CloseFile(handle);
  return std::string(buffer, done);
}
#endif

TEST(FileSystemTest, DotDotClimbsTheTextNotTheLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "needs symbolic links and a fake Wine prefix";
#else
  zrtest::FakeWinePrefix prefix;
  TempDir elsewhere;
  elsewhere.WriteFile("Documents/note", "");
  elsewhere.WriteFile("x", "beside the link's target");
  const std::string me = prefix.DriveC("users/me");
  std::filesystem::create_directories(me);
  ASSERT_EQ(symlink(elsewhere.PathOf("Documents").c_str(), (me + "/Documents").c_str()), 0);
  std::ofstream(me + "/x") << "beside the link";
  std::ofstream(prefix.DriveC("x.txt")) << "at the root";
  EXPECT_EQ(ReadThrough(u"C:\\users\\me\\Documents\\..\\x"), "beside the link");
  EXPECT_EQ(ReadThrough(u"C:\\users\\ME\\documents\\..\\X"), "beside the link");
  EXPECT_EQ(ReadThrough(u"C:\\nonexistent\\..\\x.txt"), "at the root");
  // Never above the drive's root: the prefix's own files stay out of reach.
  EXPECT_EQ(ReadThrough(u"C:\\..\\..\\dosdevices\\c:\\x.txt"),
            "error " + std::to_string(kErrorPathNotFound));
#endif
}

TEST(FileSystemTest, OnlyRegularFilesOpenAndNothingWaits) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a FIFO";
#else
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.PathOf("fifo").c_str(), 0666), 0);
  const std::u16string fifo = dir.WidePathOf("fifo");
  // A blocking open of a FIFO without a peer would never return.
  for (const auto& [access, disposition] : {std::pair{kGenericRead, kOpenExisting},
                                            {kGenericWrite, kOpenExisting},
                                            {kGenericWrite, kCreateAlways},
                                            {kGenericWrite, kOpenAlways}}) {
    EXPECT_EQ(
        zrtest::RunInChild([&] { return static_cast<int>(OpenError(fifo, access, disposition)); }),
        static_cast<int>(kErrorAccessDenied));
  }
  EXPECT_EQ(OpenError(fifo, kGenericWrite, kCreateNew), kErrorFileExists);
  EXPECT_EQ(OpenError(u"/dev/null", kGenericRead, kOpenExisting), kErrorAccessDenied);
  EXPECT_EQ(GetFileAttributes(fifo.c_str()), kAttributeDevice);
#endif
}

// Windows refuses to write a read-only file to every user; so does the layer, also to root.
TEST(FileSystemTest, ReadOnlyFilesRefuseWritersWhoeverAsks) {
#ifdef _WIN32
  GTEST_SKIP() << "the suites run as root, for whom Wine opens a read-only file for writing";
#else
  TempDir dir;
  dir.WriteFile("ro.txt", "keep");
  const std::u16string path = dir.WidePathOf("ro.txt");
  ASSERT_TRUE(SetFileAttributes(path.c_str(), kAttributeReadOnly));
  for (uint32_t disposition : {kOpenExisting, kOpenAlways, kCreateAlways, kTruncateExisting}) {
    EXPECT_EQ(OpenError(path, kGenericWrite, disposition), kErrorAccessDenied) << disposition;
  }
  EXPECT_EQ(OpenError(path, kGenericWrite, kCreateNew), kErrorFileExists);
  EXPECT_EQ(ReadThrough(path), "keep");
#endif
}

TEST(FileSystemTest, SearchMarksLinksAndWhatIsNoFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs symbolic links and a FIFO";
#else
  TempDir dir;
  dir.WriteFile("data/file", "12345");
  mkdir(dir.PathOf("data/folder").c_str(), 0777);
  ASSERT_EQ(symlink("file", dir.PathOf("data/to_file").c_str()), 0);
  ASSERT_EQ(symlink("folder", dir.PathOf("data/to_folder").c_str()), 0);
  ASSERT_EQ(symlink("missing", dir.PathOf("data/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo(dir.PathOf("data/fifo").c_str(), 0666), 0);
  std::map<std::string, std::pair<uint32_t, uint64_t> > found;
  FindData data;
  const FindHandle search = FindFirstFile(dir.WidePathOf("data\\*").c_str(), &data);
  ASSERT_NE(search, kInvalidFindHandle);
  do {
    found[zrtest::Utf8(data.name)] = {data.attributes, data.size};
  } while (FindNextFile(search, &data));
  FindClose(search);
  using Entry = std::pair<uint32_t, uint64_t>;
  EXPECT_EQ(found["file"], Entry(kAttributeNormal, 5));
  EXPECT_EQ(found["folder"], Entry(kAttributeDirectory, 0));
  EXPECT_EQ(found["to_file"], Entry(kAttributeReparsePoint, 5));
  EXPECT_EQ(found["to_folder"], Entry(kAttributeReparsePoint | kAttributeDirectory, 0));
  EXPECT_EQ(found["dangling"], Entry(kAttributeReparsePoint, 0));
  EXPECT_EQ(found["fifo"], Entry(kAttributeDevice, 0));
#endif
}

#ifndef _WIN32
std::u16string FinalPath(const std::u16string& path) {
  char16_t out[1024];
  return std::u16string(out, GetFinalPath(path.c_str(), out, 1024));
}
#endif

TEST(FileSystemTest, FinalPathsFollowEveryLink) {
#ifdef _WIN32
  GTEST_SKIP() << "needs symbolic links and realpath";
#else
  TempDir dir;
  dir.WriteFile("real/file", "x");
  ASSERT_EQ(symlink("real", dir.PathOf("link").c_str()), 0);
  ASSERT_EQ(symlink("link/file", dir.PathOf("chain").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dir.PathOf("dangling").c_str()), 0);
  char* real = realpath(dir.Path().c_str(), nullptr);
  std::u16string root = zrtest::Wide(real);
  std::free(real);
  for (char16_t& c : root) c = c == u'/' ? u'\\' : c;
  EXPECT_EQ(FinalPath(dir.WidePathOf("LINK\\FILE")), root + u"\\real\\file");
  EXPECT_EQ(FinalPath(dir.WidePathOf("chain")), root + u"\\real\\file");
  EXPECT_EQ(FinalPath(dir.WidePathOf("link\\..\\real")), root + u"\\real");
  EXPECT_EQ(FinalPath(dir.WidePathOf("dangling")), u"");
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  char16_t small[4];
  EXPECT_EQ(GetFinalPath(dir.WidePathOf("real").c_str(), small, 4), 0u);
#endif
}

TEST(FileSystemTest, ReplacingRefusesWhatWindowsRefuses) {
#ifdef _WIN32
  GTEST_SKIP() << "the suites run as root, for whom Wine replaces a read-only file (the later "
                  "cases then lack their source)";
#else
  TempDir dir;
  dir.WriteFile("new.txt", "new");
  dir.WriteFile("ro.txt", "old");
  dir.WriteFile("open.txt", "old");
  chmod(dir.PathOf("ro.txt").c_str(), 0444);
  const std::u16string fresh = dir.WidePathOf("new.txt");
  EXPECT_FALSE(ReplaceFile(fresh.c_str(), dir.WidePathOf("ro.txt").c_str()));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  const FileHandle held = Open(dir.WidePathOf("open.txt"), kGenericRead, kOpenExisting);
  EXPECT_FALSE(ReplaceFile(fresh.c_str(), dir.WidePathOf("open.txt").c_str()));
  EXPECT_EQ(LastError(), kErrorSharingViolation);
  CloseFile(held);
  EXPECT_FALSE(ReplaceFile(dir.WidePathOf("absent").c_str(), dir.WidePathOf("x").c_str()));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_EQ(dir.ReadFile("ro.txt") + dir.ReadFile("open.txt"), "oldold");

  EXPECT_TRUE(ReplaceFile(fresh.c_str(), dir.WidePathOf("open.txt").c_str()));
  EXPECT_EQ(dir.ReadFile("open.txt"), "new");
  EXPECT_EQ(GetFileAttributes(fresh.c_str()), kInvalidAttributes);
#endif
}

// Reading past the cache needs whole sectors into aligned memory; a read that breaks the rule is
// made through the cache instead of failing.
TEST(FileSystemTest, UncachedReadsFallBackWhenMisaligned) {
  TempDir dir;
  std::string bytes(10000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  dir.WriteFile("data.bin", bytes);
  const FileHandle file = OpenFile(dir.WidePathOf("data.bin").c_str(), kGenericRead, kShareRead,
                                   kOpenExisting, kFlagNoBuffering | kFlagSequentialScan);
  ASSERT_NE(file, kInvalidFileHandle);
  std::vector<char> buffer(20000);
  uint32_t done = 0;
  ASSERT_TRUE(ReadFile(file, buffer.data() + 3, 1000, &done));  // misaligned memory and length
  EXPECT_EQ(done, 1000u);
  ASSERT_TRUE(ReadFile(file, buffer.data() + 3 + 1000, 16384, &done));
  EXPECT_EQ(done, 9000u);
  EXPECT_EQ(std::string(buffer.data() + 3, 10000), bytes);
  CloseFile(file);
}

TEST(FileSystemTest, ErrorTextsTellTheReason) {
#ifdef _WIN32
  GTEST_SKIP() << "the texts are the system's own, which differ between Windows versions and Wine";
#else
  const auto text = [](uint32_t error) {
    char16_t out[64];
    ErrorText(error, out, 64);
    return zrtest::Utf8(out);
  };
  EXPECT_EQ(OpenError(u"/nonexistent-folder/x", kGenericRead, kOpenExisting), kErrorPathNotFound);
  EXPECT_EQ(text(LastError()), "No such file or directory");
  EXPECT_EQ(text(kErrorAccessDenied), "Permission denied");
  char16_t tiny[5];
  EXPECT_EQ(ErrorText(kErrorAccessDenied, tiny, 5), 4u);  // cut at the capacity
  EXPECT_EQ(zrtest::Utf8(tiny), "Perm");
#endif
}

}  // namespace
