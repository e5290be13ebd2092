#include "xml/zrXml.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "file/zrFile.h"
#include "system/bounded_text.h"
#include "system/numbers.h"
#include "system/text_encoding.h"
#include "system/trace.h"
#include "xml/xml_lookup.h"
#include "xml/xml_parser.h"
#include "xml/xml_writer.h"

namespace {

// ReadString converts through a buffer of this many UTF-16 units; a longer value is cut at
// 4095 units.
constexpr size_t kWideWorkUnits = 4096;

std::vector<const char*> KeyPointers(const std::list<std::string>& keys) {
  std::vector<const char*> pointers;
  pointers.reserve(keys.size());
  for (const std::string& key : keys) pointers.push_back(key.c_str());
  return pointers;
}

}  // namespace

zrXml::zrXml() = default;
zrXml::~zrXml() = default;

void zrXml::Reset() {
  index_.reset();  // first: it points into the entries
  entries_.reset();
  parser_.reset();
  parser_ = std::make_unique<zrXmlParser>();
  entries_ = std::make_unique<zrXmlEntryList>();
  index_ = std::make_unique<zrXmlPathIndex>();
  indexStale_ = false;
}

void zrXml::BuildLookup() {
  BuildXmlEntries(parser_->Root()->firstChild, *entries_);
  index_->Build(*entries_);
}

void zrXml::DropLookup() noexcept {
  if (index_) index_->Clear();
  if (entries_) entries_->clear();
}

int zrXml::LoadFile(const char16_t* path) {
  TraceW(u"xml open %s", path ? path : u"");
  try {
    Reset();
    if (parser_->ReadFile(path) != kXmlOk) {
      TraceW(u"zrXml : File open error %s", path ? path : u"");
      return 0;
    }
    BuildLookup();
  } catch (const std::bad_alloc&) {
    // A document too large for memory is a failed load with nothing kept.
    DropLookup();
    TraceW(u"zrXml : File open error %s", path ? path : u"");
    return 0;
  }
  Trace("xml open exit");
  return 1;
}

int zrXml::LoadMemory(const char* text, size_t length) {
  try {
    Reset();
    if (text && length == 0) length = std::strlen(text);
    if (parser_->Parse(text, length) != kXmlOk) {
      Trace("zrXml : OpenMem error.");
      return 0;
    }
    BuildLookup();
  } catch (const std::bad_alloc&) {
    DropLookup();
    Trace("zrXml : OpenMem error.");
    return 0;
  }
  return 1;
}

const zrXmlPathIndex* zrXml::Index() const {
  if (!index_) return nullptr;
  if (indexStale_) {
    // Rebuilt once after any number of setters, not once per added entry.
    indexStale_ = false;
    try {
      index_->Build(*entries_);
    } catch (const std::bad_alloc&) {
      index_->Clear();  // queries find nothing rather than a freed entry
    }
  }
  return index_.get();
}

const zrXmlEntry* zrXml::Find(const char* const* keys, size_t count) const {
  const zrXmlPathIndex* index = Index();
  return index ? index->FindFromQueryStart(keys, count) : nullptr;
}

int32_t zrXml::ReadInt(int32_t defaultValue, Keys keys) const {
  const zrXmlEntry* entry = Find(keys.begin(), keys.size());
  // A found element with an empty or non-numeric value gives 0, not the default.
  return entry ? TextToInt(entry->value.c_str()) : defaultValue;
}

float zrXml::ReadFloat(float defaultValue, Keys keys) const {
  const zrXmlEntry* entry = Find(keys.begin(), keys.size());
  return entry ? TextToFloat(entry->value.c_str()) : defaultValue;
}

int zrXml::ReadString(char16_t* out, size_t capacity, const char16_t* defaultValue,
                      Keys keys) const {
  CopyWide(out, capacity, defaultValue);
  const zrXmlEntry* entry = Find(keys.begin(), keys.size());
  if (!entry) return 0;
  char16_t converted[kWideWorkUnits];
  Utf8ToWide(entry->value.c_str(), converted, kWideWorkUnits);
  CopyWide(out, capacity, converted);
  return 1;
}

int zrXml::ReadStringA(char* out, size_t capacity, const char* defaultValue, Keys keys) const {
  CopyNarrow(out, capacity, defaultValue);
  const zrXmlEntry* entry = Find(keys.begin(), keys.size());
  if (!entry) return 0;
  CopyNarrow(out, capacity, entry->value.c_str());
  return 1;
}

int32_t zrXml::ReadIntPath(int32_t defaultValue, const std::list<std::string>& keys) const {
  try {
    const std::vector<const char*> pointers = KeyPointers(keys);
    const zrXmlEntry* entry = Find(pointers.data(), pointers.size());
    return entry ? TextToInt(entry->value.c_str()) : defaultValue;
  } catch (const std::bad_alloc&) {
    return defaultValue;
  }
}

