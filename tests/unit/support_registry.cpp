#include "unit/support_registry.h"
#include "registry/settings.h"

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

void ScratchRegistry::MakeLink(HKEY root, const std::string &path, HKEY targetRoot, const std::string &targetPath)
{
    links_.push_back(std::make_pair(root, path));
    MakeRegistryLink(root, path, targetRoot, targetPath);
}

void ScratchRegistry::TearDown()
{
    // Links left by a test go as links: deleting the scratch tree by name
    // would delete what they point to and leave them behind.
    for (const auto &link : links_)
        DeleteRegistryLink(link.first, link.second);
    links_.clear();
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
