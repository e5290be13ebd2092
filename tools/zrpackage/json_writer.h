// A small streaming JSON writer for the package tool's reports: indented output, keys in ASCII,
// strings taken as UTF-16 and written as valid UTF-8 JSON (the 0xFFFF marker and lone surrogates
// escaped).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class JsonWriter {
 public:
  void BeginObject(const char* key = nullptr);
  void EndObject();
  void BeginArray(const char* key = nullptr);
  void EndArray();

  void String(const char* key, const std::u16string& value);
  void String(const char* key, const char16_t* value) { String(key, std::u16string(value)); }
  void Number(const char* key, int64_t value);
  void Bool(const char* key, bool value);
  void Null(const char* key);

  // The document so far, with a final line end once the outermost value is closed.
  const std::string& Text() const { return text_; }

 private:
  void BeginValue(const char* key);
  void Close(char bracket);

  std::string text_;
  std::vector<bool> hasMembers_;  // one per open object or array
};

// The JSON form of a UTF-16 string, quotes included.
std::string JsonQuote(const std::u16string& value);
