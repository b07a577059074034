#include "uninstall/uninstall.h"
#include "uninstall/passes.h"
#include "uninstall/group.h"
#include "uninstall/selfremove.h"
#include "uninstall/report.h"
#include "uninstall/options_text.h"
#include "uninstall/rerun_text.h"
#include "uninstall/batch_text.h"
#include "uninstall/running.h"
#include "uninstall/restart.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "base/codepage.h"
#include "base/files.h"
#include "registry/keytree.h"
#include "registry/regkey.h"
#include "base/bounded_text.h"

#include <string.h>

// 1 when the module path names this program's own file. In the program's
// UTF-8 it always does. In the ANSI code page (Windows 95/98/Me, and an NT
// system in Windows 95 compatibility mode, which reports their platform) a
// name outside it reads with '?' (naming nothing) or with a best-fit letter
// (naming another place, which may exist); Windows 95/98/Me has ANSI paths
// only and no wide call.
static int ModulePathIsExact(const char *modulePath)
{
    if (TextIsUtf8())
        return 1;
    WCHAR wide[PATH_UNITS], back[PATH_UNITS];
    DWORD len = GetModuleFileNameW(NULL, wide, PATH_UNITS);
    if (len == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return 1;
    if (len == 0 || len >= PATH_UNITS)
        return 0;
    wide[len] = 0;
    return WidenText(CP_ACP, modulePath, back, PATH_UNITS) && lstrlenW(back) == (int)len
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

// Deletes root\path as itself (a link goes as the link), with every subkey
// when tree, and tells the report. 1 when it is gone afterwards.
static int RemoveProductKey(HKEY root, const char *path, int tree)
{
    int existed = KeyExists(root, path);
    if (tree)
        DeleteRegistryTree(root, path);
    else
        DeleteRegistryKeyAtPath(root, path);
    int gone = !KeyExists(root, path);
    char name[PATH_SIZE];
    FormatText(name, sizeof name, "%s\\%s", root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE",
               path);
    ReportPlace(name, !gone ? REPORT_LEFT : existed ? REPORT_DELETED : REPORT_GONE, NULL, 0);
    return gone;
}

// 1 when this run is the only uninstall of the installation in directory.
// It holds the lock until the process ends, however it ends: the system
// lets a named object go with its last handle, and nothing stays on disk.
// Where no lock can be had, the run goes on.
static int TakeUninstallLock(const char *directory)
{
    // Two spellings of one directory (a short alias, a letter's case) share
    // one lock: the name is made from its long, full form.
    char canonical[PATH_SIZE], name[64];
    if (!GetFullPathOf(directory, canonical))
        CopyText(canonical, sizeof canonical, directory);   // it fits: the module path holds it
    ExpandShortNames(canonical);
    if (!ComposeUninstallLockName(name, sizeof name, canonical))
        return 1;
    HANDLE lock = CreateMutexA(NULL, TRUE, name);
    return !lock || GetLastError() != ERROR_ALREADY_EXISTS;
}

// 1 when the Programs-list entry runs this very program: the installation
// whose list is gone is this one, stopped after its list went.
static int EntryRunsThisProgram(const char *modulePath)
{
    char command[PATH_SIZE + 8];
    return ReadRegistryString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString", command, sizeof command)
        && CommandNamesProgram(command, modulePath);
}

// Tells the report how the self-removal went: for a step that failed, which
// one and the system's error number.
static void ReportSelfRemoval(SelfRemovalOutcome handover)
{
    char name[32];
    ComposeBatchPath(name, sizeof name, "", handover.batchNumber);
    if (handover.step == SELF_REMOVAL_STARTED)
        ReportPlace(name, REPORT_NOTED, SelfRemovalStepText(handover.step), 0);
    else
        ReportPlace(name, REPORT_LEFT, SelfRemovalStepText(handover.step), handover.error);
}

// The time the product's programs get to close when asked to.
#define CLOSE_WAIT 10000

// Programs of the product that run hold their files: the user chooses to
// have them closed (Yes), to go on and have what they hold removed at the
// restart (No), or to stop with nothing changed (Cancel); a silent run closes
// them unless told not to, and goes on. 0 when the user stopped. The report
// tells of each program that ran: closed, or still running.
static int HandleRunningPrograms(const UninstallOptions *options, const char *directoryPrefix)
{
    RunningPrograms first, running;
    FindRunningPrograms(directoryPrefix, &first);
    running = first;
    while (running.count > 0) {
        if (options->silent) {
            if (!options->noClose)
                ClosePrograms(directoryPrefix, &running, CLOSE_WAIT);
            break;
        }
        char names[512], text[MESSAGE_SLOT_SIZE + sizeof names];
        ListProgramNames(&running, names, sizeof names);
        FormatText(text, sizeof text, LoadMessageText(IDS_PROGRAMS_RUNNING), names);
        int answer = ShowMessage(text, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL)
            return 0;
        if (answer != IDYES)
            break;
        ClosePrograms(directoryPrefix, &running, CLOSE_WAIT);   // asked again while one still runs
    }
    for (int i = 0; i < first.count; i++) {
        char name[PATH_SIZE + 16];
        FormatText(name, sizeof name, "Program %s", first.names[i]);
        ReportPlace(name, REPORT_NOTED, IsRunning(&running, first.ids[i]) ? "still running" : "closed", 0);
    }
    return 1;
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
    // A second uninstall of this installation while one runs (a second click
    // in the Programs list, a tool that retries) changes nothing, and writes
    // no report over the first one's.
    if (!TakeUninstallLock(paths.directory)) {
        if (!options.silent)
            ShowMessage(LoadMessageText(IDS_ALREADY_RUNNING), MB_OK | MB_ICONINFORMATION);
        return options.silent;
    }
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
    // is opened by its full path. A program directory that its own path does
    // not name, or that cannot be made current, cannot be worked in: that run
    // changes nothing, as without a list. Without a list, a run whose
    // Programs entry runs this program is the same uninstall stopped after
    // its list went: it finishes what is left.
    ListReader list;
    if (!ModulePathIsExact(paths.module) || !SetCurrentFolder(paths.directory))
        return RefuseWithoutList(&options);
    int haveList = OpenListFile(&list, paths.list);
    if (!haveList && !EntryRunsThisProgram(paths.module))
        return RefuseWithoutList(&options);
    // A list in UTF-8 or UTF-16 may name what the ANSI code page cannot: its
    // report is written in UTF-8 too.
    if (haveList && ListEncoding(&list) != LIST_ANSI)
        SetReportUnicode();

    // From here on every step runs, whatever the ones before achieved. The
    // list and the Programs entry go last, the entry last of all: a run
    // stopped anywhere before leaves both, and running it again from the
    // Programs list finishes the job.
    DeletionRun run;
    StartDeletionRun(&run, paths.directoryPrefix, paths.module);
    if (!HandleRunningPrograms(&options, run.canonicalPrefix)) {
        if (haveList)
            CloseListFile(&list);
        CloseReport();
        return 0;
    }
    if (haveList) {
        RunDeletionPasses(&run, &list, NULL);
        FinishListEntries(&run, &list);
        CloseListFile(&list);
    }
    // The group name is read from the current user's settings: before they go.
    RemoveProgramGroup();
    RemoveProductKey(HKEY_LOCAL_MACHINE, SETTINGS_ROOT, 1);
    RemoveProductKey(HKEY_CURRENT_USER, SETTINGS_ROOT, 1);
    RemoveProductKey(HKEY_LOCAL_MACHINE, APP_PATHS_KEY, 0);
    // The list goes as itself, judged as its entries were: a list that is a
    // link to a file elsewhere leaves that file alone.
    if (haveList)
        RemoveListEntry(&run, LIST_FILE_NAME);
    else
        ReportPlace(LIST_FILE_NAME, REPORT_GONE, NULL, 0);

    // A Programs entry that stays (no right to change HKEY_LOCAL_MACHINE)
    // keeps its uninstaller: the program stays with it, for a run that has
    // the rights to finish.
    if (!RemoveProductKey(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0)) {
        ReportPlace(BATCH_FILE_NAME, REPORT_LEFT, "not started: the Programs entry stays", 0);
        if (!options.silent)
            ShowMessage(LoadMessageText(IDS_ENTRY_STAYS), MB_OK | MB_ICONWARNING);
        CloseReport();
        return options.silent ? 2 : 0;
    }

    // What stays in use holds the program directory: it goes at restart after
    // them, emptied of this program's file by the batch file. The user learns
    // before this process ends, which the batch file waits for.
    if (run.scheduled) {
        if (HoldsOnlyScheduled(paths.directory, strrchr(paths.module, '\\') + 1, &run.kept)
            && ScheduleFolderAtRestart(paths.directory))
            ReportPlace(paths.directory, REPORT_AT_RESTART, NULL, ERROR_DIR_NOT_EMPTY);
        if (!options.silent)
            ShowMessage(LoadMessageText(IDS_AT_RESTART), MB_OK | MB_ICONINFORMATION);
    }

    // The batch file's own outcome comes after this process has ended.
    SelfRemovalOutcome handover = StartSelfRemoval(paths.module, paths.directory, !options.silent);
    ReportSelfRemoval(handover);
    // Back here without a batch file to take over: the program's file and
    // directory stay, and the user must not be left believing everything has gone.
    if (handover.step != SELF_REMOVAL_STARTED && !options.silent)
        ShowFinalMessage();
    CloseReport();
    if (!options.silent)
        return 0;
    // A restart completes it: the code deployment tools know for that.
    return ReportSomethingLeft() ? 2 : ReportSomethingAtRestart() ? ERROR_SUCCESS_REBOOT_REQUIRED : 0;
}
