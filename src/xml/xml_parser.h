// One parse of an XML text (or file) into a tree of zrXmlNode, with the status and message of
// the last parse.
#pragma once

#include <cstddef>

#include "xml/xml_message.h"
#include "xml/xml_scanner.h"
#include "xml/xml_tree.h"

struct zrXmlTag;

// Parse statuses; 7 and above belong to saving.
enum zrXmlStatus {
  kXmlOk = 0,
  kXmlOpenFailed = 1,
  kXmlReadFailed = 2,
  kXmlNoText = 3,
  kXmlBadDeclaration = 4,
  kXmlBadTag = 5,
  kXmlBadEndTag = 6,
  kXmlNothingToSave = 7,
  // 8 would be a damaged tree met while saving; the trees here are always whole.
  kXmlSaveOpenFailed = 9,
  kXmlSaveWriteFailed = 10,
};

class zrXmlParser {
 public:
  // Elements nested deeper than this fail with kXmlBadTag, so that a hostile file cannot exhaust
  // the stack of the recursive builders.
  static constexpr int kMaxDepth = 256;

  zrXmlParser() = default;
  zrXmlParser(const zrXmlParser&) = delete;
  zrXmlParser& operator=(const zrXmlParser&) = delete;

  // Reads the whole file (mode 0x101) and parses it. Returns the status.
  int ReadFile(const char16_t* path);
  // Parses `length` bytes of `text` (up to a NUL among them). Returns the status.
  int Parse(const char* text, size_t length);

  // Records `status` and its message (`pattern` with "%s" replaced by `argument`); returns status.
  int Fail(int status, const char* pattern, const char* argument = nullptr);
  int GetStatus() const { return status_; }
  const char* GetStatusMessage() const { return message_.Text(); }
  zrXmlMessage& Message() { return message_; }
  zrXmlNodeStore& Nodes() { return nodes_; }
  const zrXmlNode* Root() const { return nodes_.Root(); }

 private:
  bool CheckDeclaration();
  // Builds the element whose start tag (already parsed into `tag`) is tokens_[index] and its
  // children; leaves `index` after the element's end tag. Returns the status.
  int BuildElement(zrXmlNode* parent, zrXmlTag& tag, size_t& index, int depth);

  zrXmlNodeStore nodes_;
  zrXmlTokens tokens_;
  int status_ = kXmlOk;
  zrXmlMessage message_;
};
