#include "registry/keytree.h"
#include "registry/settings.h"
#include "registry/settings_text.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

#define TREE_NAME_SIZE 200
#define TREE_DATA_SIZE 1000
#define TREE_CHILD_SIZE 512
#define EMPTY_TEST_SIZE 512

// Keys deleted by the running pass, at any depth; read after the outermost
// DeleteTreePass returns. Makes DeleteRegistryTree non-reentrant.
static int s_treeDeleteCount;

// Are the two trees disjoint, with names compared the way the registry does?
// The registry ignores case beyond ASCII too, so both are upper-cased first.
static int TreesAreDisjoint(const char *a, const char *b)
{
    char upperA[TREE_DATA_SIZE], upperB[TREE_DATA_SIZE];
    if (!CopyText(upperA, sizeof upperA, a) || !CopyText(upperB, sizeof upperB, b))
        return 0;
    CharUpperBuffA(upperA, (DWORD)strlen(upperA));
    CharUpperBuffA(upperB, (DWORD)strlen(upperB));
    return RegistryPathsDisjoint(upperA, upperB);
}

// 1 when root\path is a registry link.
static int IsLinkPath(HKEY root, const char *path)
{
    HKEY key = OpenRegistryKeyItself(root, path, KEY_QUERY_VALUE);
    if (!key)
        return 0;
    int link = IsRegistryLink(key);
    RegCloseKey(key);
    return link;
}

// One level of the copy; the children of two disjoint trees are disjoint too.
// A registry link in the source is not copied: what it points to belongs to
// another tree, and a link copied as a link would have the settings written
// through it land there. A source that is a link cannot be opened.
static int CopyTreeLevel(HKEY root, const char *source, const char *destination)
{
    HKEY sourceKey = OpenRegistryKeyItself(root, source, KEY_ALL_ACCESS);
    if (!sourceKey)
        return 0;
    if (IsRegistryLink(sourceKey)) {
        RegCloseKey(sourceKey);
        return 0;
    }
    DeleteRegistryTree(root, destination);
    HKEY destinationKey = CreateRegistryKey(root, destination);
    if (!destinationKey) {
        RegCloseKey(sourceKey);
        return 0;
    }

    char name[TREE_NAME_SIZE];
    BYTE data[TREE_DATA_SIZE];   // value data, then the source child path
    char childPath[TREE_CHILD_SIZE];

    // Values first. A name or data that does not fit ends the phase.
    for (DWORD index = 0;; index++) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type;
        if (RegEnumValueA(sourceKey, index, name, &nameSize, NULL, &type, data, &dataSize)
            != ERROR_SUCCESS)
            break;
        RegSetValueExA(destinationKey, name, 0, type, data, dataSize);   // failure ignored
    }

    for (DWORD index = 0;; index++) {
        if (RegEnumKeyA(sourceKey, index, name, sizeof name) != ERROR_SUCCESS)
            break;
        char *sourceChild = (char *)data;
        // A child path that does not fit would name another key: skip that subkey.
        if (!ComposeChildPath(sourceChild, sizeof data, source, name)
            || !ComposeChildPath(childPath, sizeof childPath, destination, name))
            continue;
        if (IsLinkPath(root, sourceChild))
            continue;   // left out, not even copied as an empty key
        HKEY childKey = CreateRegistryKey(root, childPath);
        if (!childKey)
            break;
        RegCloseKey(childKey);
        CopyTreeLevel(root, sourceChild, childPath);
    }

    RegCloseKey(sourceKey);
    RegCloseKey(destinationKey);
    return 1;
}

int CopyRegistryTree(HKEY root, const char *source, const char *destination)
{
    // Copying a tree into itself (or over its own parent) would delete the
    // source before it is read.
    if (!TreesAreDisjoint(source, destination))
        return 0;
    return CopyTreeLevel(root, source, destination);
}

void DeleteRegistryTree(HKEY root, const char *path)
{
    do {
        s_treeDeleteCount = 0;
        DeleteTreePass(root, path);
    } while (s_treeDeleteCount != 0);
}

void DeleteTreePass(HKEY root, const char *path)
{
    // Every key is opened and deleted as itself: a registry link goes as the
    // link, and what it points to, elsewhere in the registry, is never entered.
    HKEY key = OpenRegistryKeyItself(root, path, KEY_ALL_ACCESS);
    if (!key)
        return;

    char name[TREE_NAME_SIZE];
    char childPath[TREE_CHILD_SIZE];
    // The index advances past a child that was just deleted, so one pass
    // skips some subkeys of a wide tree; the next pass takes them.
    int link = IsRegistryLink(key);
    for (DWORD index = 0; !link; index++) {
        if (RegEnumKeyA(key, index, name, sizeof name) != ERROR_SUCCESS)
            break;
        if (ComposeChildPath(childPath, sizeof childPath, path, name))
            DeleteTreePass(root, childPath);
    }

    if (DeleteRegistryKeyItself(root, path, key))
        s_treeDeleteCount++;
    RegCloseKey(key);
}

int DeleteKeyIfEmpty(HKEY root, const char *path)
{
    char buffer[EMPTY_TEST_SIZE];
    // A path cut to the buffer would name another key.
    if (strlen(path) >= sizeof buffer - 1)
        return 0;

    // Opened as itself: a registry link holds its target as a value, so it is
    // never empty and the empty key it may point to elsewhere is not deleted.
    HKEY key = OpenRegistryKeyItself(root, path, KEY_ALL_ACCESS);
    if (!key)
        return 1;   // nothing to delete
    // Only "no more items" shows there is none: a subkey or value whose name
    // does not fit the buffer (ERROR_MORE_DATA) is there all the same.
    DWORD size = sizeof buffer;
    int empty = RegEnumKeyA(key, 0, buffer, sizeof buffer) == ERROR_NO_MORE_ITEMS
        && RegEnumValueA(key, 0, buffer, &size, NULL, NULL, NULL, NULL) == ERROR_NO_MORE_ITEMS;
    RegCloseKey(key);
    if (!empty)
        return 0;

    const char *backslash = strrchr(path, '\\');
    if (!backslash)
        return 0;   // never a key directly below the root
    // The parent's path: the path up to its last backslash (shorter than the
    // path, which fits the buffer).
    FormatText(buffer, sizeof buffer, "%.*s", (int)(backslash - path), path);
    HKEY parent = OpenRegistryKey(root, buffer, KEY_ALL_ACCESS);
    if (!parent)
        return 0;
    int deleted = RegDeleteKeyA(parent, backslash + 1) == ERROR_SUCCESS;
    RegCloseKey(parent);
    return deleted;
}
