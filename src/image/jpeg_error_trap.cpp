#include "image/jpeg_error_trap.h"

#include "system/trace.h"

namespace {

void TraceJpegMessage(j_common_ptr info) {
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  Trace("zrImageJpeg : %s", text);
}

[[noreturn]] void JumpToRecovery(j_common_ptr info) {
  TraceJpegMessage(info);
  std::longjmp(reinterpret_cast<JpegErrorTrap*>(info->err)->recovery, 1);
}

}  // namespace

jpeg_error_mgr* UseJpegErrorTrap(JpegErrorTrap* trap) {
  jpeg_error_mgr* manager = jpeg_std_error(&trap->manager);
  manager->error_exit = JumpToRecovery;
  manager->output_message = TraceJpegMessage;
  return manager;
}
