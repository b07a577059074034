#include "support_registry.h"
#include "settings.h"

#include <algorithm>

static const char kScratchRoot[] = "Software\\VelUnitTest";
static const HKEY kRoots[4] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CLASSES_ROOT};
static const char *const kRootNames[4] = {"HKCU", "HKLM", "HKU", "HKCR"};

void ScratchRegistry::SetUp()
{
    // Sweep what a crashed run left, then make one scratch key per root.
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
    for (int i = 0; i < 4; i++) {
        std::string path = std::string(kScratchRoot) + "\\" + kRootNames[i];
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &overrides_[i], NULL));
    }
    for (int i = 0; i < 4; i++)
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(kRoots[i], overrides_[i]));
    SetSettingsHive(HKEY_CURRENT_USER);
    SetHivePrefix("");
}

void ScratchRegistry::TearDown()
{
    for (int i = 0; i < 4; i++) {
        RegOverridePredefKey(kRoots[i], NULL);
        if (overrides_[i])
            RegCloseKey(overrides_[i]);
        overrides_[i] = NULL;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
    SetSettingsHive(HKEY_CURRENT_USER);
    SetHivePrefix("");
}

void ScratchRegistry::CreateKey(HKEY root, const char *path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
        << path;
    RegCloseKey(key);
}

bool ScratchRegistry::KeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void ScratchRegistry::SetRaw(HKEY root, const char *path, const char *name, DWORD type,
                             const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
        << path;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size)) << name;
    RegCloseKey(key);
}

void ScratchRegistry::SetString(HKEY root, const char *path, const char *name, const char *text)
{
    SetRaw(root, path, name, REG_SZ, text, (DWORD)strlen(text) + 1);
}

bool ScratchRegistry::GetRaw(HKEY root, const char *path, const char *name, DWORD *type,
                             std::vector<unsigned char> *bytes)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, NULL, type, NULL, &size);
    if (status == ERROR_SUCCESS) {
        bytes->assign(size, 0);
        status = RegQueryValueExA(key, name, NULL, type, bytes->data(), &size);
        bytes->resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string ScratchRegistry::GetString(HKEY root, const char *path, const char *name)
{
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    if (!GetRaw(root, path, name, &type, &bytes))
        return "<missing>";
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}

static DWORD CountKeyInfo(HKEY root, const char *path, bool subkeys)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return (DWORD)-1;
    DWORD keys = 0, values = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, &keys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return subkeys ? keys : values;
}

DWORD ScratchRegistry::CountSubkeys(HKEY root, const char *path)
{
    return CountKeyInfo(root, path, true);
}

DWORD ScratchRegistry::CountValues(HKEY root, const char *path)
{
    return CountKeyInfo(root, path, false);
}

bool CanaryIntact(const void *buffer, size_t from, size_t to)
{
    const unsigned char *bytes = (const unsigned char *)buffer;
    for (size_t i = from; i < to; i++)
        if (bytes[i] != kCanary)
            return false;
    return true;
}
