// The library's start and end. A program calls LibraryStartup once before anything else and
// LibraryShutdown once before it exits, when no other thread of the library runs any more.
#pragma once

#include <cstdint>

// Prepares the platform and creates the process-wide objects in order: the DDE service (only
// when `ddeMode` is non-zero), the system probe (running the probes of `flags`; a DDE fetch
// happens here), the 10 MiB heap, the file server, the random generator (seeded from the clock);
// then fills SineTable. An object that exists already is kept. Always 1: what cannot be made is
// left out.
int LibraryStartup(uint32_t flags, int32_t ddeMode);

// Destroys the process-wide objects in the reverse order of their use, whoever made them, and
// turns diagnostic output off. Harmless without a start-up.
void LibraryShutdown();
