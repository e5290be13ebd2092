// Loading documents and querying them by key paths.
#include <gtest/gtest.h>

#include <chrono>
#include <list>
#include <string>

#include "support/test_support.h"
#include "xml/zrXml.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

bool Load(zrXml& xml, const std::string& body) {
  const std::string text = kDeclaration + body;
  return xml.LoadMemory(text.data(), text.size()) == 1;
}

std::string ReadUtf8(const zrXml& xml, zrXml::Keys keys, const char16_t* def = u"") {
  char16_t out[256];
  xml.ReadString(out, 256, def, keys);
  return zrtest::Utf8(out);
}

TEST(XmlQuery, DocumentRootRule) {
  zrXml xml;
  ASSERT_TRUE(Load(xml, "<document><brand>abc</brand></document>"));
  char16_t out[64];
  EXPECT_EQ(xml.ReadString(out, 64, u"", {"brand"}), 1);
  EXPECT_EQ(zrtest::Utf8(out), "abc");
  EXPECT_EQ(xml.ReadString(out, 64, u"x", {"title"}), 0);
  EXPECT_EQ(zrtest::Utf8(out), "x");
  EXPECT_EQ(xml.ReadString(out, 64, u"x", {}), 0);

  ASSERT_TRUE(Load(xml, "<config><brand>abc</brand></config>"));
  EXPECT_EQ(xml.ReadString(out, 64, u"", {"brand"}), 0);
  EXPECT_EQ(xml.ReadString(out, 64, u"", {"config", "brand"}), 1);
  EXPECT_EQ(zrtest::Utf8(out), "abc");
}

TEST(XmlQuery, LaterSiblingWinsAndTheSearchBacktracks) {
  zrXml xml;
  ASSERT_TRUE(Load(xml,
                   "<document><brand>one</brand><brand>two</brand>"
                   "<item><name>first</name></item><item><code>7</code></item>"
                   "<lang00><code>ja</code></lang00></document>"));
  EXPECT_EQ(ReadUtf8(xml, {"brand"}), "two");
  // The later <item> has no <name>: the earlier one is found.
  EXPECT_EQ(ReadUtf8(xml, {"item", "name"}), "first");
  EXPECT_EQ(ReadUtf8(xml, {"item", "code"}), "7");
  EXPECT_EQ(ReadUtf8(xml, {"lang00", "code"}), "ja");
  EXPECT_EQ(ReadUtf8(xml, {"Brand"}, u"d"), "d");  // names are case-sensitive
  EXPECT_EQ(ReadUtf8(xml, {"brand", nullptr}, u"d"), "d");
}

TEST(XmlQuery, FirstCompleteMatchInListOrderWinsAtEveryDepth) {
  zrXml xml;
  // In list order (the reverse of the file's): the third <a>, then the second with its <b>s
  // reversed, then the first.
  ASSERT_TRUE(Load(xml,
                   "<document><a><b><c>early</c></b></a>"
                   "<a><b><c>middle</c><d>d</d></b><b><x>inner</x></b></a>"
                   "<a><b><x>late</x></b></a></document>"));
  // The third <a> matches two names and fails at the third; the search falls through to a
  // later branch, and not to the earliest in the file.
  EXPECT_EQ(ReadUtf8(xml, {"a", "b", "c"}), "middle");
  EXPECT_EQ(ReadUtf8(xml, {"a", "b", "d"}), "d");
  EXPECT_EQ(ReadUtf8(xml, {"a", "b", "x"}), "late");
  EXPECT_EQ(ReadUtf8(xml, {"a", "b", "c", "z"}, u"none"), "none");
  EXPECT_EQ(ReadUtf8(xml, {"b", "c"}, u"none"), "none");  // a path is not matched as a suffix
}

TEST(XmlQuery, OnlyTheTopLevelDocumentIsEntered) {
  zrXml xml;
  ASSERT_TRUE(Load(xml,
                   "<document><document><brand>inner</brand></document>"
                   "<brand>outer</brand></document>"));
  EXPECT_EQ(ReadUtf8(xml, {"brand"}), "outer");
  EXPECT_EQ(ReadUtf8(xml, {"document", "brand"}), "inner");
  EXPECT_EQ(ReadUtf8(xml, {"document", "document", "brand"}, u"none"), "none");

  ASSERT_TRUE(Load(xml, "<document>text</document>"));
  EXPECT_EQ(ReadUtf8(xml, {"document"}, u"none"), "none");
}

