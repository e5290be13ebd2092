#include "system/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Join(std::initializer_list<const char16_t*> parts, size_t capacity = 260) {
  char16_t out[300];
  out[0] = u'?';
  const size_t length = JoinPath(out, capacity, parts);
  EXPECT_EQ(length, std::u16string(out).size());
  return out;
}

TEST(JoinPath, JoinsWithOneBackslash) {
  EXPECT_EQ(Join({u"C:\\ProgramData", u"Brand", u"Title.xml"}),
            u"C:\\ProgramData\\Brand\\Title.xml");
  EXPECT_EQ(Join({u"C:\\", u"data"}), u"C:\\data");
  EXPECT_EQ(Join({u"D:\\Temp\\", u"sub\\"}), u"D:\\Temp\\sub");
  EXPECT_EQ(Join({u"C:\\a\\\\", u"b"}), u"C:\\a\\\\b");
  EXPECT_EQ(Join({u"C:\\a", u""}), u"C:\\a");
  EXPECT_EQ(Join({u"C:\\a", u"\\b"}), u"C:\\a\\\\b");  // a leading backslash stays
  EXPECT_EQ(Join({u"a/", u"b"}), u"a/\\b");            // "/" is not special here
  EXPECT_EQ(Join({u"", u"b"}), u"\\b");
}

TEST(JoinPath, ShortRoots) {
  char16_t out[16];
  EXPECT_EQ(JoinPath(out, u"C:\\"), 2u);
  EXPECT_EQ(std::u16string(out), u"C:");
  EXPECT_EQ(Join({u"C:"}), u"C:");
  EXPECT_EQ(Join({u"C:\\\\"}), u"C:\\");  // four characters: not a short root
  EXPECT_EQ(Join({u"\\\\"}), u"");
  EXPECT_EQ(Join({u"\\\\", u"server"}), u"\\server");
}

TEST(JoinPath, NoPartsAndCapacity) {
  char16_t out[8] = u"junk";
  EXPECT_EQ(JoinPath(out, 8, {}), 0u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(JoinPath(nullptr, 8, {u"a"}), 0u);
  // Exactly fitting, and one unit short: a path is never cut.
  EXPECT_EQ(Join({u"abc", u"de"}, 7), u"abc\\de");
  EXPECT_EQ(Join({u"abc", u"de"}, 6), u"");
  EXPECT_EQ(Join({u"abcdef"}, 6), u"");
  EXPECT_EQ(Join({u"abc", u"de\\"}, 7), u"abc\\de");  // the removed backslash needs no room
}

TEST(PathParts, DirectoryAndFileName) {
  char16_t out[16];
  EXPECT_EQ(GetDirectoryPart(u"a\\b/c.txt", out, 16), 1);
  EXPECT_EQ(std::u16string(out), u"a\\b");
  EXPECT_EQ(GetDirectoryPart(u"\\x", out, 16), 0);
  EXPECT_EQ(std::u16string(out), u"");
  EXPECT_EQ(GetDirectoryPart(u"name", nullptr, 0), 0);
  EXPECT_EQ(GetDirectoryPart(u"a\\b", nullptr, 0), 1);
  EXPECT_EQ(GetDirectoryPart(u"abcdef\\g", out, 4), 0);  // does not fit: empty
  EXPECT_EQ(out[0], 0);

  EXPECT_EQ(GetFileNamePart(u"a\\b", out, 16), 1);
  EXPECT_EQ(std::u16string(out), u"b");
  EXPECT_EQ(GetFileNamePart(u"\\x", out, 16), 1);
  EXPECT_EQ(std::u16string(out), u"\\x");
  EXPECT_EQ(GetFileNamePart(u"dir/", out, 16), 1);
  EXPECT_EQ(std::u16string(out), u"");
  EXPECT_EQ(GetFileNamePart(u"a", nullptr, 16), 0);
  EXPECT_EQ(GetFileNamePart(u"d\\long-name", out, 4), 0);
  EXPECT_EQ(out[0], 0);
}

TEST(PathParts, ShiftJisTrailByteIsNoSeparator) {
  char out[32];
  // "ソ" is 83 5C and "表" 95 5C.
  EXPECT_EQ(GetDirectoryPartA("dir\\\x83\x5C\x95\x5C.txt", out, 32), 1);
  EXPECT_STREQ(out, "dir");
  EXPECT_EQ(GetDirectoryPartA("\x95\x5C.txt", out, 32), 0);
  EXPECT_STREQ(out, "");
  // Lead bytes above 0xEF are code page 932's too: "纊" is FA 5C, "髙" FB FC.
  EXPECT_EQ(GetDirectoryPartA("dir\\\xFA\x5C.txt", out, 32), 1);
  EXPECT_STREQ(out, "dir");
  EXPECT_EQ(GetDirectoryPartA("\xFB\xFC\xFA\x5C", out, 32), 0);
  EXPECT_EQ(GetFileNamePartA("dir\\\x95\x5C.txt", out, 32), 1);
  EXPECT_STREQ(out, "\x95\x5C.txt");
  char path[32] = "x.\x83\x5C";  // the extension is "ソ"
  EXPECT_EQ(ReplaceExtensionA(path, sizeof path, "bak"), 1);
  EXPECT_STREQ(path, "x.bak");
}

TEST(PathParts, Extensions) {
  const char16_t* path = u"dir.d\\file.tar.gz";
  EXPECT_EQ(GetExtension(path), path + 15);
  const char16_t* none = u"dir.d\\file";
  EXPECT_EQ(*GetExtension(none), 0);
  EXPECT_EQ(GetExtension(nullptr), nullptr);
  EXPECT_EQ(HasExtension(u"a\\b.c"), 1);
  EXPECT_EQ(HasExtension(u"a.b/c"), 0);
  EXPECT_EQ(HasExtension(u"file."), 1);

  char16_t name[16] = u"d.x\\a.txt";
  EXPECT_EQ(ReplaceExtension(name, 16, u"bak"), 1);
  EXPECT_EQ(std::u16string(name), u"d.x\\a.bak");
  EXPECT_EQ(ReplaceExtension(name, 16, nullptr), 1);
  EXPECT_EQ(std::u16string(name), u"d.x\\a");
  EXPECT_EQ(ReplaceExtension(name, 16, u"log"), 1);
  EXPECT_EQ(std::u16string(name), u"d.x\\a.log");
  EXPECT_EQ(ReplaceExtension(name, 10, u"html"), 0);  // would need 11 units
  EXPECT_EQ(std::u16string(name), u"d.x\\a.log");
}

}  // namespace
