// Lines of the list file "UnInstall.lst" and the entries they name. No system
// calls, so the routines also build natively for the sanitizer and fuzzer runs.
#ifndef VEL_UNINSTALL_LISTENTRY_TEXT_H
#define VEL_UNINSTALL_LISTENTRY_TEXT_H

#include <stddef.h>
#include <stdio.h>

#define LIST_LINE_SIZE 520

// Removes white space and control characters (codes 1 to 32 and 127) from the
// end of text, in place. Codes 128 to 255 and leading characters stay.
void TrimLineEnd(char *text);

enum ListLineResult { LIST_LINE_READ, LIST_LINE_SKIPPED, LIST_END };

// Reads the next line of list into line (size bytes), without its line feed.
// A line whose text does not fit size - 1 characters, or that holds a zero
// byte, is consumed whole and reported as LIST_LINE_SKIPPED with line "": a
// cut piece of it could name another, existing file. LIST_END at the end of
// the file or on a read error (a line cut by the error is dropped too).
int ReadListLine(FILE *list, char *line, size_t size);

// 1 when entry is a plain path relative to the program directory: no colon
// (drive letter, stream), not rooted (so neither UNC nor "\\?\"), no component
// of dots and blanks alone other than ".", and no device name as a component.
// The caller still decides on the canonical full path; this only refuses early.
int ListEntryIsPlain(const char *entry);

// 1 when path lies strictly inside the directory named by prefix, which ends
// in a backslash: path starts with prefix (ASCII letters without regard to
// case, as file names compare) and names something after it.
int PathIsStrictlyInside(const char *path, const char *prefix);

#endif
