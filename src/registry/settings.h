// The product's settings tree "Software\Vel" below a selectable hive and
// prefix, and typed value access to it. Every operation opens and closes its
// key within the one call.
#ifndef VEL_REGISTRY_SETTINGS_H
#define VEL_REGISTRY_SETTINGS_H

#include <windows.h>

#define SETTINGS_PATH_SIZE 80     // composed settings paths and the hive prefix

// The hive the settings live in; HKEY_CURRENT_USER once the program has
// started (NULL before: nothing is read or written).
void SetSettingsHive(HKEY hive);
HKEY GetSettingsHive(void);
// A prefix of 80 bytes or more is refused: until one that fits is set, no
// settings path is composed (outside HKEY_CLASSES_ROOT) and nothing is touched.
void SetHivePrefix(const char *prefix);

// Composes the registry path of a settings key below the current hive into
// out (SETTINGS_PATH_SIZE bytes). Returns out, or NULL when the path would not
// fit: a cut path names another key, so callers skip that key. out is then "".
char *ComposeSettingsPath(char out[SETTINGS_PATH_SIZE], const char *keyName);

// Handles the caller closes; NULL when the key cannot be created or opened.
HKEY CreateSettingsKey(const char *keyName);
HKEY OpenSettingsKeyForRead(const char *keyName);

void WriteSettingString(const char *keyName, const char *valueName, const char *text);
void WriteSettingDword(const char *keyName, const char *valueName, DWORD value);
void WriteSettingBinary(const char *keyName, const char *valueName, const void *data, DWORD size);

// Reads a value into buffer (size bytes). 1 when read; otherwise the default
// text (cut to fit) is in the buffer and the result is 0. The buffer is
// always terminated: a stored value without a terminator gets one, and one
// that leaves no room for it counts as too long (the default is used).
int ReadSettingString(const char *keyName, const char *valueName, char *buffer,
                      const char *defaultText, DWORD size);

// 1 when the key (valueName NULL) or the value ("" is the default value) exists.
int SettingExists(const char *keyName, const char *valueName);

// Kept for the file manager's own settings code; no mode of this program calls them.
int ReadSettingDword(const char *keyName, const char *valueName, DWORD *out, DWORD defaultValue);
DWORD GetSettingDword(const char *keyName, const char *valueName, DWORD defaultValue);
int ReadSettingBinary(const char *keyName, const char *valueName, void *buffer,
                      const void *defaultData, DWORD size);
LONG DeleteSettingsKey(const char *keyName);
LONG DeleteSettingValue(const char *keyName, const char *valueName);

#endif
