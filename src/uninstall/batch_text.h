// The text of the self-removal batch file "Uninstall.Vel.Bat". No system calls.
#ifndef VEL_UNINSTALL_BATCH_TEXT_H
#define VEL_UNINSTALL_BATCH_TEXT_H

#include <stddef.h>

// Room for the whole file: every path of up to 259 characters may double in
// length when each of its '%' is doubled, and the deletion block repeats five times.
#define BATCH_TEXT_SIZE 12288
#define BATCH_PATH_SIZE 260
#define BATCH_TRIES 5

// Copies text into out (size bytes) with every '%' doubled, so that the
// command interpreter reads it as written. 1 when it fit; otherwise out is "" and 0.
int DoublePercent(char *out, size_t size, const char *text);

// Composes the 19 lines of the batch file into out (size bytes), the last one
// without a line end. platformId 1 gives the "start /wait" first line. A
// directory ending in a backslash is a drive root: no rd line names it (14 lines).
// The paths (each under BATCH_PATH_SIZE) are in the code page the interpreter
// reads batch files in. A path holding '?' or '*' is refused: it is a name the
// code page could not hold, and del would read it as a pattern. 1 when the
// whole text fit; otherwise out is "" and 0.
int ComposeBatchText(char *out, size_t size, unsigned long platformId, const char *modulePath,
                     const char *directory, const char *batchPath);

#endif
