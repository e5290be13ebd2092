#include "updater/install_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "updater/zrTextLog.h"

namespace {

using zrtest::TempDir;

const std::string kSo = "\x83\x5C";                    // ソ
const std::string kHyo = "\x95\x5C";                   // 表
const std::string kData = "\x83\x66\x81\x5B\x83\x5E";  // データ

TEST(WriteInstallLog, StartsTheLogWithTheUpdatesFilesQuotedAndSorted) {
  TempDir dir;
  WriteInstallLog(dir.WidePath().c_str(),
                  {u"表.dat", u"データ\\ソ.txt", u"readme.txt", u"data\\a.png"});
  EXPECT_EQ(dir.ReadFile("install.log"), "\"data\\a.png\"\r\n\"readme.txt\"\r\n\"" + kData + "\\" +
                                             kSo + ".txt\"\r\n\"" + kHyo + ".dat\"\r\n");

  // The next update reads the Japanese names back as they were written.
  zrTextLog log;
  log.UseShiftJis();
  MergeUpdateIntoLog(log, dir.WidePathOf("install.log").c_str(), {});
  EXPECT_EQ(std::vector<std::u16string>(log.Lines().begin(), log.Lines().end()),
            (std::vector<std::u16string>{u"\"data\\a.png\"", u"\"readme.txt\"",
                                         u"\"データ\\ソ.txt\"", u"\"表.dat\""}));
}

TEST(WriteInstallLog, KeepsTheEarlierUpdatesLineForTheSameFile) {
  TempDir dir;
  WriteInstallLog(dir.WidePath().c_str(), {u"Data\\Image.PNG", u"b.txt"});
  WriteInstallLog(dir.WidePath().c_str(), {u"data\\image.png", u"a.txt", u"B.TXT"});
  EXPECT_EQ(dir.ReadFile("install.log"), "\"a.txt\"\r\n\"b.txt\"\r\n\"Data\\Image.PNG\"\r\n");
}

TEST(WriteInstallLog, RewritesAnExistingLogSortedWithCrLf) {
  TempDir dir;
  // Written by another tool: LF line ends, unsorted, a duplicate and empty lines.
  dir.WriteFile("install.log", "\"z.txt\"\n\n\"M.txt\"\n\"m.TXT\"\n\n\"a.txt\"");
  WriteInstallLog(dir.WidePath().c_str(), {});
  EXPECT_EQ(dir.ReadFile("install.log"), "\r\n\"a.txt\"\r\n\"M.txt\"\r\n\"z.txt\"\r\n");
}

TEST(WriteInstallLog, IgnoresALogThatCannotBeWritten) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.PathOf("install.log").c_str(), 0777), 0);
  WriteInstallLog(dir.WidePath().c_str(), {u"a.txt"});
  struct stat info;
  ASSERT_EQ(stat(dir.PathOf("install.log").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));

  WriteInstallLog(dir.WidePathOf("missing").c_str(), {u"a.txt"});
  EXPECT_NE(stat(dir.PathOf("missing").c_str(), &info), 0);
  // A root too long for the log's path writes nothing either.
  WriteInstallLog((dir.WidePath() + u"/" + std::u16string(250, u'x')).c_str(), {u"a.txt"});
}

TEST(MergeUpdateIntoLog, BoundsTheLineOfAnOverlongName) {
  TempDir dir;
  zrTextLog log;
  MergeUpdateIntoLog(log, dir.WidePathOf("none").c_str(), {std::u16string(300, u'n')});
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines().front(), u"\"" + std::u16string(258, u'n'));
}

}  // namespace
