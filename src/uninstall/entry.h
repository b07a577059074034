// File-system entries taken as themselves. A symbolic link or junction leads
// anywhere: what it points to is never deleted through it. Where the system
// can tell (Windows Vista and later, and Wine), an entry counts as itself only
// when its final path, every link followed, is the path it should have:
// that also catches links that do not carry the reparse bit (Wine shows a
// link to a file as a plain file). Before Vista links carry the bit.
#ifndef VEL_UNINSTALL_ENTRY_H
#define VEL_UNINSTALL_ENTRY_H

#include "base/modulepath_text.h"
#include "base/codepage.h"

#include <windows.h>

// A final path: "\\?\" and a path, in UTF-16 units. The place a link or a
// substituted drive leads to may be longer than the path that names it; one
// that does not fit cannot be told, and what lies there is not deleted.
// Final paths stay in UTF-16 as the system gives them, and the paths the
// program names in its own text are widened to be compared with them.
#define ENTRY_FINAL_SIZE CONVERTED_TEXT_SIZE

// 1 when the last call failed because the entry or a directory on its way is not there.
int FoundGone(void);

// The final path of path, every link followed, into out (ENTRY_FINAL_SIZE).
// 1 when known; 0 (out "") when the system cannot tell or path cannot be opened.
int GetEntryFinalPath(const char *path, WCHAR out[ENTRY_FINAL_SIZE]);

// path (a full path in the program's text) with the short 8.3 aliases of its
// components replaced by their long names, as the system reads them, in
// place; where final paths are not compared it stays as it is. 1 when done;
// 0, path unchanged, when the system cannot (a component is not there, among
// others), the long path does not fit, or a long name cannot be spelled in
// the program's text (the ANSI code page, where that is it).
int ExpandShortNames(char path[PATH_SIZE]);

// The final path an entry called name (a relative path in the program's
// text) should have in a folder whose final path is folderFinal: folderFinal,
// a backslash and name, with '/' read as the separator it is, into out
// (ENTRY_FINAL_SIZE). out is "" when folderFinal is "" or it does not fit.
void ComposeExpectedFinalPath(WCHAR out[ENTRY_FINAL_SIZE], const WCHAR *folderFinal, const char *name);

// 1 when path (with the attributes its folder listing gave) is a link, or
// may be one: it carries the reparse bit, or, where the system can tell, its
// final path is not expected ("" is never expected).
int IsLinkEntry(const char *path, DWORD attributes, const WCHAR *expected);

// path opened to read what it is, as itself: a link as the link where the
// system can tell, and, where final paths are compared, only when its final
// path is expected (NULL: any). INVALID_HANDLE_VALUE when it cannot be, or
// is not itself.
HANDLE OpenEntryItself(const char *path, const WCHAR *expected);

// How DeleteEntryItself treats an entry.
#define ENTRY_CLEAR_BLOCKING 1   // read-only, hidden and system entries are deleted too
#define ENTRY_BY_NAME 2          // after the check, by name as before Vista (a test seam)
// A file that another program holds open stays (error 32), even one it holds
// with delete sharing, whose delete would succeed and take effect only once
// that program lets go: it is in use, not deleted. Through a handle only.
#define ENTRY_UNHELD 4

// What became of an entry. ENTRY_DELETED: the system reported the delete
// done (whether it is gone is the caller's to ask). ENTRY_GONE: it was not
// there. ENTRY_REFUSED: it lies elsewhere, or the system cannot say where.
// ENTRY_STAYS: the delete failed; GetLastError says why.
// ENTRY_OWN: never given by DeleteEntryItself; the passes' word for this
// program's own file or its list, which go at the end of the uninstall.
enum EntryOutcome { ENTRY_STAYS, ENTRY_DELETED, ENTRY_GONE, ENTRY_REFUSED, ENTRY_OWN };

// Attributes not read yet: DeleteEntryItself reads them only where it needs them.
#define ENTRY_ATTRIBUTES_UNKNOWN INVALID_FILE_ATTRIBUTES

// Deletes path only through a handle that is the entry itself, found at
// expected: what a link points to is never touched. On Windows the handle of
// a link is the link, which goes as the link; under Wine it is the target,
// which lies elsewhere and is refused. A directory goes only when empty.
// Before Vista, which has no file links, everything goes by name: a junction
// with RemoveDirectoryA, which removes the junction itself. attributes: as
// read just before (the group's folder listing), or ENTRY_ATTRIBUTES_UNKNOWN.
// They stay as they are unless options hold ENTRY_CLEAR_BLOCKING: then
// read-only, hidden and system bits are cleared only after a failed delete,
// and put back when the retry fails too; by name a link's never (they would be
// its target's).
int DeleteEntryItself(const char *path, DWORD attributes, const WCHAR *expected, int options);

#endif
