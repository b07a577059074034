// The texts of what is removed when Windows restarts. No system calls: also
// built natively.
#ifndef VEL_UNINSTALL_RESTART_TEXT_H
#define VEL_UNINSTALL_RESTART_TEXT_H

#include <stddef.h>

// The name a file in use takes before it is scheduled: path with
// ".~vel<number>" after it, in its own directory, so that a file installed
// again at path before the restart is not the one the restart deletes.
// 1 when it fit in size bytes; otherwise out is "" and 0.
int ComposeRestartName(char *out, size_t size, const char *path, int number);

// WININIT.INI, as Windows 95/98/Me carry it out at their next start: text
// (textLen bytes, any line ends) with line added to its [rename] section
// (the section name in any letter case), after the lines already there; a
// section made at the end when there is none. Every other line, in every
// section, stays as it is. line is one whole line without its end
// ("NUL=C:\VEL\VEL.EXE"). The result goes to out (size bytes, terminated).
// 1 when it fit; otherwise out is "" and 0: a file cut short would lose
// lines that are not ours.
int AddRenameLine(char *out, size_t size, const char *text, size_t textLen, const char *line);

#endif
