// Facts of the running process that every mode reads: the platform and
// this program's own path.
#ifndef VEL_BASE_PROCESS_H
#define VEL_BASE_PROCESS_H

#include "base/modulepath_text.h"

#include <windows.h>

// The version query made at start; dwPlatformId 1 is Windows 95/98/Me, 2 NT.
extern OSVERSIONINFOA g_versionInfo;

void QueryPlatformVersion(void);

// The full path of this program's file into path (PATH_SIZE bytes). 1 when
// it was had whole; otherwise path is "" and 0: a cut path names another file.
int GetModulePath(char path[PATH_SIZE]);

// This program's path, its directory, the directory with its backslash, and
// the list file's path.
struct ProgramPaths {
    char module[PATH_SIZE];
    char directory[PATH_SIZE];
    char directoryPrefix[PATH_SIZE];
    char list[PATH_SIZE];
};

// The current user's Start-menu Programs folder, as the shell tells it, into
// path. 1 when known; otherwise path is "" and 0.
int GetProgramsFolder(char path[PATH_SIZE]);

// Fills paths. 0 when one cannot be had whole (a cut path names another
// file), or the program's path names no directory at all.
int GetProgramPaths(ProgramPaths *paths);

#endif
