// The modal dialog that writes the install log, runs the copy worker and reports its end.
#pragma once

#include "copy/zrCopyWorker.h"
#include "platform/window.h"

intptr_t ProgressDialogProcedure(platform::WindowHandle dialog, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam);

// The worker's reports, on its threads: the end and errors reach the dialog (`user`) only as
// posted messages; an error is also shown in a box of its own, which holds the reporting thread
// until it is answered.
int32_t CopyProgressCallback(void* user, CopyStatus* status);
