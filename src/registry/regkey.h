// Thin wrappers over opening and creating registry keys: a handle the caller
// closes, or NULL. Callers read as intent rather than as seven arguments.
#ifndef VEL_REGISTRY_REGKEY_H
#define VEL_REGISTRY_REGKEY_H

#include <windows.h>

// root\path opened with the given access; NULL when it cannot be opened.
HKEY OpenRegistryKey(HKEY root, const char *path, REGSAM access);

// root\path opened with full access, created first with every missing parent
// (non-volatile, no class, default security); NULL when that fails.
HKEY CreateRegistryKey(HKEY root, const char *path);

#endif
