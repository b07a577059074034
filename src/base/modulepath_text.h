// Paths derived from this program's own path: its directory and the files
// beside it. No system calls: also built natively.
#ifndef VEL_BASE_MODULEPATH_TEXT_H
#define VEL_BASE_MODULEPATH_TEXT_H

#include <stddef.h>

#define PATH_SIZE 260   // file-system paths, terminator included (MAX_PATH)

// modulePath cut at its last backslash (the whole path when it has none);
// a drive root keeps its backslash ("C:\"). 1 when it fit in size bytes;
// otherwise out is "" and 0.
int ComposeProgramDirectory(char *out, size_t size, const char *modulePath);

// The file fileName beside this program: modulePath with everything after
// its last backslash replaced by fileName (the whole module path when it has
// no backslash). 1 when it fit in size bytes; otherwise out is "" and 0,
// since a cut path names another file.
int ComposeProgramFilePath(char *out, size_t size, const char *modulePath, const char *fileName);

#endif
