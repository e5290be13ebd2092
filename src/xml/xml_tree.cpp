#include "xml/xml_tree.h"

#include <utility>

zrXmlNode* zrXmlNodeStore::AddChild(zrXmlNode* parent) {
  zrXmlNode& node = nodes_.emplace_back();
  node.parent = parent;
  node.next = parent->firstChild;
  if (node.next) node.next->previous = &node;
  parent->firstChild = &node;
  return &node;
}

zrXmlAttribute* zrXmlNodeStore::AddAttribute(zrXmlNode* node, std::string name, std::string value) {
  zrXmlAttribute& attribute = attributes_.emplace_back();
  attribute.name = std::move(name);
  attribute.value = std::move(value);
  attribute.next = node->firstAttribute;
  if (attribute.next) attribute.next->previous = &attribute;
  node->firstAttribute = &attribute;
  return &attribute;
}

void zrXmlNodeStore::Clear() {
  attributes_.clear();
  nodes_.clear();
  nodes_.emplace_back();
}
