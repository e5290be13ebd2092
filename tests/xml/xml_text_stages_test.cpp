// The stages before the tree: line ends, tokens, the declaration, comments and single tags.
#include <gtest/gtest.h>

#include <string>

#include "xml/xml_scanner.h"
#include "xml/xml_tag.h"
#include "xml/zrXml.h"

namespace {

zrXmlTokens Scan(const std::string& text) {
  zrXmlTokens tokens;
  ScanXmlTokens(PrepareXmlText(text.data(), text.size()), tokens);
  return tokens;
}

int LoadStatus(const std::string& text) {
  zrXml xml;
  xml.LoadMemory(text.data(), text.size());
  return xml.GetStatus();
}

TEST(XmlScanner, FoldsCrLfAndEndsAtNul) {
  const std::string raw("a\r\nb\rc\0d", 8);
  EXPECT_EQ(PrepareXmlText(raw.data(), raw.size()), "a\nb\rc");
  EXPECT_EQ(PrepareXmlText(nullptr, 3), "");
}

TEST(XmlScanner, SplitsTagsAndTextRuns) {
  EXPECT_EQ(Scan("<a x='1'>\tt\n<b></b>tail"),
            (zrXmlTokens{"<a x='1'>", " t ", "<b>", "", "</b>"}));
  // A '>' or '<' that is the document's first character starts nothing.
  EXPECT_EQ(Scan(">a<b>"), (zrXmlTokens{">a", "<b>"}));
  // A run that ends at '>' without starting at '<', and a '<' that cuts an open tag.
  EXPECT_EQ(Scan("<a>x>y<b <c>"), (zrXmlTokens{"<a>", "x>", "y", "<b ", "<c>"}));
}

TEST(XmlScanner, ShiftJisPairIsOneCharacter) {
  // A pair whose trail byte is a backslash stays whole and unchanged.
  EXPECT_EQ(Scan("<a>\x83\x5C\t</a>"), (zrXmlTokens{"<a>", "\x83\x5C ", "</a>"}));
  // A lead byte before a delimiter or a TAB is no pair: the delimiter still works.
  EXPECT_EQ(Scan("<a>\x81<b>\x81\t\x81>"), (zrXmlTokens{"<a>", "\x81", "<b>", "\x81 \x81>"}));
  // A lead byte as the very last byte.
  EXPECT_EQ(Scan("<a>\x81"), (zrXmlTokens{"<a>"}));
}

TEST(XmlDeclaration, OnlyUtf8Version10AtTheVeryStart) {
  const std::string body = "\r\n<document></document>";
  EXPECT_EQ(LoadStatus("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body), 0);
  EXPECT_EQ(LoadStatus("<?xml version='1.0' encoding='utf-8'?>" + body), 0);
  EXPECT_EQ(LoadStatus("<?xml VERSION=\"1.0\" Encoding=\"Utf-8\" ?>" + body), 0);
  EXPECT_EQ(LoadStatus("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body), 4);
  EXPECT_EQ(LoadStatus("\r\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body), 4);
  EXPECT_EQ(LoadStatus(" <?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body), 4);
  EXPECT_EQ(LoadStatus("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + body), 4);
  EXPECT_EQ(LoadStatus("<?XML version=\"1.0\" encoding=\"UTF-8\"?>" + body), 4);
  EXPECT_EQ(LoadStatus("<?xml encoding=\"UTF-8\"?>" + body), 4);
  EXPECT_EQ(LoadStatus(""), 4);

  zrXml xml;
  const std::string shiftJis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a></a>";
  EXPECT_EQ(xml.LoadMemory(shiftJis.c_str(), 0), 0);
  EXPECT_STREQ(xml.GetStatusMessage(), "読み込みできない形式のファイルです。");
  EXPECT_EQ(xml.LoadMemory(nullptr, 10), 0);
  EXPECT_EQ(xml.GetStatus(), 3);
  EXPECT_STREQ(xml.GetStatusMessage(), "読み込みバッファが無効です。");
}

TEST(XmlComments, RemovedWholeAtTokenBoundaries) {
  zrXmlTokens tokens{"<?xml?>", "<a>", "<!-- a >", " b -->", "x", "<!--c-->", "</a>"};
  RemoveXmlComments(tokens);
  EXPECT_EQ(tokens, (zrXmlTokens{"<?xml?>", "<a>", "x", "</a>"}));

  // Unterminated: nothing is removed.
  tokens = {"<a>", "<!-- open", "<b>", "</a>"};
  RemoveXmlComments(tokens);
  EXPECT_EQ(tokens, (zrXmlTokens{"<a>", "<!-- open", "<b>", "</a>"}));

  // A closing mark with no comment open is ordinary text.
  tokens = {"<a>", "x-->", "</a>", "<!-- y -->"};
  RemoveXmlComments(tokens);
  EXPECT_EQ(tokens, (zrXmlTokens{"<a>", "x-->", "</a>"}));
}

TEST(XmlTag, NameAndAttributeWords) {
  zrXmlMessage message;
  zrXmlTag tag;
  ASSERT_EQ(ParseXmlTag("<  item x=\"1\" y='2' q='\"'>", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.name, "item");
  using Pairs = decltype(tag.attributes);
  EXPECT_EQ(tag.attributes, (Pairs{{"x", "1"}, {"y", "2"}, {"q", "\""}}));
  EXPECT_STREQ(message.Text(), "");

  // A value is cut at a space; the rest of the tag is then ignored.
  ASSERT_EQ(ParseXmlTag("<a x=\"x y\" z=\"3\">", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.attributes, (Pairs{{"x", "x"}}));
  // A word without '=' ends the reading silently.
  ASSERT_EQ(ParseXmlTag("<a flag z='1'>", "<", ">", message, tag), 1);
  EXPECT_TRUE(tag.attributes.empty());
  EXPECT_STREQ(message.Text(), "");
  // An unquoted value, or bytes after the closing quote: rejected with a message.
  ASSERT_EQ(ParseXmlTag("<a w='0' x=1 z='2'>", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.attributes, (Pairs{{"w", "0"}}));
  EXPECT_STREQ(message.Text(), "属性(x)の値が不正です。");
  ASSERT_EQ(ParseXmlTag("<a y='1'junk z='2'>", "<", ">", message, tag), 1);
  EXPECT_TRUE(tag.attributes.empty());
  EXPECT_STREQ(message.Text(), "属性(y)の値が不正です。");
  // A missing closing quote keeps what was read.
  ASSERT_EQ(ParseXmlTag("<a x='1>", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.attributes, (Pairs{{"x", "1"}}));
}

TEST(XmlTag, MalformedTags) {
  zrXmlMessage message;
  zrXmlTag tag;
  EXPECT_EQ(ParseXmlTag("a>", "<", ">", message, tag), 0);
  EXPECT_STREQ(message.Text(), "タグではありません。");
  EXPECT_EQ(ParseXmlTag("<a ", "<", ">", message, tag), 0);
  EXPECT_STREQ(message.Text(), "タグ定義に誤りがあります。");
  EXPECT_EQ(ParseXmlTag("<  >", "<", ">", message, tag), 0);
  EXPECT_STREQ(message.Text(), "不正なタグです。");
  // Overlapping markers leave no inner text.
  EXPECT_EQ(ParseXmlTag("<?>", "<?", "?>", message, tag), 0);
  EXPECT_STREQ(message.Text(), "不正なタグです。");
}

TEST(XmlTag, CharactersAreUtf8SequencesCutAtTheEnd) {
  zrXmlMessage message;
  zrXmlTag tag;
  ASSERT_EQ(ParseXmlTag("<名前 属性=\"値\">", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.name, "名前");
  ASSERT_EQ(tag.attributes.size(), 1u);
  EXPECT_EQ(tag.attributes[0].second, "値");
  // Shift-JIS bytes start no valid sequence: each is a one-byte character.
  ASSERT_EQ(ParseXmlTag("<a v=\"\x83\x5C\x83\x89\">", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.attributes[0].second, "\x83\x5C\x83\x89");
  // A lead byte whose sequence would swallow the closing quote; one at the very end.
  ASSERT_EQ(ParseXmlTag("<a v=\"\xE3\x81\">", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.attributes[0].second, "\xE3\x81\"");
  ASSERT_EQ(ParseXmlTag("<a\xC3>", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.name, "a\xC3");
  // A two-byte lead takes the following space into the word.
  ASSERT_EQ(ParseXmlTag("<a\xC3 b='1'>", "<", ">", message, tag), 1);
  EXPECT_EQ(tag.name, "a\xC3 b='1'");
}

TEST(XmlMessage, CutAtAWholeCharacter) {
  zrXmlMessage message;
  std::string name = "x";
  for (int i = 0; i < 200; ++i) name += "あ";
  message.Set("属性(%s)の値が不正です。", name.c_str());
  // "属性(x" is 8 bytes; 167 whole characters fit before the 511th byte.
  const std::string text = message.Text();
  EXPECT_EQ(text.size(), 8u + 167u * 3u);
  EXPECT_EQ(text.substr(text.size() - 3), "あ");
}

}  // namespace
