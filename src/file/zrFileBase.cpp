#include "file/zrFileBase.h"

int32_t zrFileBase::Open(const char16_t*, uint32_t) { return 0; }
int32_t zrFileBase::Close() { return 0; }
int32_t zrFileBase::Read(void*, int32_t) { return -1; }
int32_t zrFileBase::Write(const void*, int32_t) { return -1; }
int32_t zrFileBase::GetPosition() { return -1; }
int32_t zrFileBase::Seek(int32_t) { return -1; }
const char16_t* zrFileBase::GetName(char16_t*, size_t) { return nullptr; }
int32_t zrFileBase::GetFileSizeOf(const char16_t*) { return -1; }
int32_t zrFileBase::GetSize() { return -1; }
intptr_t zrFileBase::GetHandle() { return -1; }
int32_t zrFileBase::Exists(const char16_t*) { return 0; }
int32_t zrFileBase::GetAttributes(const char16_t*) { return -1; }
int32_t zrFileBase::SetAttributes(const char16_t*, uint32_t) { return 0; }
int32_t zrFileBase::Delete(const char16_t*, int32_t) { return 0; }
