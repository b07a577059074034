#include "uninstall/uninstall.h"
#include "uninstall/passes.h"
#include "uninstall/group.h"
#include "uninstall/selfremove.h"
#include "uninstall/report.h"
#include "uninstall/options_text.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "base/codepage.h"
#include "registry/keytree.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

// 1 when the ANSI module path names this program's own file. A name outside
// the ANSI code page reads with '?' (naming nothing) or with a best-fit
// letter (naming another place, which may exist). Windows 95/98/Me has ANSI
// paths only and no wide call.
static int ModulePathIsExact(const char *modulePath)
{
    WCHAR wide[PATH_SIZE], back[PATH_SIZE];
    DWORD len = GetModuleFileNameW(NULL, wide, PATH_SIZE);
    if (len == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return 1;
    if (len == 0 || len >= PATH_SIZE)
        return 0;
    wide[len] = 0;
    return WidenText(CP_ACP, modulePath, back, PATH_SIZE) && lstrlenW(back) == (int)len
        && memcmp(wide, back, len * sizeof(WCHAR)) == 0;
}

// 1 when root\path exists, opened as itself.
static int KeyExists(HKEY root, const char *path)
{
    HKEY key = OpenRegistryKeyItself(root, path, KEY_READ);
    if (key)
        RegCloseKey(key);
    return key != NULL;
}

// The product's keys in the order they go: the settings trees below
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, which stays the current hive,
// then the two system registrations, each deleted as itself (a link goes as
// the link).
static const struct {
    HKEY root;
    const char *path;
} kProductKeys[] = {
    {HKEY_LOCAL_MACHINE, SETTINGS_ROOT},
    {HKEY_CURRENT_USER, SETTINGS_ROOT},
    {HKEY_LOCAL_MACHINE, UNINSTALL_KEY},
    {HKEY_LOCAL_MACHINE, APP_PATHS_KEY},
};

static void RemoveProductKeys(void)
{
    for (unsigned i = 0; i < sizeof kProductKeys / sizeof kProductKeys[0]; i++) {
        HKEY root = kProductKeys[i].root;
        const char *path = kProductKeys[i].path;
        int existed = KeyExists(root, path);
        if (i < 2)
            DeleteRegistryTree(root, path);
        else
            DeleteRegistryKeyAtPath(root, path);
        char name[PATH_SIZE];
        FormatText(name, sizeof name, "%s\\%s", root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE",
                   path);
        ReportPlace(name, KeyExists(root, path) ? REPORT_LEFT : existed ? REPORT_DELETED : REPORT_GONE, NULL, 0);
    }
}

// Tells the report how the self-removal went: for a step that failed, which
// one and the system's error number.
static void ReportSelfRemoval(SelfRemovalOutcome handover)
{
    if (handover.step == SELF_REMOVAL_STARTED)
        ReportPlace(BATCH_FILE_NAME, REPORT_NOTED, SelfRemovalStepText(handover.step), 0);
    else
        ReportPlace(BATCH_FILE_NAME, REPORT_LEFT, SelfRemovalStepText(handover.step), handover.error);
}

// Tells the user, or the caller, that the list cannot be had: nothing was
// changed. Returns the exit code.
static int RefuseWithoutList(const UninstallOptions *options)
{
    ReportPlace(LIST_FILE_NAME, REPORT_NOTED, "cannot be opened", 0);   // the counts say nothing changed
    CloseReport();
    if (options->silent)
        return 1;
    char text[MESSAGE_SLOT_SIZE + sizeof LIST_FILE_NAME + 1];
    FormatText(text, sizeof text, "%s %s", LoadMessageText(IDS_NO_LIST_FILE), LIST_FILE_NAME);
    ShowMessage(text, MB_OK | MB_ICONERROR);
    return 0;
}

int RunUninstall(const char *commandLine)
{
    UninstallOptions options;
    ReadUninstallOptions(commandLine, &options);
    ProgramPaths paths;
    if (!GetProgramPaths(&paths))
        return options.silent;
    // Created before the current directory changes: a relative name is taken
    // from where the program was started.
    if (options.report)
        OpenReport(options.reportPath);

    // Silent: as if the answer were Yes, and no window at all. No changes
    // nothing: a report tells no place.
    if (!options.silent
        && ShowMessage(LoadMessageText(IDS_CONFIRM), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        CloseReport();
        return 0;
    }

    // Nothing depends on the directory the program was started in: the list
    // is opened by its full path. A program directory that its ANSI path does
    // not name, or that cannot be made current, cannot be worked in: that run
    // changes nothing, as without a list.
    ListReader list;
    if (!ModulePathIsExact(paths.module) || !SetCurrentDirectoryA(paths.directory)
        || !OpenListFile(&list, paths.list))
        return RefuseWithoutList(&options);

    // From here on every step runs, whatever the ones before achieved.
    DeletionRun run;
    StartDeletionRun(&run, paths.directoryPrefix, paths.module);
    RunDeletionPasses(&run, &list, NULL);
    FinishListEntries(&run, &list);
    CloseListFile(&list);
    // The list goes as itself, judged as its entries were: a list that is a
    // link to a file elsewhere leaves that file alone.
    RemoveListEntry(&run, LIST_FILE_NAME);

    // The group name is read from the current user's settings: before they go.
    RemoveProgramGroup();
    RemoveProductKeys();

    // The batch file's own outcome comes after this process has ended.
    SelfRemovalOutcome handover = StartSelfRemoval(paths.module, paths.directory, !options.silent);
    ReportSelfRemoval(handover);
    // Back here without a batch file to take over: the program's file and
    // directory stay, and the user must not be left believing everything has gone.
    if (handover.step != SELF_REMOVAL_STARTED && !options.silent)
        ShowFinalMessage();
    CloseReport();
    return options.silent && ReportSomethingLeft() ? 2 : 0;
}
