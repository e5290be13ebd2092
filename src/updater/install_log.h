// "install.log" in the game folder: the sorted, cumulative list of every file any update
// delivered, one quoted relative path a line, Shift-JIS with CR LF.
#pragma once

#include <string>
#include <vector>

class zrTextLog;

// Loads the log at `logPath` into `log` (a missing or unreadable one adds nothing) and merges
// `files` into it, each as "\"%s\"", sorted and without duplicates; of lines that differ only in
// case the earlier one stays, the loaded log's before this update's. The encoding is the log's:
// the caller calls UseShiftJis for the updater's log.
void MergeUpdateIntoLog(zrTextLog& log, const char16_t* logPath,
                        const std::vector<std::u16string>& files);

// The updater's step before any copy: merge `files` into destinationRoot\install.log as
// Shift-JIS and save it. Failures are not reported; the update goes on.
void WriteInstallLog(const char16_t* destinationRoot, const std::vector<std::u16string>& files);
