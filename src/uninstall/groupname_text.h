// Tests and composition on the program group's name. No system calls.
#ifndef VEL_UNINSTALL_GROUPNAME_TEXT_H
#define VEL_UNINSTALL_GROUPNAME_TEXT_H

#include <stddef.h>

// 1 when the group name may be put below the Programs folder: not empty, no
// drive or root, no wildcard, no component of dots and blanks alone, nothing
// no folder name holds (a quote, '<', '>', '|', a control character). Any of
// these would make the folder steps empty another folder than the group's,
// or name none at all.
// An empty component ("Main Tools\", "Main\\Tools") is allowed: it collapses.
int GroupNameIsFolderSafe(const char *name);

// Drops the empty components of a group name in place: every run of
// separators ('\' or '/') keeps its first one, and a run at the end goes,
// unless it is the whole name (a name that starts with one stays refused).
// "Main Tools\" becomes "Main Tools", "Main\\Tools" "Main\Tools"; a name
// without an empty component stays as it is.
void CollapseEmptyComponents(char *name);

// 1 when the name holds none of the characters that Program Manager reads as
// command syntax ([ ] ( ) , and the double quote).
int GroupNameIsDdeSafe(const char *name);

// "[DeleteGroup(" + name + ")]" into out (size bytes). 1 when it fit;
// otherwise out is "" and 0.
int ComposeDeleteGroupCommand(char *out, size_t size, const char *name);

#endif
