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

// The real path of a key ("\REGISTRY\USER\<sid>\..."); empty when unknown.
static std::wstring RealPathOf(HKEY root, const std::string &path)
{
    typedef LONG(WINAPI * QueryKey)(HANDLE, int, void *, ULONG, ULONG *);
    QueryKey queryKey = (QueryKey)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey");
    HKEY key;
    if (!queryKey || RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"";
    ULONG buffer[1024], size = 0;   // KEY_NAME_INFORMATION: byte length, then the name
    LONG status = queryKey(key, 3 /* KeyNameInformation */, buffer, sizeof buffer, &size);
    RegCloseKey(key);
    if (status != 0)
        return L"";
    return std::wstring((const wchar_t *)(buffer + 1), buffer[0] / sizeof(wchar_t));
}

void ScratchRegistry::MakeLink(HKEY root, const std::string &path, HKEY targetRoot, const std::string &targetPath)
{
    std::wstring target = RealPathOf(targetRoot, targetPath);
    ASSERT_FALSE(target.empty()) << targetPath;
    HKEY link;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, REG_OPTION_CREATE_LINK,
                                             KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &link, NULL))
        << path;
    links_.push_back(std::make_pair(root, path));
    // The target without its terminator, as the system reads it.
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)target.data(),
                                            (DWORD)(target.size() * sizeof(wchar_t))));
    RegCloseKey(link);
}

void ScratchRegistry::TearDown()
{
    // Links left by a test go as links: deleting the scratch tree by name
    // would delete what they point to and leave them behind.
    typedef LONG(WINAPI * DeleteKey)(HANDLE);
    DeleteKey deleteKey = (DeleteKey)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    for (const auto &link : links_) {
        HKEY key;
        if (RegOpenKeyExA(link.first, link.second.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &key)
            == ERROR_SUCCESS) {
            deleteKey(key);
            RegCloseKey(key);
        }
    }
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
