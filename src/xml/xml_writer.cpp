#include "xml/xml_writer.h"

#include <cstring>

#include "xml/xml_tag.h"

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Sets the attribute: an existing one of the same name (any case) takes the value, otherwise the
// pair is inserted first.
void SetAttribute(zrXmlNode* node, const std::string& name, const std::string& value,
                  zrXmlNodeStore& store) {
  for (zrXmlAttribute* a = node->firstAttribute; a; a = a->next) {
    if (EqualsIgnoringCase(a->name, name.c_str())) {
      a->value = value;
      return;
    }
  }
  store.AddAttribute(node, name, value);
}

// The serialiser runs twice over the same tree with the same logic: once with a counting sink,
// once with a filling one.
class CountingSink {
 public:
  void Put(const char*, size_t length) { size_ += length; }
  void Spaces(size_t count) { size_ += count; }
  size_t size() const { return size_; }

 private:
  size_t size_ = 0;
};

class FillingSink {
 public:
  explicit FillingSink(char* at) : at_(at) {}
  void Put(const char* bytes, size_t length) {
    std::memcpy(at_, bytes, length);
    at_ += length;
  }
  void Spaces(size_t count) {
    std::memset(at_, ' ', count);
    at_ += count;
  }

 private:
  char* at_;
};

template <typename Sink>
void Put(Sink& sink, const std::string& text) {
  sink.Put(text.data(), text.size());
}

template <typename Sink>
void WriteChildren(Sink& sink, const zrXmlNode* node, size_t depth) {
  // Recursion is bounded: loaded trees by the parser's depth limit, built ones by the setters'.
  for (const zrXmlNode* child = node->firstChild; child; child = child->next) {
    sink.Spaces(2 * depth);
    sink.Put("<", 1);
    Put(sink, child->name);
    for (const zrXmlAttribute* a = child->firstAttribute; a; a = a->next) {
      sink.Put(" ", 1);
      Put(sink, a->name);
      sink.Put("=\"", 2);
      Put(sink, a->value);
      sink.Put("\"", 1);
    }
    sink.Put(">", 1);
    if (child->firstChild) {
      sink.Put("\r\n", 2);
      WriteChildren(sink, child, depth + 1);
      sink.Spaces(2 * depth);
    } else {
      Put(sink, child->text);
    }
    sink.Put("</", 2);
    Put(sink, child->name);
    sink.Put(">\r\n", 3);
  }
}

template <typename Sink>
void WriteDocument(Sink& sink, const zrXmlNode* root) {
  sink.Put(kDeclaration, sizeof kDeclaration - 1);
  WriteChildren(sink, root, 0);
}

}  // namespace

void ConvertXmlEntries(const zrXmlEntryList& list, zrXmlNode* parent, zrXmlNodeStore& store) {
  for (const zrXmlEntry& entry : list) {
    zrXmlNode* node = store.AddChild(parent);
    node->name = entry.name;
    if (!entry.children) node->text = entry.value;
    if (entry.attributes) {
      for (const auto& [name, value] : *entry.attributes) SetAttribute(node, name, value, store);
    }
    if (entry.children) ConvertXmlEntries(*entry.children, node, store);
  }
}

std::string SerialiseXml(const zrXmlNode* root) {
  CountingSink counter;
  WriteDocument(counter, root);
  std::string bytes(counter.size(), '\0');
  FillingSink filler(bytes.data());
  WriteDocument(filler, root);
  return bytes;
}
