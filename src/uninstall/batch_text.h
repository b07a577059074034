// The text of the self-removal batch file "Uninstall.Vel.Bat". No system calls.
#ifndef VEL_UNINSTALL_BATCH_TEXT_H
#define VEL_UNINSTALL_BATCH_TEXT_H

#include <stddef.h>

// Room for the whole file: every path of up to 259 characters may double in
// length when each of its '%' is doubled, and the deletion block repeats five times.
#define BATCH_TEXT_SIZE 12288
#define BATCH_PATH_SIZE 260
#define BATCH_TRIES 5
#define BATCH_NAMES 9   // "Uninstall.Vel.Bat", then "Uninstall.Vel.2.Bat" to "Uninstall.Vel.9.Bat"

// The batch file's path in the temporary directory (with its backslash):
// number 1 is "Uninstall.Vel.Bat", the name it has where no other uninstall
// runs; number n (2 to 9) is "Uninstall.Vel.<n>.Bat", for when another
// installation's batch file holds that name. 1 when it fit in size bytes;
// otherwise out is "" and 0.
int ComposeBatchPath(char *out, size_t size, const char *temporaryDirectory, int number);

// Copies text into out (size bytes) with every '%' doubled, so that the
// command interpreter reads it as written. 1 when it fit; otherwise out is "" and 0.
int DoublePercent(char *out, size_t size, const char *text);

// The two forms of the first line, one per command interpreter. COMMAND.COM
// (Windows 95/98/Me) waits for a GUI program only under "start /wait", which
// gets the program and its word as one quoted text. cmd.exe reads that text as
// a window title and waits forever on a new idle console: it gets the quoted
// program and its word as a line of their own.
enum BatchForm { BATCH_FORM_NT, BATCH_FORM_9X };

// The form for the interpreter COMSPEC names: the 9x form when its file name
// is "COMMAND.COM" (any letter case, in any directory), else the NT form.
// An NT system in Windows 95 compatibility mode reports the 9x platform with
// cmd.exe as its interpreter, so the platform alone cannot tell.
BatchForm BatchFormForInterpreter(const char *interpreterPath);

// Composes the 19 lines of the batch file into out (size bytes), the last one
// without a line end, the first in the given form. A directory ending in a
// backslash is a drive root: no rd line names it (14 lines). Without
// finalMessage (a silent uninstall, which shows no window) no line starts the
// program with "Warning" when its file stays (one line fewer).
// The paths (each under BATCH_PATH_SIZE) are in the code page the interpreter
// reads batch files in. A path holding '?' or '*' is refused: it is a name the
// code page could not hold, and del would read it as a pattern. 1 when the
// whole text fit; otherwise out is "" and 0.
int ComposeBatchText(char *out, size_t size, BatchForm form, const char *modulePath,
                     const char *directory, const char *batchPath, int finalMessage = 1);

#endif
