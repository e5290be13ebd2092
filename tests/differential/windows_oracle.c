// Answers questions about Windows behaviour, one per input line, for the differential tests that
// compare the posix layer with what a Windows program sees (run under Wine). Input and output are
// UTF-8 lines whose fields are separated by tabs:
//   fullpath <path>     -> ok <GetFullPathNameW result> | err <error>
//   read <path>         -> ok <its first bytes in hex>  | err <error>
//   list <pattern>      -> ok <name> <name> ...         | err <error>
//   upcase              -> ok <65536 hex units, RtlUpcaseUnicodeChar of each>
//   lead                -> ok <256 digits, IsDBCSLeadByteEx(932, byte)>
//   profile <path> <section> <key> <capacity (at most 4096)>
//                       -> ok <GetPrivateProfileStringW result> <the units read, 4 hex digits each>
//   utf8 <hex bytes>    -> ok <MultiByteToWideChar(CP_UTF8) of them, 4 hex digits a unit>
//   utf16 <hex units, 4 digits each> -> ok <WideCharToMultiByte(CP_UTF8) of them in hex>
//   version <path>      -> ok <the four file version numbers of the root block> | err <error>
//   compare <a> <b>     -> ok <lstrcmpiW(a, b): -1, 0 or 1>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static HANDLE output;

static void Put(const char* bytes, DWORD count) {
  DWORD written;
  WriteFile(output, bytes, count, &written, NULL);
}

static void PutText(const char* text) {
  Put(text, (DWORD)strlen(text));
}

static void PutWide(const WCHAR* text) {
  char utf8[8192];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
  if (bytes > 0) Put(utf8, (DWORD)(bytes - 1));
}

static void PutError(void) {
  char line[32];
  sprintf(line, "err\t%lu", (unsigned long)GetLastError());
  PutText(line);
}

static void FullPath(const WCHAR* path) {
  WCHAR full[4096];
  const DWORD length = GetFullPathNameW(path, 4096, full, NULL);
  if (length == 0 || length >= 4096) {
    PutError();
    return;
  }
  PutText("ok\t");
  PutWide(full);
}

static void Read(const WCHAR* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  char bytes[256];
  char hex[4];
  DWORD count = 0;
  DWORD i;
  if (file == INVALID_HANDLE_VALUE) {
    PutError();
    return;
  }
  if (!ReadFile(file, bytes, sizeof bytes, &count, NULL)) {
    PutError();
    CloseHandle(file);
    return;
  }
  CloseHandle(file);
  PutText("ok\t");
  for (i = 0; i < count; ++i) {
    sprintf(hex, "%02x", (unsigned char)bytes[i]);
    PutText(hex);
  }
}