TEST(XmlQuery, ManyEquallyNamedSiblingsAreQueriedQuickly) {
  // Only the first <i> in the file has a <w>: a search that tried every sibling per query
  // took tens of seconds here.
  constexpr int kSiblings = 50000;
  std::string body = "<document><i><w>7</w></i>";
  for (int n = 1; n < kSiblings; ++n) body += "<i><v>" + std::to_string(n) + "</v></i>";
  zrXml xml;
  ASSERT_TRUE(Load(xml, body + "</document>"));

  const auto start = std::chrono::steady_clock::now();
  int found = 0;
  for (int n = 0; n < kSiblings; ++n) found += xml.ReadInt(0, {"i", "w"}) == 7;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed.count(), 5.0);  // seconds
  EXPECT_EQ(found, kSiblings);
  EXPECT_EQ(xml.ReadInt(0, {"i", "v"}), kSiblings - 1);
}

TEST(XmlQuery, ReadStringConvertsAndIsBounded) {
  zrXml xml;
  std::string longValue;
  for (int i = 0; i < 5000; ++i) longValue += "あ";
  ASSERT_TRUE(Load(xml, "<document><t>日本語</t><a>\r\n  text\r\n</a><long>" + longValue +
                            "</long></document>"));
  EXPECT_EQ(ReadUtf8(xml, {"t"}), "日本語");
  EXPECT_EQ(ReadUtf8(xml, {"a"}), "   text ");

  // A value beyond the 4095-unit work buffer is cut there.
  std::u16string big(8000, u'?');
  EXPECT_EQ(xml.ReadString(big.data(), big.size(), u"", {"long"}), 1);
  EXPECT_EQ(std::u16string(big.c_str()), std::u16string(4095, u'あ'));

  // A short caller buffer gets what fits, terminated; so does the default.
  char16_t small[4] = {u'!', u'!', u'!', u'!'};
  EXPECT_EQ(xml.ReadString(small, 3, u"", {"t"}), 1);
  EXPECT_EQ(std::u16string(small), u"日本");
  EXPECT_EQ(small[3], u'!');
  EXPECT_EQ(xml.ReadString(small, 3, u"default", {"none"}), 0);
  EXPECT_EQ(std::u16string(small), u"de");

  char narrow[5] = "!!!!";
  EXPECT_EQ(xml.ReadStringA(narrow, 4, "", {"a"}), 1);
  EXPECT_STREQ(narrow, "   ");
  EXPECT_EQ(xml.ReadStringA(narrow, 5, "dflt", {"none"}), 0);
  EXPECT_STREQ(narrow, "dflt");
}

TEST(XmlQuery, NumbersFollowTheTextRules) {
  zrXml xml;
  ASSERT_TRUE(Load(xml,
                   "<document><f>12.5</f><h>0x1F</h><n>-7px</n><e></e><s> 3</s>"
                   "<w>4294967297</w><x>2.25</x></document>"));
  EXPECT_EQ(xml.ReadInt(5, {"f"}), 0);
  EXPECT_EQ(xml.ReadInt(5, {"h"}), 31);
  EXPECT_EQ(xml.ReadInt(5, {"n"}), -7);
  EXPECT_EQ(xml.ReadInt(5, {"e"}), 0);  // found but empty: not the default
  EXPECT_EQ(xml.ReadInt(5, {"s"}), 0);
  EXPECT_EQ(xml.ReadInt(5, {"w"}), 1);  // wraps at 32 bits
  EXPECT_EQ(xml.ReadInt(5, {"missing"}), 5);
  EXPECT_FLOAT_EQ(xml.ReadFloat(1.5f, {"x"}), 2.25f);
}

TEST(XmlQuery, PathVariantsTakeListsOfKeys) {
  zrXml xml;
  ASSERT_TRUE(Load(xml, "<document><w><h>480</h><t>abc</t></w></document>"));
  EXPECT_EQ(xml.ReadIntPath(1, {"w", "h"}), 480);
  EXPECT_EQ(xml.ReadIntPath(1, {"w", "x"}), 1);
  char out[8];
  EXPECT_EQ(xml.ReadStringAPath(out, sizeof out, "d", {"w", "t"}), 1);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(xml.ReadStringAPath(out, sizeof out, "d", {"t"}), 0);
  EXPECT_STREQ(out, "d");
}

std::list<std::string> Enumerate(const zrXml& xml, zrXml::Keys keys, int* found) {
  zrXmlCursor cursor;
  *found = xml.FindChildren(cursor, keys);
  std::list<std::string> names;
  std::string name;
  while (xml.NextChild(cursor, name)) names.push_back(name);
  return names;
}

