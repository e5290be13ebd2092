#include "xml/xml_parser.h"

#include <new>
#include <utility>
#include <vector>

#include "file/zrFile.h"
#include "system/text_encoding.h"
#include "xml/xml_tag.h"

namespace {

constexpr uint32_t kReadMode = ZRFILE_OPEN_EXISTING | ZRFILE_READ;  // 0x101

// Value of the last attribute of that name in the tag (the first of the reversed list a node
// would hold).
const std::string* FindAttribute(const zrXmlTag& tag, const char* name) {
  for (auto it = tag.attributes.rbegin(); it != tag.attributes.rend(); ++it) {
    if (EqualsIgnoringCase(it->first, name)) return &it->second;
  }
  return nullptr;
}

void ApplyTag(zrXmlNodeStore& nodes, zrXmlNode* node, zrXmlTag& tag) {
  node->name = std::move(tag.name);
  for (auto& attribute : tag.attributes) {
    nodes.AddAttribute(node, std::move(attribute.first), std::move(attribute.second));
  }
}

}  // namespace

int zrXmlParser::Fail(int status, const char* pattern, const char* argument) {
  message_.Set(pattern, argument);
  status_ = status;
  return status;
}

int zrXmlParser::ReadFile(const char16_t* path) {
  tokens_.clear();
  char utf8Path[1024];
  WideToUtf8(path ? path : u"", utf8Path, sizeof utf8Path);

  zrFile file;
  if (!path || !file.Open(path, kReadMode)) {
    return Fail(kXmlOpenFailed, "ファイル %s のオープンに失敗しました。", utf8Path);
  }
  const int32_t size = file.GetSize();
  // A size the file cannot report is a failed read, not an empty document.
  if (size < 0) return Fail(kXmlReadFailed, "ファイル %s の読み込みに失敗しました。", utf8Path);
  // The private heap is not needed here, so files load before (or without) it. A file too large
  // for memory is a failed read.
  std::vector<char> bytes;
  try {
    bytes.assign(static_cast<size_t>(size) + 1, 0);
  } catch (const std::bad_alloc&) {
    return Fail(kXmlReadFailed, "ファイル %s の読み込みに失敗しました。", utf8Path);
  }
  const int32_t read = size > 0 ? file.Read(bytes.data(), size) : 0;
  file.Close();
  if (read != size) return Fail(kXmlReadFailed, "ファイル %s の読み込みに失敗しました。", utf8Path);
  return Parse(bytes.data(), static_cast<size_t>(size));
}

int zrXmlParser::Parse(const char* text, size_t length) {
  tokens_.clear();
  nodes_.Clear();
  status_ = kXmlOk;
  if (!text) return Fail(kXmlNoText, "読み込みバッファが無効です。");

  ScanXmlTokens(PrepareXmlText(text, length), tokens_);
  if (!CheckDeclaration()) return Fail(kXmlBadDeclaration, "読み込みできない形式のファイルです。");
  RemoveXmlComments(tokens_);

  // Only the first top-level element is read; what follows its end tag is ignored.
  for (size_t index = 1; index < tokens_.size(); ++index) {
    if (tokens_[index].empty() || tokens_[index][0] != '<') continue;
    zrXmlTag tag;
    if (!ParseXmlTag(tokens_[index], "<", ">", message_, tag)) {
      status_ = kXmlBadTag;
    } else {
      status_ = BuildElement(nodes_.Root(), tag, index, 1);
    }
    break;
  }
  tokens_.clear();
  tokens_.shrink_to_fit();
  return status_;
}

bool zrXmlParser::CheckDeclaration() {
  if (tokens_.empty()) return false;
  zrXmlTag tag;
  if (!ParseXmlTag(tokens_[0], "<?", "?>", message_, tag) || tag.name != "xml") return false;
  const std::string* version = FindAttribute(tag, "version");
  const std::string* encoding = FindAttribute(tag, "encoding");
  return version && EqualsIgnoringCase(*version, "1.0") && encoding &&
         EqualsIgnoringCase(*encoding, "UTF-8");
}

int zrXmlParser::BuildElement(zrXmlNode* parent, zrXmlTag& tag, size_t& index, int depth) {
  zrXmlNode* node = nodes_.AddChild(parent);
  if (depth > kMaxDepth) return Fail(kXmlBadTag, "不正なタグです。");
  ApplyTag(nodes_, node, tag);
  ++index;

  zrXmlTag inner;
  while (index < tokens_.size()) {
    const std::string& token = tokens_[index];
    if (token.empty() || token[0] != '<') {
      // Text around children joins into one text, spaces and all.
      node->text += token;
      ++index;
      continue;
    }
    if (!ParseXmlTag(token, "<", ">", message_, inner)) return kXmlBadTag;
    if (inner.name[0] == '/') {
      if (inner.name.compare(1, std::string::npos, node->name) != 0) {
        return Fail(kXmlBadEndTag, "タグ終端<%s>が不正です。", inner.name.c_str());
      }
      ++index;
      return kXmlOk;
    }
    const int status = BuildElement(node, inner, index, depth + 1);
    if (status != kXmlOk) return status;
  }
  // An element still open at the end of the document is accepted.
  return kXmlOk;
}
