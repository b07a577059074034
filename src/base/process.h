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
int GetModulePath(char *path);

#endif