TEST(XmlEnumeration, FindChildrenAndNextChild) {
  zrXml xml;
  ASSERT_TRUE(Load(xml,
                   "<document><language><lang00>a</lang00><lang01>b</lang01></language>"
                   "<window><size><w>1</w><h>2</h></size></window><empty></empty></document>"));
  int found = 0;
  EXPECT_EQ(Enumerate(xml, {"language"}, &found), (std::list<std::string>{"lang01", "lang00"}));
  EXPECT_EQ(found, 1);
  EXPECT_EQ(Enumerate(xml, {"window/size"}, &found), (std::list<std::string>{"h", "w"}));
  EXPECT_EQ(Enumerate(xml, {}, &found), (std::list<std::string>{"empty", "window", "language"}));
  EXPECT_TRUE(Enumerate(xml, {"empty"}, &found).empty());
  EXPECT_EQ(found, 0);
  EXPECT_TRUE(Enumerate(xml, {"missing"}, &found).empty());
  EXPECT_EQ(found, 0);

  // The path always starts at "document", so another root name finds nothing by keys.
  ASSERT_TRUE(Load(xml, "<config><a>1</a></config>"));
  EXPECT_TRUE(Enumerate(xml, {"a"}, &found).empty());
  EXPECT_EQ(Enumerate(xml, {}, &found), (std::list<std::string>{"a"}));

  zrXml empty;
  std::string name;
  zrXmlCursor cursor;
  EXPECT_EQ(empty.FindChildren(cursor, {}), 0);
  EXPECT_EQ(empty.NextChild(cursor, name), 0);
}

TEST(XmlEnumeration, FindChildrenListsTheFirstMatchingEntryOnly) {
  zrXml xml;
  ASSERT_TRUE(Load(xml,
                   "<document><s><k>1</k></s><s></s>"
                   "<a><b><c></c><d></d></b></a><a><b><x></x></b></a></document>"));
  int found = 0;
  // The later <s> is childless: its children are not taken from the earlier one.
  EXPECT_TRUE(Enumerate(xml, {"s"}, &found).empty());
  EXPECT_EQ(found, 0);
  EXPECT_EQ(ReadUtf8(xml, {"s", "k"}), "1");
  EXPECT_EQ(Enumerate(xml, {"a/b"}, &found), (std::list<std::string>{"x"}));
  EXPECT_EQ(Enumerate(xml, {"a", "b"}, &found), (std::list<std::string>{"x"}));
}

TEST(XmlLoad, FileLoadsWithTraces) {
  zrtest::TempDir dir;
  dir.WriteFile("updateinfo.xml", kDeclaration +
                                      "<document>\r\n  <brand>ブランド</brand>\r\n"
                                      "  <version>3</version>\r\n</document>\r\n");
  zrtest::TraceCapture traces;
  zrXml xml;
  const std::u16string path = dir.WidePathOf("updateinfo.xml");
  ASSERT_EQ(xml.LoadFile(path.c_str()), 1);
  EXPECT_EQ(xml.GetStatus(), 0);
  EXPECT_EQ(ReadUtf8(xml, {"brand"}), "ブランド");
  EXPECT_EQ(xml.ReadInt(0, {"version"}), 3);
  EXPECT_TRUE(traces.Contains("xml open " + zrtest::Utf8(path)));
  EXPECT_TRUE(traces.Contains("xml open exit"));
}

TEST(XmlLoad, FailuresLeaveAnEmptyDocument) {
  zrtest::TempDir dir;
  zrtest::TraceCapture traces;
  zrXml xml;
  ASSERT_TRUE(Load(xml, "<document><a>1</a></document>"));

  const std::u16string missing = dir.WidePathOf("missing.xml");
  EXPECT_EQ(xml.LoadFile(missing.c_str()), 0);
  EXPECT_EQ(xml.GetStatus(), 1);
  EXPECT_EQ(xml.GetStatusMessage(),
            "ファイル " + zrtest::Utf8(missing) + " のオープンに失敗しました。");
  EXPECT_TRUE(traces.Contains("zrXml : File open error " + zrtest::Utf8(missing)));
  EXPECT_EQ(xml.ReadInt(9, {"a"}), 9);  // the earlier document is gone

  dir.WriteFile("empty.xml", "");
  EXPECT_EQ(xml.LoadFile(dir.WidePathOf("empty.xml").c_str()), 0);
  EXPECT_EQ(xml.GetStatus(), 4);

  traces.Clear();
  ASSERT_TRUE(Load(xml, "<document><a>1</a></document>"));
  EXPECT_TRUE(traces.Texts().empty());  // a memory load traces only its failure
  EXPECT_FALSE(Load(xml, "<document><a>1</b></document>"));
  EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"zrXml : OpenMem error."}));
  EXPECT_EQ(xml.ReadInt(9, {"a"}), 9);

  // A path too long for the message field is cut at a whole character.
  std::string longName;
  for (int i = 0; i < 80; ++i) longName += "あ";
  const std::u16string longPath = dir.WidePathOf(longName + "/" + longName + "/x.xml");
  EXPECT_EQ(xml.LoadFile(longPath.c_str()), 0);
  const std::string message = xml.GetStatusMessage();
  EXPECT_LE(message.size(), 511u);
  EXPECT_GE(message.size(), 507u);
  EXPECT_EQ(zrtest::Utf8(zrtest::Wide(message)), message);  // no broken character at the end
}

}  // namespace
