// The default mode: remove the installed product.
#ifndef VEL_UNINSTALL_UNINSTALL_H
#define VEL_UNINSTALL_UNINSTALL_H

#include "uninstall/listentry_text.h"
#include "uninstall/entry.h"

// Asks, then deletes what the list file names, the program group, the
// settings trees and the system registrations, and hands over to the
// self-removal batch file; the final message when that could not take over.
// The command line's words "/S" (silent: no question, no window) and
// "/LOG=<file>" (a report) change how. Returns the exit code: 0 without
// "/S"; with it 0 when everything went, 1 when nothing was changed (no list,
// or a program directory that cannot be worked in), 2 when something stayed
// or the report could not be written.
int RunUninstall(const char *commandLine);

// The size in KiB, rounded up, of what the uninstall deletes: this program's
// file, the list, and each listed file that it would not refuse. 0 when
// there is no list to measure.
int MeasureInstallation(DWORD *installedKiB);

// Opens the list file at path (a full path) for reading through list.
// 0 when it cannot be opened. CloseListFile closes it.
int OpenListFile(ListReader *list, const char *path);
void CloseListFile(ListReader *list);

// Delete files by name, as before Windows Vista, after the same checks.
#define PASSES_DELETE_BY_NAME ENTRY_BY_NAME
// Delete nothing: one pass adds up the sizes of the files it would delete.
#define PASSES_MEASURE 4

// Deletion passes over a list opened with OpenListFile: each line is an
// entry below directoryPrefix (a directory path ending in a backslash); a new
// pass starts while the last one deleted an entry that is gone afterwards,
// at most one more than there are entries. An entry settled in one pass
// (deleted, gone, refused) is not looked at again. Returns the number of
// passes; entriesTried (may be NULL) gets how many times an entry was looked at.
int RunDeletionPasses(ListReader *list, const char *directoryPrefix, int options, long *entriesTried);

// After the passes over list: tells the report what became of each entry
// (blank lines aside), trying once more those that stay, for their error.
void ReportListEntries(ListReader *list);

#endif
