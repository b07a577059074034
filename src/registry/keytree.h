// Whole key trees: recursive copy, recursive delete in repeated passes, and
// delete-if-empty.
#ifndef VEL_REGISTRY_KEYTREE_H
#define VEL_REGISTRY_KEYTREE_H

#include <windows.h>

// Paths are below root, used unchanged (no prefix, no settings root). Copy:
// 1 when the destination was created; 0 when the source cannot be opened,
// the destination cannot be created, or the two trees are not disjoint
// (nothing is touched then).
int CopyRegistryTree(HKEY root, const char *source, const char *destination);
// Deletes root\path with every subkey and value, in passes until one deletes
// nothing; a registry link goes as the link. A missing tree is no error.
void DeleteRegistryTree(HKEY root, const char *path);
// One such pass.
void DeleteTreePass(HKEY root, const char *path);

// Deletes root\path only when it has neither a subkey nor a value and is not
// directly below root. 1 when deleted or not openable, else 0.
int DeleteKeyIfEmpty(HKEY root, const char *path);

#endif
