// The per-user folders where the posix layer keeps its named objects (lock files, sockets), the
// file names it gives those objects and the locks that say who holds one.
#pragma once

#include <string>

namespace platform {

// The first of $XDG_RUNTIME_DIR/<leaf>, ${TMPDIR:-/tmp}/<leaf>-<uid> and ~/.cache/<leaf> that is
// ours alone (a folder, owned by us, mode 0700; made when missing); "" when none is.
std::string UserFolder(const char* leaf);

// A file name stem for a UTF-16 name: a readable start of it for people looking at the folder
// ("_" for what is not a plain letter, digit, '-' or '_'), then "-" and a 64-bit FNV-1a hash of
// every unit, which tells apart names the readable part confuses.
std::string HashedName(const std::u16string& name);

// An open-file-description lock on the first byte of `descriptor` (F_RDLCK or F_WRLCK). Such
// locks conflict between two opens in one process too, and go with the descriptor or its process.
// Without `wait`, false with errno EAGAIN or EACCES when another open holds a conflicting one;
// with it, the call waits for that one to go.
bool LockFirstByte(int descriptor, short type, bool wait);

}  // namespace platform
