// The element builder: statuses, messages, sibling order and bad input.
#include "xml/xml_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "xml/zrXml.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

struct Result {
  int status;
  std::string message;
};

Result Parse(const std::string& body) {
  zrXmlParser parser;
  const std::string text = kDeclaration + body;
  const int status = parser.Parse(text.data(), text.size());
  EXPECT_EQ(status, parser.GetStatus());
  return {status, parser.GetStatusMessage()};
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  for (int i = 0; i < depth; ++i) text += "</e>";
  return text;
}

TEST(XmlBuilder, StatusesAndMessages) {
  EXPECT_EQ(Parse("<a><b>1</b></a>").status, 0);
  EXPECT_EQ(Parse("").status, 0);  // no element at all
  EXPECT_EQ(Parse("text only").status, 0);

  Result r = Parse("<a><b/></a>");  // opens an element named "b/"
  EXPECT_EQ(r.status, 6);
  EXPECT_EQ(r.message, "タグ終端</a>が不正です。");
  r = Parse("<a>x</A>");
  EXPECT_EQ(r.status, 6);
  EXPECT_EQ(r.message, "タグ終端</A>が不正です。");

  r = Parse("<a>< ></a>");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.message, "不正なタグです。");
  r = Parse("<a><b </a>");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.message, "タグ定義に誤りがあります。");
  r = Parse("< a=''>");
  EXPECT_EQ(r.status, 0);  // the name is "a=''"

  // A rejected attribute leaves its message but not a failure.
  r = Parse("<a x=1></a>");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.message, "属性(x)の値が不正です。");
}

TEST(XmlBuilder, TreeOrderTextAndSingleTopElement) {
  zrXmlParser parser;
  const std::string text = kDeclaration +
                           "<r a='1' b='2'>one<x></x> two <!-- c --><y>\r\n\ty\r\n</y></r>"
                           "<second></second>";
  ASSERT_EQ(parser.Parse(text.data(), text.size()), 0);
  const zrXmlNode* r = parser.Root()->firstChild;
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->name, "r");
  EXPECT_EQ(r->next, nullptr);  // the second top-level element is ignored
  EXPECT_EQ(r->parent, parser.Root());
  EXPECT_EQ(r->text, "one two ");
  // Children and attributes come out in reverse file order, doubly linked.
  ASSERT_NE(r->firstChild, nullptr);
  EXPECT_EQ(r->firstChild->name, "y");
  EXPECT_EQ(r->firstChild->text, "  y ");
  ASSERT_NE(r->firstChild->next, nullptr);
  EXPECT_EQ(r->firstChild->next->name, "x");
  EXPECT_EQ(r->firstChild->next->previous, r->firstChild);
  ASSERT_NE(r->firstAttribute, nullptr);
  EXPECT_EQ(r->firstAttribute->name, "b");
  ASSERT_NE(r->firstAttribute->next, nullptr);
  EXPECT_EQ(r->firstAttribute->next->value, "1");
  EXPECT_EQ(r->firstAttribute->next->previous, r->firstAttribute);
}

TEST(XmlBuilder, BadInputHasADefinedResult) {
  // Open elements at the end of the document are accepted.
  EXPECT_EQ(Parse("<a><b>text").status, 0);
  // Nesting is limited so that a hostile file cannot exhaust the stack.
  EXPECT_EQ(Parse(Nested(zrXmlParser::kMaxDepth)).status, 0);
  Result r = Parse(Nested(zrXmlParser::kMaxDepth + 1));
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.message, "不正なタグです。");
  EXPECT_EQ(Parse(Nested(200000)).status, 5);
  // Many siblings and attributes are fine (nothing recurses along a list).
  std::string wide = "<a>";
  for (int i = 0; i < 100000; ++i) wide += "<b x='1'></b>";
  EXPECT_EQ(Parse(wide + "</a>").status, 0);
  // Stray closing marks and unterminated comments are text or tags, never a crash.
  EXPECT_EQ(Parse("<a>x--></a>").status, 0);
  EXPECT_EQ(Parse("<a><!-- never closed </a>").status, 5);
  EXPECT_EQ(Parse("</a>").status, 0);
  EXPECT_EQ(Parse("<a>\x81").status, 0);
}

}  // namespace
