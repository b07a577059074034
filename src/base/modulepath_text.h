// Paths derived from this program's own path: its directory and the files
// beside it. No system calls: also built natively.
#ifndef VEL_BASE_MODULEPATH_TEXT_H
#define VEL_BASE_MODULEPATH_TEXT_H

#include <stddef.h>

// A file-system path: at most 259 UTF-16 units and the terminator (MAX_PATH),
// the limit the system keeps; the same path in the program's own text, where
// UTF-8 takes up to three bytes a unit, in a buffer of PATH_SIZE bytes.
#define PATH_UNITS 260
#define PATH_SIZE (3 * PATH_UNITS)

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
