// Named mutexes, the way the updater tells whether the game is running. Windows: CreateMutexW.
// posix: a lock of our own with the same meaning: while one handle of a name is open (in this or
// another process), every further creation of that name reports kErrorAlreadyExists; the name is
// free again when its last handle is closed or the processes holding them end (a crashed holder
// leaves nothing behind). These posix locks are not Windows objects: a program running under Wine
// does not see them, nor they it.
#pragma once

namespace platform {

using MutexHandle = void*;

// Creates the mutex `name`, owned by the caller, and returns its handle (null on failure). The
// calling thread's LastError() is kErrorAlreadyExists (183) when the name was already held (the
// handle then refers to the existing mutex), kErrorInvalidHandle (6) when it names an object of
// another kind (Windows only), 0 otherwise. A null or empty name makes an unnamed mutex, which
// is never in use elsewhere.
MutexHandle CreateNamedMutex(const char16_t* name);
// Closes a handle from CreateNamedMutex; null is ignored.
void CloseNamedMutex(MutexHandle mutex);

}  // namespace platform
