// File-system entries taken as themselves. A symbolic link or junction leads
// anywhere: what it points to is never deleted through it. Where the system
// can tell (Windows Vista and later, and Wine), an entry counts as itself only
// when its final path, every link followed, is the path it should have:
// that also catches links that do not carry the reparse bit (Wine shows a
// link to a file as a plain file). Before Vista links carry the bit.
#ifndef VEL_UNINSTALL_ENTRY_H
#define VEL_UNINSTALL_ENTRY_H

#include "base/modulepath_text.h"

#include <windows.h>

// A final path: "\\?\" and a path; one that does not fit cannot be told.
#define ENTRY_FINAL_SIZE (PATH_SIZE + 8)

// The final path of path, every link followed, into out (ENTRY_FINAL_SIZE).
// 1 when known; 0 (out "") when the system cannot tell or path cannot be opened.
int GetEntryFinalPath(const char *path, char *out);

// The final path an entry called name should have in a folder whose final
// path is folderFinal: folderFinal, a backslash and name, with '/' read as
// the separator it is. out is "" when folderFinal is "" or it does not fit.
void ComposeExpectedFinalPath(char *out, const char *folderFinal, const char *name);

// 1 when path (with the attributes its folder listing gave) is a link, or
// may be one: it carries the reparse bit, or, where the system can tell, its
// final path is not expected ("" is never expected).
int IsLinkEntry(const char *path, DWORD attributes, const char *expected);

// Deletes a file, or a link as the link, only through a handle that is the
// entry itself at expected: what a link points to is never touched. Under
// Wine, which opens a link's target, a link is left in place. Before Vista, a
// directory with the reparse bit (a junction) goes with RemoveDirectoryA, which
// removes the junction itself. Attributes are left as they are: a read-only
// file stays. Never call it for an ordinary directory. 1 when deleted.
int DeleteEntryItself(const char *path, DWORD attributes, const char *expected);

// 1 when anything below folder (final path folderFinal), at any depth, is a
// link, may be one, or has a path too long to look at. Links are not entered.
int FolderHoldsLink(const char *folder, const char *folderFinal);

#endif
