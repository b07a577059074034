// The file manager's first-run settings, written below the settings root of
// the current hive and prefix, each set only where the user has none yet.
#ifndef VEL_INSTALL_DEFAULTS_H
#define VEL_INSTALL_DEFAULTS_H

#include <stddef.h>

// The colouring rules of the file lists: the old "Highlight" tree carried over,
// or the eight default groups; nothing when "Colors\Highlight" exists.
void SetHighlightDefaults(void);
void SetSortGroupDefaults(void);
void SetApplyCmdDefaults(void);

#endif
