#include "system/startup.h"

#include <new>

#include "config/zrConfig.h"
#include "file/zrFileServer.h"
#include "platform/library_services.h"
#include "system/heap.h"
#include "system/sine_table.h"
#include "system/trace.h"
#include "system/zrCaps.h"
#include "system/zrDDE.h"
#include "system/zrRandom.h"

int LibraryStartup(uint32_t flags, int32_t ddeMode) {
  platform::InitializeCommonControls();
  platform::InitializeCom();
  // Each object makes itself the process-wide one.
  if (ddeMode != kDdeNone && !zrDDE::Current()) new (std::nothrow) zrDDE();
  if (!zrCaps::Current()) new (std::nothrow) zrCaps(flags, ddeMode);
  zrHeapCreate(kLibraryHeapSize);
  if (!zrFileServer::Current()) new (std::nothrow) zrFileServer();
  if (!zrRandom::Current()) new (std::nothrow) zrRandom();
  zrRandom::SeedFromTime();
  FillSineTable();
  return 1;
}

void LibraryShutdown() {
  delete zrRandom::Current();
  delete zrDDE::Current();
  delete zrFileServer::Current();
  delete zrConfig::Current();
  zrHeapDestroy();
  SetTraceOutputEnabled(false);
  delete zrCaps::Current();
  platform::UninitializeCom();
}
