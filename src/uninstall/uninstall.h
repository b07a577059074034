// The default mode: remove the installed product.
#ifndef VEL_UNINSTALL_UNINSTALL_H
#define VEL_UNINSTALL_UNINSTALL_H

#include "uninstall/listentry_text.h"
#include "uninstall/entry.h"

// Asks, then deletes what the list file names, the program group, the
// settings trees and the system registrations, and hands over to the
// self-removal batch file. Returns only when it stops early, or after the
// final message when the batch file could not take over.
void RunUninstall(void);

// Opens the list file at path (a full path) for reading through list.
// 0 when it cannot be opened. CloseListFile closes it.
int OpenListFile(ListReader *list, const char *path);
void CloseListFile(ListReader *list);

// Delete files by name, as before Windows Vista, after the same checks.
#define PASSES_DELETE_BY_NAME ENTRY_BY_NAME

// Deletion passes over a list opened with OpenListFile: each line is an
// entry below directoryPrefix (a directory path ending in a backslash); a new
// pass starts while the last one deleted an entry that is gone afterwards,
// at most one more than there are entries. An entry settled in one pass
// (deleted, gone, refused) is not looked at again. Returns the number of
// passes; entriesTried (may be NULL) gets how many times an entry was looked at.
int RunDeletionPasses(ListReader *list, const char *directoryPrefix, int options, long *entriesTried);

#endif
