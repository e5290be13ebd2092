// The parse tree: elements with their attributes, doubly linked. A new child or attribute is
// always inserted first in its list, so after a parse every list is in the reverse of the file's
// order.
#pragma once

#include <deque>
#include <string>

struct zrXmlAttribute {
  zrXmlAttribute* previous = nullptr;
  zrXmlAttribute* next = nullptr;
  std::string name;
  std::string value;
};

struct zrXmlNode {
  zrXmlNode* parent = nullptr;
  zrXmlNode* firstChild = nullptr;
  zrXmlNode* previous = nullptr;
  zrXmlNode* next = nullptr;
  std::string name;
  std::string text;
  zrXmlAttribute* firstAttribute = nullptr;
};

// Owns every node and attribute of one tree. Links are plain pointers into the store, so freeing
// a tree never recurses, however deep or wide it is.
class zrXmlNodeStore {
 public:
  zrXmlNodeStore() { Clear(); }
  zrXmlNodeStore(const zrXmlNodeStore&) = delete;
  zrXmlNodeStore& operator=(const zrXmlNodeStore&) = delete;

  // The pseudo-root: no name; the document's top-level element is its child.
  zrXmlNode* Root() { return &nodes_.front(); }
  const zrXmlNode* Root() const { return &nodes_.front(); }

  // A new empty node, first among the parent's children.
  zrXmlNode* AddChild(zrXmlNode* parent);
  // A new attribute, first in the node's list.
  zrXmlAttribute* AddAttribute(zrXmlNode* node, std::string name, std::string value);
  // Frees everything but a fresh pseudo-root.
  void Clear();

 private:
  std::deque<zrXmlNode> nodes_;
  std::deque<zrXmlAttribute> attributes_;
};