static void List(const WCHAR* pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    PutError();
    return;
  }
  PutText("ok");
  do {
    PutText("\t");
    PutWide(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

static void Upcase(void) {
  typedef WCHAR(WINAPI * UpcaseFn)(WCHAR);
  UpcaseFn upcase =
      (UpcaseFn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar");
  char unit[8];
  unsigned c;
  PutText("ok");
  for (c = 0; c < 0x10000; ++c) {
    sprintf(unit, "\t%04x", (unsigned)upcase((WCHAR)c));
    PutText(unit);
  }
}

static void Lead(void) {
  char digits[257];
  int b;
  for (b = 0; b < 256; ++b) digits[b] = IsDBCSLeadByteEx(932, (BYTE)b) ? '1' : '0';
  digits[256] = 0;
  PutText("ok\t");
  PutText(digits);
}

static void Profile(WCHAR* arguments) {
  WCHAR* fields[4];
  WCHAR value[4096];
  char number[16];
  char unit[8];
  DWORD capacity;
  DWORD count;
  DWORD i;
  int n;
  for (n = 0; n < 4; ++n) {
    fields[n] = arguments;
    arguments = arguments ? wcschr(arguments, L'\t') : NULL;
    if (arguments) *arguments++ = 0;
  }
  if (!fields[3]) {
    PutText("bad");
    return;
  }
  capacity = wcstoul(fields[3], NULL, 10);
  if (capacity > 4096) capacity = 4096;
  count = GetPrivateProfileStringW(fields[1], fields[2], L"", value, capacity, fields[0]);
  sprintf(number, "ok\t%lu\t", (unsigned long)count);
  PutText(number);
  for (i = 0; i < count; ++i) {
    sprintf(unit, "%04x", (unsigned)value[i]);
    PutText(unit);
  }
}

// Reads numbers of `digits` hex digits each; returns how many (at most `capacity`).
static int ReadHex(const char* hex, int digits, unsigned* values, int capacity) {
  int count = 0;
  while ((int)strlen(hex) >= digits && count < capacity) {
    char number[8];
    memcpy(number, hex, digits);
    number[digits] = 0;
    values[count++] = (unsigned)strtoul(number, NULL, 16);
    hex += digits;
  }
  return count;
}

// Writes "ok", a tab, then each value in `digits` hex digits.
static void PutHex(const unsigned* values, int count, int digits) {
  char number[8];
  int i;
  PutText("ok\t");
  for (i = 0; i < count; ++i) {
    sprintf(number, "%0*x", digits, values[i]);
    PutText(number);
  }
}

static void Utf8(const char* hex) {
  static unsigned values[16384];
  static char bytes[8192];
  static WCHAR units[8192];
  const int count = ReadHex(hex, 2, values, 8192);
  int converted;
  int i;
  for (i = 0; i < count; ++i) bytes[i] = (char)values[i];
  converted = count ? MultiByteToWideChar(CP_UTF8, 0, bytes, count, units, 8192) : 0;
  for (i = 0; i < converted; ++i) values[i] = units[i];
  PutHex(values, converted, 4);
}

static void Utf16(const char* hex) {
  static unsigned values[16384];
  static WCHAR units[4096];
  static char bytes[16384];
  const int count = ReadHex(hex, 4, values, 4096);
  int converted;
  int i;
  for (i = 0; i < count; ++i) units[i] = (WCHAR)values[i];
  converted = count ? WideCharToMultiByte(CP_UTF8, 0, units, count, bytes, 16384, NULL, NULL) : 0;
  for (i = 0; i < converted; ++i) values[i] = (unsigned char)bytes[i];
  PutHex(values, converted, 2);
}

// version.dll is loaded at run time: the helper is built with the compiler's default libraries.
static void Version(const WCHAR* path) {
  typedef DWORD(WINAPI * SizeFn)(const WCHAR*, DWORD*);
  typedef BOOL(WINAPI * InfoFn)(const WCHAR*, DWORD, DWORD, void*);
  typedef BOOL(WINAPI * QueryFn)(const void*, const WCHAR*, void**, UINT*);
  const HMODULE library = LoadLibraryW(L"version.dll");
  const SizeFn size_of = (SizeFn)(void*)GetProcAddress(library, "GetFileVersionInfoSizeW");
  const InfoFn info = (InfoFn)(void*)GetProcAddress(library, "GetFileVersionInfoW");
  const QueryFn query = (QueryFn)(void*)GetProcAddress(library, "VerQueryValueW");
  DWORD ignored;
  DWORD size;
  void* block;
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  char line[96];
  if (!size_of || !info || !query) {
    PutText("no version.dll");
    return;
  }
  size = size_of(path, &ignored);
  if (size == 0) {
    PutError();
    return;
  }
  block = malloc(size);
  if (!block || !info(path, 0, size, block) || !query(block, L"\\", (void**)&fixed, &length) ||
      length < sizeof *fixed) {
    PutError();
    free(block);
    return;
  }
  sprintf(line, "ok\t%u.%u.%u.%u", (unsigned)HIWORD(fixed->dwFileVersionMS),
          (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS),
          (unsigned)LOWORD(fixed->dwFileVersionLS));
  PutText(line);
  free(block);
}

static void Compare(WCHAR* arguments) {
  WCHAR* second = arguments ? wcschr(arguments, L'\t') : NULL;
  int order;
  if (!second) {
    PutText("bad");
    return;
  }
  *second++ = 0;
  order = lstrcmpiW(arguments, second);
  PutText(order < 0 ? "ok\t-1" : order > 0 ? "ok\t1" : "ok\t0");
}

int main(void) {
  static char line[16384];
  static WCHAR wide[16384];
  output = GetStdHandle(STD_OUTPUT_HANDLE);
  while (fgets(line, sizeof line, stdin)) {
    char* argument;
    line[strcspn(line, "\r\n")] = 0;
    argument = strchr(line, '\t');
    if (argument) *argument++ = 0;
    wide[0] = 0;
    if (argument) MultiByteToWideChar(CP_UTF8, 0, argument, -1, wide, 16384);
    if (strcmp(line, "fullpath") == 0) {
      FullPath(wide);
    } else if (strcmp(line, "read") == 0) {
      Read(wide);
    } else if (strcmp(line, "list") == 0) {
      List(wide);
    } else if (strcmp(line, "upcase") == 0) {
      Upcase();
    } else if (strcmp(line, "lead") == 0) {
      Lead();
    } else if (strcmp(line, "utf8") == 0) {
      Utf8(argument ? argument : "");
    } else if (strcmp(line, "utf16") == 0) {
      Utf16(argument ? argument : "");
    } else if (strcmp(line, "version") == 0) {
      Version(wide);
    } else if (strcmp(line, "compare") == 0) {
      Compare(argument ? wide : NULL);
    } else if (strcmp(line, "profile") == 0) {
      Profile(argument ? wide : NULL);
    } else {
      PutText("unknown");
    }
    PutText("\n");
  }
  return 0;
}