int zrXml::ReadStringAPath(char* out, size_t capacity, const char* defaultValue,
                           const std::list<std::string>& keys) const {
  CopyNarrow(out, capacity, defaultValue);
  try {
    const std::vector<const char*> pointers = KeyPointers(keys);
    const zrXmlEntry* entry = Find(pointers.data(), pointers.size());
    if (!entry) return 0;
    CopyNarrow(out, capacity, entry->value.c_str());
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int zrXml::FindChildren(zrXmlCursor& cursor, Keys keys) const {
  std::list<std::string> path;
  try {
    for (const char* key : keys) {
      if (!key) {
        cursor.list = nullptr;
        return 0;
      }
      path.emplace_back(key);
    }
  } catch (const std::bad_alloc&) {
    cursor.list = nullptr;
    return 0;
  }
  return FindChildrenPath(cursor, path);
}

int zrXml::FindChildrenPath(zrXmlCursor& cursor, const std::list<std::string>& keys) const {
  cursor.list = nullptr;
  if (!entries_ || entries_->empty()) return 0;
  const zrXmlEntry* entry = nullptr;
  if (keys.empty()) {
    // Without keys: the children of the first top-level element, whatever its name.
    entry = &entries_->front();
  } else {
    try {
      // Every key may name several levels ("window/size"); the path starts at "document".
      std::vector<std::string> parts{"document"};
      for (const std::string& key : keys) {
        size_t begin = 0;
        for (;;) {
          const size_t slash = key.find('/', begin);
          parts.push_back(key.substr(begin, slash - begin));
          if (slash == std::string::npos) break;
          begin = slash + 1;
        }
      }
      std::vector<const char*> pointers;
      pointers.reserve(parts.size());
      for (const std::string& part : parts) pointers.push_back(part.c_str());
      const zrXmlPathIndex* index = Index();
      entry = index ? index->FindFromTop(pointers.data(), pointers.size()) : nullptr;
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }
  if (!entry || !entry->children || entry->children->empty()) return 0;
  cursor.list = entry->children.get();
  cursor.position = cursor.list->begin();
  return 1;
}

int zrXml::NextChild(zrXmlCursor& cursor, std::string& name) const {
  if (!entries_ || !cursor.list || cursor.position == cursor.list->end()) return 0;
  try {
    name = cursor.position->name;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  ++cursor.position;
  return 1;
}

int zrXml::GetStatus() const {
  return parser_ ? parser_->GetStatus() : 0;
}

const char* zrXml::GetStatusMessage() const {
  return parser_ ? parser_->GetStatusMessage() : "";
}

int zrXml::Create() {
  try {
    Reset();
    entries_->emplace_back().name = "document";
    index_->Build(*entries_);
  } catch (const std::bad_alloc&) {
    DropLookup();
    return 0;
  }
  return 1;
}

int zrXml::SetValue(const char* const* keys, size_t count, const char* value) {
  // With no document there is nothing to set in; a text holding '<' or '>', or a path deeper than
  // the reader accepts, would make the saved file unreadable, and the whole document would be lost
  // on the next load.
  if (!entries_ || entries_->empty() || std::strpbrk(value, "<>")) return 0;
  if (count + 1 > static_cast<size_t>(zrXmlParser::kMaxDepth)) return 0;
  for (size_t d = 0; d < count; ++d) {
    if (!keys[d]) return 0;
  }
  try {
    zrXmlEntryList* list = entries_.get();
    for (size_t d = 0;; ++d) {
      const char* name = d == 0 ? "document" : keys[d - 1];
      auto entry = list->begin();
      while (entry != list->end() && entry->name != name) ++entry;
      if (entry == list->end()) {
        entry = list->emplace(list->end());
        entry->name = name;
        indexStale_ = true;
      }
      if (d == count) {
        entry->value = value;
        break;
      }
      if (!entry->children) entry->children = std::make_unique<zrXmlEntryList>();
      list = entry->children.get();
    }
  } catch (const std::bad_alloc&) {
    return 0;  // an entry added on the way is indexed with the others on the next query
  }
  return 1;
}

int zrXml::WriteInt(int32_t value, Keys keys) {
  return SetValue(keys.begin(), keys.size(), std::to_string(value).c_str());
}

int zrXml::WriteFloat(float value, Keys keys) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return SetValue(keys.begin(), keys.size(), text);
}

int zrXml::WriteString(const char16_t* text, Keys keys) {
  if (!text) text = u"";
  try {
    std::string utf8(WideLength(text) * 3 + 1, '\0');
    utf8.resize(WideToUtf8(text, utf8.data(), utf8.size()));
    return SetValue(keys.begin(), keys.size(), utf8.c_str());
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int zrXml::WriteIntPath(int32_t value, const std::list<std::string>& keys) {
  try {
    const std::vector<const char*> pointers = KeyPointers(keys);
    return SetValue(pointers.data(), pointers.size(), std::to_string(value).c_str());
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int zrXml::Save(const char16_t* path) {
  char utf8Path[1024];
  WideToUtf8(path ? path : u"", utf8Path, sizeof utf8Path);
  try {
    parser_ = std::make_unique<zrXmlParser>();
    if (!entries_ || entries_->empty()) {
      parser_->Fail(kXmlNothingToSave, "保存情報がありません。");
      return 1;
    }
    zrXmlNodeStore& nodes = parser_->Nodes();
    ConvertXmlEntries(*entries_, nodes.Root(), nodes);
    const std::string bytes = SerialiseXml(nodes.Root());
    if (bytes.size() > INT32_MAX) {
      parser_->Fail(kXmlSaveWriteFailed, "ファイル書き込み[%s]に失敗しました。", utf8Path);
      return 1;
    }
    zrFile file;
    if (!path || !file.Open(path, ZRFILE_CREATE_ALWAYS | ZRFILE_WRITE)) {
      parser_->Fail(kXmlSaveOpenFailed, "書き込み先ファイル[%s]のオープンに失敗しました。",
                    utf8Path);
      return 1;
    }
    const auto size = static_cast<int32_t>(bytes.size());
    const int32_t written = file.Write(bytes.data(), size);
    file.Close();
    if (written != size) {
      parser_->Fail(kXmlSaveWriteFailed, "ファイル書き込み[%s]に失敗しました。", utf8Path);
    }
  } catch (const std::bad_alloc&) {
    // Nothing was opened: the file keeps what it held.
    if (parser_)
      parser_->Fail(kXmlSaveWriteFailed, "ファイル書き込み[%s]に失敗しました。", utf8Path);
  }
  return 1;
}
