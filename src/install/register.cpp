#include "install/register.h"
#include "install/register_text.h"
#include "install/defaults.h"
#include "install/locale.h"
#include "install/pathext.h"
#include "install/quote_text.h"
#include "registry/settings.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"
#include "base/process.h"
#include "base/product.h"
#include "base/wholefile.h"

#include <string.h>

static void SetStringValue(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);   // failure ignored
}

void RegisterProduct(const char *text)
{
    char modulePath[PATH_SIZE];
    // Without its own path the program cannot be named by either entry; the
    // group is recorded all the same.
    if (GetModulePath(modulePath)) {
        HKEY key = CreateRegistryKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        if (!key)
            return;   // no rights on HKEY_LOCAL_MACHINE: none of the rest either
        SetStringValue(key, "DisplayName", DISPLAY_NAME);
        // A command line: unquoted, a path with a blank would first start
        // "C:\Program.exe" and the like. The buffer has room for the quotes.
        char command[PATH_SIZE + 2];
        CopyText(command, sizeof command, modulePath);
        if (QuoteIfNeeded(command, sizeof command))
            SetStringValue(key, "UninstallString", command);
        RegCloseKey(key);

        key = CreateRegistryKey(HKEY_LOCAL_MACHINE, APP_PATHS_KEY);
        if (!key)
            return;
        char directory[PATH_SIZE], fileManager[PATH_SIZE];
        // The directory is never longer than the module path; the file
        // manager's path may be, for a renamed program, and is then left out.
        if (ComposeProgramFilePath(fileManager, sizeof fileManager, modulePath, FILE_MANAGER_NAME))
            SetStringValue(key, "", fileManager);
        if (ComposeProgramDirectory(directory, sizeof directory, modulePath))
            SetStringValue(key, "Path", directory);
        RegCloseKey(key);
    }

    WriteSettingString("", "Group", SkipLeadingBlanks(text));
    // Any hosts key, even an empty one, means the user has set up hosts.
    if (!SettingExists(FTP_HOSTS_KEY, NULL))
        WriteSettingString(FTP_HOST_KEY, "Description", "Latest VEL");
}

void CreateLauncherBatch(void)
{
    char modulePath[PATH_SIZE];
    if (!GetModulePath(modulePath) || !FindLastBackslash(modulePath))
        return;

    // The launcher is for Windows 95/98/Me only.
    if (g_versionInfo.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)
        return;

    // Every path and the line are composed first: a step whose path would be
    // cut is skipped rather than writing to a file of another name.
    char marker[PATH_SIZE], launcher[PATH_SIZE], fileManager[PATH_SIZE], line[PATH_SIZE + 32];
    if (!ComposeProgramFilePath(marker, sizeof marker, modulePath, LAUNCHER_MARKER_NAME)
        || !WriteWholeFile(marker, "", 0))
        return;
    if (!ComposeProgramFilePath(launcher, sizeof launcher, modulePath, LAUNCHER_NAME)
        || GetFileAttributesA(launcher) != INVALID_FILE_ATTRIBUTES)
        return;   // an existing launcher is the user's: never overwritten
    if (!ComposeProgramFilePath(fileManager, sizeof fileManager, modulePath, FILE_MANAGER_NAME)
        || !QuoteIfNeeded(fileManager, sizeof fileManager)
        || !FormatLauncherLine(line, sizeof line, fileManager))
        return;

    // A failed write is ignored as every other step of the registration.
    WriteWholeFile(launcher, line, (DWORD)strlen(line));
}

int RunRegistration(const char *commandLine)
{
    CopyText(g_executableMask, sizeof g_executableMask, EXECUTABLE_MASK_START);
    if (g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT)
        AppendText(g_executableMask, sizeof g_executableMask, ",*.cmd");
    MergePathExt(g_executableMask, sizeof g_executableMask);

    SetSettingsHive(HKEY_CURRENT_USER);
    SetHivePrefix("");
    CreateLauncherBatch();
    RegisterProduct(TextAfterModeWord(commandLine));
    SetHighlightDefaults();
    SetSortGroupDefaults();
    SetApplyCmdDefaults();
    SetLocaleDefaults();

    SetSettingsHive(HKEY_USERS);
    SetHivePrefix(".DEFAULT");
    SetHighlightDefaults();
    SetApplyCmdDefaults();
    SetSortGroupDefaults();
    SetLocaleDefaults();
    return 0;
}
