// Building documents with the setters and saving them.
#include <gtest/gtest.h>

#include <list>
#include <string>

#include "support/test_support.h"
#include "xml/xml_parser.h"
#include "xml/zrXml.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Saves into a fresh folder and gives the file's bytes.
std::string Saved(zrXml& xml) {
  zrtest::TempDir dir;
  EXPECT_EQ(xml.Save(dir.WidePathOf("out.xml").c_str()), 1);
  EXPECT_EQ(xml.GetStatus(), 0) << xml.GetStatusMessage();
  return dir.ReadFile("out.xml");
}

TEST(XmlWriter, BuiltDocumentsSaveInTheFixedLayout) {
  zrXml xml;
  ASSERT_EQ(xml.Create(), 1);
  EXPECT_EQ(Saved(xml), kDeclaration + "<document></document>\r\n");

  ASSERT_EQ(xml.WriteInt(5, {"window", "width"}), 1);
  EXPECT_EQ(Saved(xml), kDeclaration +
                            "<document>\r\n"
                            "  <window>\r\n"
                            "    <width>5</width>\r\n"
                            "  </window>\r\n"
                            "</document>\r\n");

  // Appended siblings come out before older ones; setting a path again keeps one element; an
  // element that gains children loses its own text; texts are written as they are.
  ASSERT_EQ(xml.Create(), 1);
  EXPECT_EQ(xml.WriteString(u"\u30b2\u30fc\u30e0 & \"co\"", {"a"}), 1);
  EXPECT_EQ(xml.WriteFloat(1.5f, {"b"}), 1);
  EXPECT_EQ(xml.WriteIntPath(-3, {"c", "d"}), 1);
  EXPECT_EQ(xml.WriteInt(7, {"b"}), 1);
  EXPECT_EQ(xml.WriteInt(9, {"c"}), 1);
  EXPECT_EQ(Saved(xml), kDeclaration +
                            "<document>\r\n"
                            "  <c>\r\n"
                            "    <d>-3</d>\r\n"
                            "  </c>\r\n"
                            "  <b>7</b>\r\n"
                            "  <a>\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0 & \"co\"</a>\r\n"
                            "</document>\r\n");
  EXPECT_EQ(xml.ReadInt(0, {"c", "d"}), -3);
  ASSERT_EQ(xml.WriteFloat(0.25f, {"f"}), 1);
  char text[32];
  xml.ReadStringA(text, sizeof text, "", {"f"});
  EXPECT_STREQ(text, "0.250000");
}

TEST(XmlWriter, LoadedFilesSaveInTheirOrderAndReadBack) {
  zrtest::TempDir dir;
  dir.WriteFile("in.xml", kDeclaration +
                              "<document>\n<!-- player settings -->\n"
                              "<WINDOW mode=\"1\" Size=\"big\"><width>1024</width>\n"
                              "<height>768</height></WINDOW>\n"
                              "<FONT><face>Gothic</face></FONT>\n"
                              "</document>\n");
  zrXml xml;
  ASSERT_EQ(xml.LoadFile(dir.WidePathOf("in.xml").c_str()), 1);
  ASSERT_EQ(xml.WriteInt(1280, {"WINDOW", "width"}), 1);
  ASSERT_EQ(xml.WriteInt(1, {"SOUND", "stereo"}), 1);
  ASSERT_EQ(xml.Save(dir.WidePathOf("out.xml").c_str()), 1);
  EXPECT_EQ(dir.ReadFile("out.xml"), kDeclaration +
                                         "<document>\r\n"
                                         "  <SOUND>\r\n"
                                         "    <stereo>1</stereo>\r\n"
                                         "  </SOUND>\r\n"
                                         "  <WINDOW mode=\"1\" Size=\"big\">\r\n"
                                         "    <width>1280</width>\r\n"
                                         "    <height>768</height>\r\n"
                                         "  </WINDOW>\r\n"
                                         "  <FONT>\r\n"
                                         "    <face>Gothic</face>\r\n"
                                         "  </FONT>\r\n"
                                         "</document>\r\n");
  zrXml again;
  ASSERT_EQ(again.LoadFile(dir.WidePathOf("out.xml").c_str()), 1);
  EXPECT_EQ(again.ReadInt(0, {"WINDOW", "width"}), 1280);
  EXPECT_EQ(again.ReadInt(0, {"SOUND", "stereo"}), 1);

  // A root of another name gains a second top-level "document", which queries then start above.
  const std::string config = kDeclaration + "<config><x>1</x></config>";
  ASSERT_EQ(xml.LoadMemory(config.data(), config.size()), 1);
  ASSERT_EQ(xml.WriteInt(2, {"y"}), 1);
  EXPECT_EQ(xml.ReadInt(0, {"document", "y"}), 2);
  EXPECT_EQ(xml.ReadInt(0, {"config", "x"}), 1);
}

TEST(XmlWriter, WhatCouldNotBeReadBackIsRefused) {
  zrtest::TempDir dir;
  zrXml xml;
  // No document yet: setters refuse, and a save writes nothing.
  EXPECT_EQ(xml.WriteInt(1, {"a"}), 0);
  dir.WriteFile("keep.xml", "old");
  EXPECT_EQ(xml.Save(dir.WidePathOf("keep.xml").c_str()), 1);
  EXPECT_EQ(xml.GetStatus(), 7);
  EXPECT_STREQ(xml.GetStatusMessage(), "保存情報がありません。");
  EXPECT_EQ(dir.ReadFile("keep.xml"), "old");
  ASSERT_EQ(xml.LoadMemory("not xml", 0), 0);
  EXPECT_EQ(xml.WriteInt(1, {"a"}), 0);

  // Markup in a text, or a path deeper than a load accepts, would lose the whole document on the
  // next load.
  ASSERT_EQ(xml.Create(), 1);
  EXPECT_EQ(xml.WriteString(u"a<b", {"name"}), 0);
  EXPECT_EQ(xml.WriteString(u"a>b", {"name"}), 0);
  std::list<std::string> deep(zrXmlParser::kMaxDepth, "n");
  EXPECT_EQ(xml.WriteIntPath(1, deep), 0);
  deep.pop_back();
  EXPECT_EQ(xml.WriteIntPath(1, deep), 1);
  ASSERT_EQ(xml.Save(dir.WidePathOf("deep.xml").c_str()), 1);
  zrXml again;
  EXPECT_EQ(again.LoadFile(dir.WidePathOf("deep.xml").c_str()), 1);
  EXPECT_EQ(again.ReadIntPath(0, deep), 1);

  // A file that cannot be opened for writing.
  EXPECT_EQ(xml.Save(dir.WidePathOf("missing/out.xml").c_str()), 1);
  EXPECT_EQ(xml.GetStatus(), 9);
  EXPECT_NE(std::string(xml.GetStatusMessage()).find("out.xml]のオープンに失敗しました。"),
            std::string::npos);
}

}  // namespace
