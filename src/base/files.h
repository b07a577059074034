// The file-system calls the program makes, on paths in its own text (see
// base/codepage.h): the W functions with the path converted on Windows NT, the
// A functions as they are on Windows 95/98/Me. Each behaves as the system's
// call it is named after, GetLastError included; a path that cannot be
// converted, or has 260 UTF-16 units or more, fails with
// ERROR_FILENAME_EXCED_RANGE (where the system would cut or refuse it).
#ifndef VEL_BASE_FILES_H
#define VEL_BASE_FILES_H

#include "base/modulepath_text.h"

#include <windows.h>

DWORD GetAttributesOf(const char *path);
BOOL SetAttributesOf(const char *path, DWORD attributes);
BOOL DeleteFileAt(const char *path);
BOOL RemoveFolderAt(const char *path);
HANDLE OpenFileAt(const char *path, DWORD access, DWORD share, SECURITY_ATTRIBUTES *security, DWORD disposition,
                  DWORD flags);
// to NULL: with MOVEFILE_DELAY_UNTIL_REBOOT, deleted when Windows restarts.
BOOL MovePath(const char *from, const char *to, DWORD flags);
BOOL SetCurrentFolder(const char *path);

// One entry a folder search found: its name in the program's text, and its
// attributes. A name the program's text cannot spell comes as "", which names
// nothing: the caller passes it over or takes it for what it cannot tell.
struct FoundEntry {
    char name[PATH_SIZE];
    DWORD attributes;
};
HANDLE FindFirstIn(const char *pattern, FoundEntry *found);
BOOL FindNextIn(HANDLE search, FoundEntry *found);

// path made full and canonical (GetFullPathName) into out. 1 when it had
// fewer than 260 units; otherwise out is "" and 0.
int GetFullPathOf(const char *path, char out[PATH_SIZE]);

// 1 when path has fewer than 260 UTF-16 units, with room for extra more.
int FitsPath(const char *path, int extra);

// The temporary directory, with its backslash (GetTempPath), into out.
// 1 when known whole; otherwise out is "" and 0, with GetLastError set.
int GetTempFolder(char out[PATH_SIZE]);

// The environment variable name (ASCII) into out (size bytes, program's
// text). Its length, or 0 when unset or empty; size or more when it does
// not fit.
DWORD GetVariable(const char *name, char *out, DWORD size);

// Starts commandLine (the program's text, changed by the call as
// CreateProcess may) with handles inherited, no window shown as startup
// says. 1 when started.
BOOL StartProgram(char *commandLine, DWORD creationFlags, STARTUPINFOA *startup);

#endif
