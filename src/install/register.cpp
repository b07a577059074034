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
#include "base/codepage.h"
#include "base/files.h"

#include <string.h>
#include <winver.h>

static void SetStringValue(HKEY key, const char *name, const char *text)
{
    SetRegistryText(key, name, text);   // failure ignored
}

static void SetDwordValue(HKEY key, const char *name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value);   // failure ignored
}

// The file fileName beside this program into out: "" and 0 when its path
// would not fit, or would have 260 characters or more, which the system cuts
// into another file's.
static int ComposeBeside(char out[PATH_SIZE], const char *modulePath, const char *fileName)
{
    if (ComposeProgramFilePath(out, PATH_SIZE, modulePath, fileName) && FitsPath(out, 0))
        return 1;
    out[0] = 0;
    return 0;
}

// The Programs list shows the file manager's version: the file version of its
// version resource, none when it has none.
static void SetVersionValues(HKEY key, const char *fileManager)
{
    // The fixed information leads the resource: a longer one may be cut after
    // it. Bytes the call does not write stay 0, which no signature is.
    char block[1024];
    memset(block, 0, sizeof block);
    unsigned version[4];
    WCHAR wide[PATH_UNITS];
    BOOL read = TextIsUtf8() ? TextToWide(fileManager, wide, PATH_UNITS)
                                   && GetFileVersionInfoW(wide, 0, sizeof block, block)
                             : GetFileVersionInfoA(fileManager, 0, sizeof block, block);
    if (!read || !ReadFixedFileVersion(block, sizeof block, version))
        return;
    char text[32];   // "65535.65535.65535.65535"
    FormatText(text, sizeof text, "%u.%u.%u.%u", version[0], version[1], version[2], version[3]);
    SetStringValue(key, "DisplayVersion", text);
    SetDwordValue(key, "VersionMajor", version[0]);
    SetDwordValue(key, "VersionMinor", version[1]);
}

// The Programs list's entry. Beside its name and the uninstall command: the
// file manager's icon and version, the program directory, the installed size,
// the command of the silent uninstall, and that there is nothing to modify or
// repair. Values whose text would not fit are left out, never cut.
static void WriteProgramsListEntry(HKEY key, const char *modulePath, const char *directory,
                                   const char *fileManager, DWORD installedKiB)
{
    SetStringValue(key, "DisplayName", DISPLAY_NAME);
    // A command line: unquoted, a path with a blank would first start
    // "C:\Program.exe" and the like. The buffer has room for the quotes.
    char command[PATH_SIZE + 2 + 3], text[PATH_SIZE + 2];
    CopyText(command, sizeof command, modulePath);
    if (QuoteIfNeeded(command, sizeof command)) {
        SetStringValue(key, "UninstallString", command);
        AppendText(command, sizeof command, " /S");   // room was left for it
        SetStringValue(key, "QuietUninstallString", command);
    }
    if (fileManager[0]) {
        if (ComposeText(text, sizeof text, "%s,0", fileManager))
            SetStringValue(key, "DisplayIcon", text);
        SetVersionValues(key, fileManager);
    }
    SetStringValue(key, "InstallLocation", directory);
    if (installedKiB != SIZE_UNKNOWN)
        SetDwordValue(key, "EstimatedSize", installedKiB);
    SetDwordValue(key, "NoModify", 1);
    SetDwordValue(key, "NoRepair", 1);
}

int RegisterProduct(const char *text, DWORD installedKiB)
{
    // A name too long for the buffer is none the uninstall could remove: it
    // is recorded as given.
    char unquoted[GROUP_TEXT_SIZE];
    const char *group = SkipLeadingBlanks(text);
    if (ComposeGroupName(unquoted, sizeof unquoted, group))
        group = unquoted;
    char modulePath[PATH_SIZE];
    // Without its own path the program cannot be named by either entry; the
    // group is recorded all the same.
    int registered = 0;
    if (GetModulePath(modulePath)) {
        HKEY key = CreateRegistryKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        if (!key)
            return 0;   // no rights on HKEY_LOCAL_MACHINE: none of the rest either
        // The directory is never longer than the module path, which fits;
        // the file manager's path may be, for a renamed program, and is then
        // left out ("" when it does not fit).
        char directory[PATH_SIZE], fileManager[PATH_SIZE];
        ComposeProgramDirectory(directory, sizeof directory, modulePath);
        ComposeBeside(fileManager, modulePath, FILE_MANAGER_NAME);
        WriteProgramsListEntry(key, modulePath, directory, fileManager, installedKiB);
        // Where every administrator's uninstall finds the group: beside the
        // entry it runs from, which goes last.
        char programs[PATH_SIZE];
        SetStringValue(key, GROUP_VALUE, group);
        if (GetProgramsFolder(programs))
            SetStringValue(key, PROGRAMS_FOLDER_VALUE, programs);
        RegCloseKey(key);
        registered = 1;

        key = CreateRegistryKey(HKEY_LOCAL_MACHINE, APP_PATHS_KEY);
        if (!key)
            return registered;
        if (fileManager[0])
            SetStringValue(key, "", fileManager);
        SetStringValue(key, "Path", directory);
        RegCloseKey(key);
    }

    WriteSettingString("", GROUP_VALUE, group);
    // Any hosts key, even an empty one, means the user has set up hosts.
    if (!SettingExists(FTP_HOSTS_KEY, NULL))
        WriteSettingString(FTP_HOST_KEY, "Description", "Latest VEL");
    return registered;
}

void CreateLauncherBatch(void)
{
    char modulePath[PATH_SIZE];
    if (!GetModulePath(modulePath) || !strrchr(modulePath, '\\'))
        return;

    // The launcher is for Windows 95/98/Me only.
    if (g_versionInfo.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)
        return;

    // Every path and the line are composed first: a step whose path would be
    // cut is skipped rather than writing to a file of another name.
    char marker[PATH_SIZE], launcher[PATH_SIZE], fileManager[PATH_SIZE], line[PATH_SIZE + 32];
    if (!ComposeBeside(marker, modulePath, LAUNCHER_MARKER_NAME)
        || !WriteWholeFile(marker, "", 0))
        return;
    if (!ComposeBeside(launcher, modulePath, LAUNCHER_NAME)
        || GetFileAttributesA(launcher) != INVALID_FILE_ATTRIBUTES)
        return;   // an existing launcher is the user's: never overwritten
    if (!ComposeBeside(fileManager, modulePath, FILE_MANAGER_NAME)
        || !QuoteIfNeeded(fileManager, sizeof fileManager)
        || !FormatLauncherLine(line, sizeof line, fileManager))
        return;

    // A failed write is ignored as every other step of the registration.
    WriteWholeFile(launcher, line, (DWORD)strlen(line));
}

int RunRegistration(const char *commandLine, DWORD installedKiB)
{
    CopyText(g_executableMask, sizeof g_executableMask, EXECUTABLE_MASK_START);
    if (g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT)
        AppendText(g_executableMask, sizeof g_executableMask, ",*.cmd");
    MergePathExt(g_executableMask, sizeof g_executableMask);

    SetSettingsHive(HKEY_CURRENT_USER);
    SetHivePrefix("");
    CreateLauncherBatch();
    // Without its Programs-list entry the product cannot be removed: the
    // installer must be told, whatever else went on.
    int registered = RegisterProduct(TextAfterModeWord(commandLine), installedKiB);
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
    return registered ? 0 : 1;
}
