#include "xml/xml_tag.h"

#include <algorithm>
#include <cstring>

#include "system/text_encoding.h"

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualBytesIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The inner text of a tag, read one UTF-8 character at a time. A byte that starts no valid
// sequence (a continuation byte, Shift-JIS text) is a one-byte character, and a sequence longer
// than what is left of the text is cut at its end.
class TagText {
 public:
  // The copy's terminator stops the length function's look-ahead at the end of the text.
  TagText(const char* bytes, size_t length) : buffer_(bytes, length), length_(length) {}

  const char* Bytes() const { return buffer_.data(); }

  size_t CharLength(size_t position) const {
    const int length = Utf8SequenceLength(buffer_.data() + position);
    if (length < 1) return 1;
    return std::min(static_cast<size_t>(length), length_ - position);
  }

  // The next run of characters up to one that begins with a space; false when only spaces are
  // left.
  bool NextWord(size_t& begin, size_t& end) {
    while (position_ < length_ && buffer_[position_] == ' ') ++position_;
    if (position_ >= length_) return false;
    begin = position_;
    while (position_ < length_ && buffer_[position_] != ' ') position_ += CharLength(position_);
    end = position_;
    return true;
  }

 private:
  std::string buffer_;
  size_t length_;
  size_t position_ = 0;
};

// Reads one attribute word. 1 when an attribute was found (added to `tag`), 0 when the reading of
// this tag ends.
int ReadAttribute(const TagText& text, size_t begin, size_t end, zrXmlMessage& message,
                  zrXmlTag& tag) {
  const char* word = text.Bytes() + begin;
  const size_t length = end - begin;
  const void* equals = std::memchr(word, '=', length);
  if (!equals) return 0;  // the rest of the tag is ignored without a message
  const size_t nameLength = static_cast<size_t>(static_cast<const char*>(equals) - word);
  std::string name(word, nameLength);

  size_t position = begin + nameLength + 1;
  const char quote = position < end ? text.Bytes()[position] : 0;
  if (quote != '"' && quote != '\'') {
    message.Set("属性(%s)の値が不正です。", name.c_str());
    return 0;
  }
  ++position;

  std::string value;
  bool closed = false;
  while (position < end) {
    if (text.Bytes()[position] == quote) {
      closed = true;
      ++position;
      break;
    }
    const size_t charLength = text.CharLength(position);
    value.append(text.Bytes() + position, charLength);
    position += charLength;
  }
  if (closed && position < end) {
    message.Set("属性(%s)の値が不正です。", name.c_str());
    return 0;
  }
  // A word that ends before its closing quote keeps the value read so far.
  tag.attributes.emplace_back(std::move(name), std::move(value));
  return 1;
}

}  // namespace

bool EqualsIgnoringCase(const std::string& text, const char* other) {
  const size_t length = std::strlen(other);
  return text.size() == length && EqualBytesIgnoringCase(text.data(), other, length);
}

int ParseXmlTag(const std::string& token, const char* open, const char* close,
                zrXmlMessage& message, zrXmlTag& tag) {
  tag.name.clear();
  tag.attributes.clear();
  const size_t openLength = std::strlen(open);
  const size_t closeLength = std::strlen(close);
  if (token.size() < openLength || !EqualBytesIgnoringCase(token.data(), open, openLength)) {
    message.Set("タグではありません。");
    return 0;
  }
  size_t innerEnd = token.size();
  if (token.size() >= closeLength) {
    if (!EqualBytesIgnoringCase(token.data() + token.size() - closeLength, close, closeLength)) {
      message.Set("タグ定義に誤りがあります。");
      return 0;
    }
    innerEnd -= closeLength;
  }
  // The markers may overlap in a short token ("<?>"): then there is no inner text.
  const size_t innerLength = innerEnd > openLength ? innerEnd - openLength : 0;
  TagText text(token.data() + openLength, innerLength);

  size_t begin = 0;
  size_t end = 0;
  if (!text.NextWord(begin, end)) {
    message.Set("不正なタグです。");
    return 0;
  }
  tag.name.assign(text.Bytes() + begin, end - begin);
  while (text.NextWord(begin, end)) {
    if (!ReadAttribute(text, begin, end, message, tag)) break;
  }
  return 1;
}
