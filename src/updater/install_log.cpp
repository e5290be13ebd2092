#include "updater/install_log.h"

#include "system/paths.h"
#include "system/wide_format.h"
#include "updater/zrTextLog.h"

void MergeUpdateIntoLog(zrTextLog& log, const char16_t* logPath,
                        const std::vector<std::u16string>& files) {
  log.Load(logPath);  // the first update finds no log
  for (const std::u16string& file : files) {
    // Room for a whole path and its quotes; AddLine cuts the line at a whole character.
    char16_t line[zrTextLog::kLineCapacity + 8];
    FormatWide(line, sizeof line / sizeof line[0], u"\"%s\"", file.c_str());
    log.AddLine(line);
  }
  log.SortUnique();
}

void WriteInstallLog(const char16_t* destinationRoot, const std::vector<std::u16string>& files) {
  char16_t path[260];
  if (JoinPath(path, destinationRoot, u"install.log") == 0) return;  // no room for the name
  zrTextLog log;
  log.UseShiftJis();
  MergeUpdateIntoLog(log, path, files);
  log.Save(path);  // an unwritable log does not stop the update
}
