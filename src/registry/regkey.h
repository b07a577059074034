// Thin wrappers over opening, creating and deleting registry keys: a handle
// the caller closes, or NULL. Callers read as intent rather than as seven arguments.
#ifndef VEL_REGISTRY_REGKEY_H
#define VEL_REGISTRY_REGKEY_H

#include <windows.h>

// root\path opened with the given access; NULL when it cannot be opened.
HKEY OpenRegistryKey(HKEY root, const char *path, REGSAM access);

// Opens root\path, reads valueName, of any type, into data (*size bytes,
// which it sets to the stored size; NULL data and size: only whether it is
// there), and closes the key. 1 when read; 0 when the key cannot be opened or
// the value cannot be read.
int ReadRegistryValue(HKEY root, const char *path, const char *valueName, void *data, DWORD *size);

// Reads the text valueName of root\path into buffer (size bytes) as the
// program's own text (on Windows NT read in UTF-16). 1 when read whole: a
// stored text without a terminator gets one, and one that leaves no room for
// it does not fit. Otherwise buffer is "" and 0.
int ReadRegistryString(HKEY root, const char *path, const char *valueName, char *buffer, DWORD size);

// Stores text (the program's own) as the REG_SZ valueName of key, with its
// terminator: on Windows NT in UTF-16, so that a path of any letters is kept
// whole. 1 when stored.
int SetRegistryText(HKEY key, const char *valueName, const char *text);

// Value names the program writes and reads are short.
#define SETTINGS_NAME_UNITS 64

// root\path opened with full access, created first with every missing parent
// (non-volatile, no class, default security); NULL when that fails.
HKEY CreateRegistryKey(HKEY root, const char *path);

// Registry links (keys made with REG_OPTION_CREATE_LINK) lead anywhere in the
// registry. Opened as usual, a link is the key it points to, and RegDeleteKeyA
// on a link's path deletes that key. These three never go through the last
// component of a path; a link earlier in the path is still followed.

// root\path opened as itself: a link is the link, not the key it points to.
// NULL when it cannot be opened.
HKEY OpenRegistryKeyItself(HKEY root, const char *path, REGSAM access);

// 1 when key, opened as itself, is a registry link.
int IsRegistryLink(HKEY key);

// Deletes key, opened as itself with DELETE access from root\path, as
// itself: a link goes as the link. It must have no subkeys. 1 when deleted.
int DeleteRegistryKeyItself(HKEY root, const char *path, HKEY key);

// root\path opened and deleted as itself (it must have no subkeys): a link
// goes as the link. 1 when deleted.
int DeleteRegistryKeyAtPath(HKEY root, const char *path);

#endif
