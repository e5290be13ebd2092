#include "config/config_documents.h"

#include <vector>

#include "file/zrFileServer.h"
#include "system/folders.h"

namespace {
constexpr int kFileKind = 1;
}

bool LoadServedDocument(zrXml& xml, const char16_t* path, uint32_t searchType) {
  zrFileServer* server = zrFileServer::Current();
  if (!server) return false;
  const uint32_t flags = searchType | ZRFS_QUIET;
  const int32_t size = server->LoadWholeFile(path, nullptr, flags);
  if (size <= 0) return false;
  std::vector<char> bytes(static_cast<size_t>(size));
  if (server->LoadWholeFile(path, bytes.data(), flags) != size) return false;
  return xml.LoadMemory(bytes.data(), bytes.size()) == 1;
}

bool LoadDiskDocument(zrXml& xml, const char16_t* path) {
  return GetPathKind(path) == kFileKind && xml.LoadFile(path) == 1;
}
