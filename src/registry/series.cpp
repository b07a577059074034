#include "registry/series.h"
#include "registry/keytree.h"
#include "registry/settings.h"
#include "registry/settings_text.h"
#include "base/bounded_text.h"

#define ENUM_NAME_SIZE 512

// Formats item number n of a composed series pattern into out (SETTINGS_PATH_SIZE).
static int FormatSeriesItem(char *out, const char *pattern, int n)
{
    return FormatText(out, SETTINGS_PATH_SIZE, pattern, n);
}

void RemoveSeriesItem(const char *pattern, int item)
{
    char composed[SETTINGS_PATH_SIZE], from[SETTINGS_PATH_SIZE], to[SETTINGS_PATH_SIZE];
    if (!ComposeSettingsPath(composed, pattern))
        return;
    int k = item;
    for (;; k++) {
        if (!FormatSeriesItem(from, composed, k + 1) || !FormatSeriesItem(to, composed, k))
            return;
        if (!CopyRegistryTree(GetSettingsHive(), from, to))
            break;
    }
    if (FormatSeriesItem(to, composed, k))
        DeleteRegistryTree(GetSettingsHive(), to);
}

void OpenSeriesGap(const char *pattern, int low, int high)
{
    char composed[SETTINGS_PATH_SIZE], from[SETTINGS_PATH_SIZE], to[SETTINGS_PATH_SIZE];
    if (!ComposeSettingsPath(composed, pattern))
        return;
    for (int k = high; k > low; k--) {
        if (!FormatSeriesItem(from, composed, k - 1) || !FormatSeriesItem(to, composed, k))
            return;
        if (!CopyRegistryTree(GetSettingsHive(), from, to))
            break;
    }
    if (FormatSeriesItem(to, composed, low))
        DeleteRegistryTree(GetSettingsHive(), to);
}

int EnumSettingsSubkey(const char *keyName, DWORD index, char *out, DWORD outSize)
{
    HKEY key = OpenSettingsKeyForRead(keyName);
    if (!key)
        return 0;
    char name[ENUM_NAME_SIZE];
    DWORD nameSize = sizeof name;
    LONG status = RegEnumKeyExA(key, index, name, &nameSize, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || outSize == 0)
        return 0;
    CopyText((char *)out, outSize, keyName);
    if (*keyName)
        AppendPathSeparator(out, outSize, 0);
    AppendText(out, outSize, name);   // at most outSize - 1 characters, as callers expect
    return 1;
}

int EnumSettingsValue(DWORD index, const char *keyName, char *name, DWORD nameSize, DWORD *type,
                      BYTE *data, DWORD *dataSize)
{
    HKEY key = OpenSettingsKeyForRead(keyName);
    if (!key)
        return 0;
    char found[ENUM_NAME_SIZE];
    DWORD foundSize = sizeof found;
    LONG status = RegEnumValueA(key, index, found, &foundSize, NULL, type, data, dataSize);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return 0;
    if (nameSize > 0)
        CopyText(name, nameSize, found);
    return 1;
}
