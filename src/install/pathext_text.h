// The executable mask: the file masks the file manager's first-run settings
// treat as programs, completed from the PATHEXT environment variable.
#ifndef VEL_INSTALL_PATHEXT_TEXT_H
#define VEL_INSTALL_PATHEXT_TEXT_H

#include <stddef.h>

#define EXECUTABLE_MASK_SIZE 1024   // characters, terminator included
#define PATHEXT_SIZE 1024           // the PATHEXT value as read
#define LIST_ITEM_SIZE 260          // one item of that value
#define EXTENSION_PATTERN_SIZE 32   // "*" and an item of at most 30 characters

// The mask's fixed part, which the registration puts in g_executableMask
// before completing it once; the default writers read it for both profiles.
// Filled at run time: an initialised 1 KB array would take 1 KB of the file.
#define EXECUTABLE_MASK_START "*.exe,*.com,*.bat,%PATHEXT%"
extern char g_executableMask[EXECUTABLE_MASK_SIZE];

// Copies the item that starts at position into item (itemSize bytes) and
// returns where the following item starts, past the separator and the white
// space after it; only the low 8 bits of separator count. A separator between
// '[' and a later ']' does not split. An item longer than itemSize - 1 is cut
// in item but passed over whole. At the end of the text: NULL, item untouched.
const char *NextListItem(const char *position, char *item, size_t itemSize, int separator);

// Appends "*" + each ';'-separated item of pathExt that the mask does not yet
// contain as a substring, comma-separated, then drops one trailing comma.
// pathExt (NULL: nothing to merge) is lower-cased in place. Items longer than
// 30 characters are skipped; the merge stops before a pattern that would not
// fit maskSize, so the mask always stays whole. Returns mask.
char *MergeExtensionList(char *mask, size_t maskSize, char *pathExt);

#endif
