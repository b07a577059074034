// Files written whole in one call: the launcher, its marker and the
// self-removal batch file. Win32 only, no C runtime.
#ifndef VEL_BASE_WHOLEFILE_H
#define VEL_BASE_WHOLEFILE_H

#include <windows.h>

// Creates the file path, or empties it when it exists, and writes exactly
// size bytes of data into it. 1 when every byte was written and the file
// closed; 0 otherwise, with whatever was written left in place: the caller
// decides whether a file cut short may stay.
int WriteWholeFile(const char *path, const void *data, DWORD size);

#endif
