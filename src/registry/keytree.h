// Whole key trees: recursive copy, recursive delete in repeated passes,
// delete-if-empty, and the numbered-series helpers of the settings layer.
#ifndef VEL_KEYTREE_H
#define VEL_KEYTREE_H

#include <windows.h>

// Paths are below the current settings hive, used unchanged (no prefix, no
// settings root). Copy: 1 when the destination was created; 0 when the source
// cannot be opened, the destination cannot be created, or the two trees are
// not disjoint (nothing is touched then).
int CopyRegistryTree(const char *source, const char *destination);
void DeleteRegistryTree(const char *path);
void DeleteTreePass(const char *path);

// Deletes root\path only when it has neither a subkey nor a value and is not
// directly below root. 1 when deleted or not openable, else 0.
int DeleteKeyIfEmpty(HKEY root, const char *path);

// Not called by any mode; kept for the file manager's settings code.
void RemoveSeriesItem(const char *pattern, int item);
void OpenSeriesGap(const char *pattern, int low, int high);
int EnumSettingsSubkey(const char *keyName, DWORD index, char *out, DWORD outSize);
int EnumSettingsValue(DWORD index, const char *keyName, char *name, DWORD nameSize, DWORD *type,
                      BYTE *data, DWORD *dataSize);

#endif
