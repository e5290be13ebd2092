// A small XML document: loads a UTF-8 file or text that starts with an XML declaration, builds a
// tree of elements and answers queries for the value of the element reached by a list of names.
// Names and values are the file's own bytes; ReadString converts a value to UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <utility>

#include "system/zrClassBase.h"

class zrXmlParser;
class zrXmlPathIndex;
struct zrXmlEntry;
using zrXmlEntryList = std::list<zrXmlEntry>;
using zrXmlAttributeList = std::list<std::pair<std::string, std::string>>;

// One element of the lookup tree that queries (and setters) use. After a load, every list holds
// siblings in the reverse of the file's order.
struct zrXmlEntry {
  std::string name;
  std::string value;                               // the element's text
  std::unique_ptr<zrXmlAttributeList> attributes;  // null when it has none
  std::unique_ptr<zrXmlEntryList> children;        // null when it has none (never empty)
};

// Position in a list of children, for FindChildren / NextChild. Valid until the next load.
struct zrXmlCursor {
  const zrXmlEntryList* list = nullptr;
  zrXmlEntryList::const_iterator position;
};

class zrXml : public zrClassBase {
 public:
  using Keys = std::initializer_list<const char*>;

  zrXml();
  ~zrXml() override;
  zrXml(const zrXml&) = delete;
  zrXml& operator=(const zrXml&) = delete;

  int LoadFile(const char16_t* path);
  // length 0: up to the terminating NUL.
  int LoadMemory(const char* text, size_t length);

  // Queries name elements from the top: inside the root when the document's single root element
  // is named "document", else starting with the root's own name. Of equally named siblings the
  // last in the file that leads to a complete match wins.
  // ReadInt / ReadFloat: the default when the element is missing; a found element's value is
  // parsed with TextToInt / TextToFloat (an empty or non-numeric value gives 0).
  int32_t ReadInt(int32_t defaultValue, Keys keys) const;
  float ReadFloat(float defaultValue, Keys keys) const;
  // Writes the default, then, when the element is found, its value converted to UTF-16 (at most
  // 4095 units); both are cut to `capacity` units with the terminator. 1 when found.
  int ReadString(char16_t* out, size_t capacity, const char16_t* defaultValue, Keys keys) const;
  int ReadStringA(char* out, size_t capacity, const char* defaultValue, Keys keys) const;
  int32_t ReadIntPath(int32_t defaultValue, const std::list<std::string>& keys) const;
  int ReadStringAPath(char* out, size_t capacity, const char* defaultValue,
                      const std::list<std::string>& keys) const;

  // Positions the cursor on the first child of the element at "document"/keys (each key may
  // hold several names separated by '/'); without keys, on the first child of the root element.
  // 0 when the element is missing or has no children.
  int FindChildren(zrXmlCursor& cursor, Keys keys) const;
  int FindChildrenPath(zrXmlCursor& cursor, const std::list<std::string>& keys) const;
  // Copies the current child's name and advances; 0 at the end.
  int NextChild(zrXmlCursor& cursor, std::string& name) const;

  // Writing. Create starts an empty document whose lookup tree holds one entry "document". The
  // setters walk "document"/keys from the top, taking the first entry of each name (no
  // backtracking) and appending a missing one at the end of its list, and replace the value
  // there. They return 0 when there is no document (no load and no Create) and, as such a file
  // could not be read back, when the text holds '<' or '>'; otherwise 1.
  int Create();
  int WriteInt(int32_t value, Keys keys);
  int WriteFloat(float value, Keys keys);            // "%f"
  int WriteString(const char16_t* text, Keys keys);  // stored as UTF-8
  int WriteIntPath(int32_t value, const std::list<std::string>& keys);
  // Writes the document as UTF-8 with the fixed declaration, two-space indentation and CR LF,
  // each list in the reverse of its lookup-tree order (a loaded file keeps its order). Always
  // returns 1; the outcome is the status (0, or 7-10) and its message.
  int Save(const char16_t* path);

  // Status of the last load (0 success, 1-6 failures) or save (0, 7-10) and its message (UTF-8).
  int GetStatus() const;
  const char* GetStatusMessage() const;

 private:
  // Frees the current document and starts an empty one.
  void Reset();
  // Builds the lookup tree and its index from the parse tree; may throw std::bad_alloc.
  void BuildLookup();
  // After a failed build: nothing is kept, and the index points at nothing.
  void DropLookup() noexcept;
  // The index, first rebuilt when setters have added entries since it was built.
  const zrXmlPathIndex* Index() const;
  const zrXmlEntry* Find(const char* const* keys, size_t count) const;
  int SetValue(const char* const* keys, size_t count, const char* value);

  std::unique_ptr<zrXmlParser> parser_;
  std::unique_ptr<zrXmlEntryList> entries_;
  // Points into entries_: whatever adds, removes or renames an entry must rebuild it (a setter
  // marks it stale), or queries will miss the change or reach a freed entry.
  std::unique_ptr<zrXmlPathIndex> index_;
  mutable bool indexStale_ = false;
};
