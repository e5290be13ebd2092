// The archive tool, run as a separate process: pack, list and extract round trips, and the
// archives and names it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "file/archive_format.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using zrtest::TempDir;

zrtest::CommandRun RunTool(const std::string& arguments) {
  return zrtest::RunCommand("timeout 60 " + std::string(ZRARCHIVE_PATH) + " " + arguments);
}

// Every file under the folder by its relative path, with its bytes.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), folder).generic_string()] =
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return files;
}

std::string Bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return bytes;
}

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class ZrarchiveRoundTrip : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::create_directories(dir_.PathOf("in/sub/deeper")));
    ASSERT_TRUE(fs::create_directories(dir_.PathOf("in/日本語")));
    dir_.WriteFile("in/empty.bin", "");
    dir_.WriteFile("in/seven.bin", Bytes(7));
    dir_.WriteFile("in/sub/eight.bin", Bytes(8));
    dir_.WriteFile("in/sub/deeper/nine.bin", Bytes(9));
    dir_.WriteFile("in/日本語/画像データ.hg3", Bytes(100000));
  }
  std::string KeyOption() const { return GetParam().empty() ? "" : " --key '" + GetParam() + "'"; }

  TempDir dir_;
};

TEST_P(ZrarchiveRoundTrip, ExtractGivesBackThePackedTree) {
  const zrtest::CommandRun pack =
      RunTool("pack " + dir_.PathOf("in") + " " + dir_.PathOf("a.zra") + KeyOption());
  ASSERT_EQ(pack.status, 0) << pack.err;

  const zrtest::CommandRun list = RunTool("list " + dir_.PathOf("a.zra") + KeyOption());
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(Lines(list.out), 5);
  EXPECT_NE(list.out.find("日本語\\画像データ.hg3\t100000\t0x00000000\n"), std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("sub\\deeper\\nine.bin\t9\t"), std::string::npos);
  EXPECT_NE(list.out.find("empty.bin\t0\t"), std::string::npos);

  const zrtest::CommandRun extract =
      RunTool("extract " + dir_.PathOf("a.zra") + " " + dir_.PathOf("out") + KeyOption());
  ASSERT_EQ(extract.status, 0) << extract.err;
  EXPECT_EQ(Tree(dir_.PathOf("out")), Tree(dir_.PathOf("in")));

  // Enciphered members are stored enciphered: the 100,000 bytes are not in the archive as such.
  const std::string archive = dir_.ReadFile("a.zra");
  EXPECT_EQ(archive.find(Bytes(100000).substr(0, 64)) == std::string::npos, !GetParam().empty());
}

INSTANTIATE_TEST_SUITE_P(PlainAndEnciphered, ZrarchiveRoundTrip,
                         ::testing::Values(std::string(), std::string("合言葉 key")));

TEST(Zrarchive, WrongKeyOrBadArchiveFailsWithOneLine) {
  TempDir dir;
  dir.WriteFile("in/a.txt", "hello");
  ASSERT_EQ(RunTool("pack " + dir.PathOf("in") + " " + dir.PathOf("a.zra") + " --key right").status,
            0);
  for (const std::string& arguments :
       {"list " + dir.PathOf("a.zra") + " --key wrong", "list " + dir.PathOf("a.zra"),
        "extract " + dir.PathOf("a.zra") + " " + dir.PathOf("out") + " --key wrong",
        "list " + dir.PathOf("in/a.txt"), "list " + dir.PathOf("missing.zra"),
        "pack " + dir.PathOf("missing") + " " + dir.PathOf("b.zra")}) {
    const zrtest::CommandRun run = RunTool(arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_FALSE(fs::exists(dir.PathOf("out")));

  std::string cut = dir.ReadFile("a.zra");
  cut.resize(cut.size() - 3);
  dir.WriteFile("cut.zra", cut);
  EXPECT_EQ(RunTool("list " + dir.PathOf("cut.zra") + " --key right").status, 1);
  EXPECT_EQ(RunTool("list").status, 2);
  EXPECT_EQ(RunTool("list a b").status, 2);
  EXPECT_EQ(RunTool("list a --key").status, 2);
  EXPECT_EQ(RunTool("unpack a").status, 2);
}

TEST(Zrarchive, NamesThatWouldLeaveTheFolderAreRefused) {
  for (const std::u16string& name :
       {std::u16string(u"..\\evil.txt"), std::u16string(u"sub\\..\\..\\evil.txt"),
        std::u16string(u"\\evil.txt"), std::u16string(u"/tmp/evil.txt"),
        std::u16string(u"C:evil.txt"), std::u16string(u"sub\\\\evil.txt")}) {
    TempDir dir;
    archive_format::Writer writer;
    ASSERT_EQ(writer.Create(dir.WidePathOf("a.zra").c_str(), 4, nullptr, 0), 1);
    ASSERT_EQ(writer.Add(u"fine.txt", "ok", 2, 0), 1);
    ASSERT_EQ(writer.Add(name, "bad", 3, 0), 1);
    ASSERT_EQ(writer.Finish(), 1);
    const zrtest::CommandRun run =
        RunTool("extract " + dir.PathOf("a.zra") + " " + dir.PathOf("out/inner"));
    EXPECT_EQ(run.status, 1) << zrtest::Utf8(name);
    EXPECT_EQ(Lines(run.err), 1);
    EXPECT_FALSE(fs::exists(dir.PathOf("out")));  // refused before anything is written
    EXPECT_FALSE(fs::exists(dir.PathOf("evil.txt")));
  }
}

}  // namespace
