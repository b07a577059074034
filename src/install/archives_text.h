// The open command of the archive types. No system calls: also built natively.
#ifndef VEL_INSTALL_ARCHIVES_TEXT_H
#define VEL_INSTALL_ARCHIVES_TEXT_H

#include <stddef.h>

// The open command of the archive types, built from this program's module
// path into out (size bytes): the path of "Vel.exe" beside it (the module
// path unchanged when it holds no backslash), quoted when the shell would
// split it, then a blank and "%1". 1 when the whole command fit; otherwise
// out is "" and 0, since a cut command would start another program.
int ComposeOpenCommand(char *out, size_t size, const char *modulePath);

#endif
