#include "registry/settings.h"
#include "registry/settings_text.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

// NULL until set, and every key operation on it fails: the entry point sets
// HKEY_CURRENT_USER before any mode runs. An initial value here would give
// the program a data section of its own, 512 bytes of file for 4 bytes.
static HKEY s_hive;
static char s_hivePrefix[SETTINGS_PATH_SIZE];
static int s_prefixRefused;   // the last prefix set did not fit: no path is composed

void SetSettingsHive(HKEY hive)
{
    s_hive = hive;
}

HKEY GetSettingsHive(void)
{
    return s_hive;
}

void SetHivePrefix(const char *prefix)
{
    // A cut prefix, or none in its place, would compose paths of another
    // key: until a prefix that fits is set, no settings path is composed.
    s_prefixRefused = !CopyText(s_hivePrefix, sizeof s_hivePrefix, prefix);
    if (s_prefixRefused)
        s_hivePrefix[0] = 0;
}

char *ComposeSettingsPath(char out[SETTINGS_PATH_SIZE], const char *keyName)
{
    int classes = s_hive == HKEY_CLASSES_ROOT;
    if (s_prefixRefused && !classes) {
        out[0] = 0;
        return NULL;
    }
    // Below HKEY_CLASSES_ROOT the key name is the whole path.
    if (!ComposeSettingsPathText(out, SETTINGS_PATH_SIZE, s_hivePrefix, keyName,
                                 classes))
        return NULL;
    return out;
}

// The settings key opened with access, or created when access is 0.
static HKEY GetSettingsKey(const char *keyName, REGSAM access)
{
    char path[SETTINGS_PATH_SIZE];
    if (!ComposeSettingsPath(path, keyName))
        return NULL;
    return access ? OpenRegistryKey(s_hive, path, access) : CreateRegistryKey(s_hive, path);
}

HKEY CreateSettingsKey(const char *keyName)
{
    return GetSettingsKey(keyName, 0);
}

HKEY OpenSettingsKeyForRead(const char *keyName)
{
    return GetSettingsKey(keyName, KEY_READ);
}

static void WriteSettingValue(const char *keyName, const char *valueName, DWORD type,
                              const void *data, DWORD size)
{
    HKEY key = CreateSettingsKey(keyName);
    if (!key)
        return;
    RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, size);   // failure ignored
    RegCloseKey(key);
}

void WriteSettingString(const char *keyName, const char *valueName, const char *text)
{
    HKEY key = CreateSettingsKey(keyName);
    if (!key)
        return;
    SetRegistryText(key, valueName, text);   // failure ignored
    RegCloseKey(key);
}

void WriteSettingDword(const char *keyName, const char *valueName, DWORD value)
{
    WriteSettingValue(keyName, valueName, REG_DWORD, &value, sizeof value);
}

void WriteSettingBinary(const char *keyName, const char *valueName, const void *data, DWORD size)
{
    WriteSettingValue(keyName, valueName, REG_BINARY, data, size);
}

// Queries a value into buffer with the key opened for reading. 1 when read,
// with *size the stored byte count.
static int QuerySettingValue(const char *keyName, const char *valueName, void *buffer, DWORD *size)
{
    char path[SETTINGS_PATH_SIZE];
    return ComposeSettingsPath(path, keyName) && ReadRegistryValue(s_hive, path, valueName, buffer, size);
}

int ReadSettingString(const char *keyName, const char *valueName, char *buffer,
                      const char *defaultText, DWORD size)
{
    char path[SETTINGS_PATH_SIZE];
    if (ComposeSettingsPath(path, keyName) && ReadRegistryString(s_hive, path, valueName, buffer, size))
        return 1;
    if (size > 0)
        CopyText(buffer, size, defaultText);
    return 0;
}

int SettingExists(const char *keyName, const char *valueName)
{
    HKEY key = GetSettingsKey(keyName, KEY_QUERY_VALUE);
    if (!key)
        return 0;
    // Without a value name the key alone counts.
    int exists = !valueName || RegQueryValueExA(key, valueName, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

int ReadSettingDword(const char *keyName, const char *valueName, DWORD *out, DWORD defaultValue)
{
    DWORD value, size = sizeof value;
    if (QuerySettingValue(keyName, valueName, &value, &size) && size == sizeof value) {
        *out = value;
        return 1;
    }
    *out = defaultValue;
    return 0;
}

DWORD GetSettingDword(const char *keyName, const char *valueName, DWORD defaultValue)
{
    DWORD value;
    ReadSettingDword(keyName, valueName, &value, defaultValue);
    return value;
}

int ReadSettingBinary(const char *keyName, const char *valueName, void *buffer,
                      const void *defaultData, DWORD size)
{
    DWORD stored = size;
    if (QuerySettingValue(keyName, valueName, buffer, &stored))
        return 1;
    if (defaultData)
        memcpy(buffer, defaultData, size);
    else
        memset(buffer, 0, size);
    return 0;
}

LONG DeleteSettingsKey(const char *keyName)
{
    char path[SETTINGS_PATH_SIZE];
    if (!ComposeSettingsPath(path, keyName))
        return ERROR_INVALID_PARAMETER;   // never delete the key a cut path would name
    return RegDeleteKeyA(s_hive, path);
}

LONG DeleteSettingValue(const char *keyName, const char *valueName)
{
    char path[SETTINGS_PATH_SIZE];
    HKEY key;
    if (!ComposeSettingsPath(path, keyName))
        return ERROR_INVALID_PARAMETER;
    LONG status = RegOpenKeyExA(s_hive, path, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS)
        return status;
    RegDeleteValueA(key, valueName);
    return RegCloseKey(key);
}
