// Whole key trees: recursive copy, recursive delete in repeated passes, and
// delete-if-empty.
#ifndef VEL_REGISTRY_KEYTREE_H
#define VEL_REGISTRY_KEYTREE_H

#include <windows.h>

// Paths are below the current settings hive, used unchanged (no prefix, no
// settings root). Copy: 1 when the destination was created; 0 when the source
// cannot be opened, the destination cannot be created, or the two trees are
// not disjoint (nothing is touched then).
int CopyRegistryTree(const char *source, const char *destination);
// The same copy for two trees the caller knows to be disjoint, such as those
// of two fixed key names of which neither lies inside the other: nothing
// checks it here, and a tree copied into itself or over its own parent would
// lose its source.
int CopyDisjointRegistryTree(const char *source, const char *destination);
void DeleteRegistryTree(const char *path);
void DeleteTreePass(const char *path);

// Deletes root\path only when it has neither a subkey nor a value and is not
// directly below root. 1 when deleted or not openable, else 0.
int DeleteKeyIfEmpty(HKEY root, const char *path);

#endif
