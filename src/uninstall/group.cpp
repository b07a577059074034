#include "uninstall/group.h"
#include "uninstall/groupname_text.h"
#include "uninstall/entry.h"
#include "uninstall/report.h"
#include "base/modulepath_text.h"
#include "registry/settings.h"
#include "registry/regkey.h"
#include "base/process.h"
#include "base/files.h"
#include "base/codepage.h"
#include "base/product.h"
#include "base/bounded_text.h"

#include <ddeml.h>
#include <string.h>

#define DDE_COMMAND_SIZE 512
#define DDE_TIMEOUT 5000

static HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return 0;
}

// Looks at every entry of folder (final path folderFinal) for links, never
// entering one. With removeFiles its files, and its links as the links, are
// deleted and every entry is looked at; without, the search ends at the first
// link. Subfolders are searched at any depth, and kept. 1 when a link was
// seen, or may have been: an entry whose path is too long is not looked at.
static int WalkGroupFolder(const char *folder, const WCHAR *folderFinal, int removeFiles)
{
    char pattern[PATH_SIZE], entry[PATH_SIZE];
    WCHAR expected[ENTRY_FINAL_SIZE];
    if (!ComposeText(pattern, sizeof pattern, "%s\\*.*", folder))
        return 1;
    FoundEntry found;
    HANDLE search = FindFirstIn(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int linkSeen = 0;
    do {
        if (!strcmp(found.name, ".") || !strcmp(found.name, ".."))
            continue;
        DWORD attributes = found.attributes;
        int link = 1;   // a name that cannot be spelled, or a path too long, is not looked at
        if (found.name[0] && ComposeText(entry, sizeof entry, "%s\\%s", folder, found.name)) {
            ComposeExpectedFinalPath(expected, folderFinal, found.name);
            link = IsLinkEntry(entry, attributes, expected);
            if (removeFiles && (link || !(attributes & FILE_ATTRIBUTE_DIRECTORY)))
                DeleteEntryItself(entry, attributes, expected, 0);
            else if (!link && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                link = WalkGroupFolder(entry, expected, 0);
        }
        linkSeen |= link;
    } while ((removeFiles || !linkSeen) && FindNextIn(search, &found));
    FindClose(search);
    return linkSeen;
}

// Deletes the files directly in the group folder, then the folder if that
// left it empty. Subfolders and read-only files stay, and so does the folder.
// A link, as the folder or in it, is never entered: it goes as the link where
// the system can remove one, and stays otherwise. Tells the report what
// became of the folder. 1 when Program Manager may be asked to delete the
// group: neither the folder nor anything below it is a link, since the server
// deletes recursively through links.
static int RemoveGroupFolder(const char *programs, const char *group)
{
    // No Programs folder, or a cut folder path or pattern, which would name
    // another folder: no path to work on, and the folder steps are skipped.
    char folder[PATH_SIZE];
    if (!programs[0] || !ComposeText(folder, sizeof folder, "%s\\%s", programs, group)
        || !FitsPath(folder, 4)) {
        ReportPlace(group, REPORT_LEFT, "cannot be named", 0);
        return 1;
    }
    // No folder: the command is sent all the same.
    DWORD attributes = GetAttributesOf(folder);
    int noLink = 1;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // Where the folder and each entry should lie; "" where that cannot be known.
        WCHAR programsFinal[ENTRY_FINAL_SIZE], folderFinal[ENTRY_FINAL_SIZE];
        GetEntryFinalPath(programs, programsFinal);
        ComposeExpectedFinalPath(folderFinal, programsFinal, group);
        noLink = 0;
        if (IsLinkEntry(folder, attributes, folderFinal))
            DeleteEntryItself(folder, attributes, folderFinal, 0);
        else {
            noLink = !WalkGroupFolder(folder, folderFinal, 1);
            RemoveFolderAt(folder);
        }
    }
    DWORD error = GetLastError();
    int stays = GetAttributesOf(folder) != INVALID_FILE_ATTRIBUTES;
    ReportPlace(folder, stays ? REPORT_LEFT : attributes == INVALID_FILE_ATTRIBUTES ? REPORT_GONE : REPORT_DELETED,
                NULL, stays ? error : 0);
    return noLink;
}

// Sends "[DeleteGroup(<group>)]" to Program Manager. 1 when it took the
// command; no server, a refusal or a time-out leave the uninstallation going on.
static int SendDeleteGroup(const char *group)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreDdeEvent, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 0;
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, NULL);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);

    char command[DDE_COMMAND_SIZE];
    // The group name holds at most 259 characters, so the command always fits.
    ComposeDeleteGroupCommand(command, sizeof command, group);
    // The size counts the terminator: the server reads a zero-terminated
    // command. An execute gives back TRUE or FALSE, no data to free.
    HDDEDATA done = DdeClientTransaction((LPBYTE)command, (DWORD)strlen(command) + 1, conversation, NULL, 0,
                                         XTYP_EXECUTE, DDE_TIMEOUT, NULL);
    DdeDisconnect(conversation);
    return done != NULL;
}

// The group's name and the Programs folder it lies in, as recorded: the
// current user's "Group", below their own Programs folder, or, where they
// have none (another account registered the product), the name and folder
// the registration recorded beside the Programs-list entry. 1 when a name is
// recorded (it may be "": the product has no group); 0 when none is.
static int FindRecordedGroup(char group[PATH_SIZE], char programs[PATH_SIZE], int *otherAccount)
{
    *otherAccount = 0;
    if (ReadSettingString("", GROUP_VALUE, group, "", PATH_SIZE)) {
        GetProgramsFolder(programs);
        return 1;
    }
    char own[PATH_SIZE];
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, GROUP_VALUE, group, PATH_SIZE)
        || !ReadRegistryString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, PROGRAMS_FOLDER_VALUE, programs, PATH_SIZE))
        return 0;
    *otherAccount = !GetProgramsFolder(own) || !EqualsNoCase(own, programs);
    return 1;
}

void RemoveProgramGroup(void)
{
    char group[PATH_SIZE], programs[PATH_SIZE];
    int otherAccount;
    if (!FindRecordedGroup(group, programs, &otherAccount)) {
        // There may be a group all the same, and it stays.
        ReportPlace("Group", REPORT_LEFT, "not recorded", 0);
        return;
    }
    if (!group[0]) {
        ReportPlace("Group", REPORT_NOTED, "none recorded", 0);
        return;
    }
    // A name that climbs out of the Programs folder, names another place, or
    // holds what no folder name can (a quote, a wildcard) would have both
    // steps miss the group or remove what is not the product's.
    if (!GroupNameIsFolderSafe(group)) {
        ReportPlace(group, REPORT_REFUSED, "not a folder name", 0);
        return;
    }
    // "Main Tools\" names the folder "Main Tools": both steps use the one
    // spelling, and a server that maps the name to a folder gets a plain path
    // (Wine's Program Manager does nothing for "Main Tools\").
    CollapseEmptyComponents(group);
    int noLink = RemoveGroupFolder(programs, group);
    // Syntax characters would have Program Manager read other commands or
    // another group. Program Manager works in the current user's groups: one
    // of the same name there is not the product's. It is spoken to in the
    // ANSI code page: a name that has no form there would be another group.
    char ansiGroup[PATH_SIZE];
    WCHAR wide[PATH_UNITS];
    int spelled = TextToWide(group, wide, PATH_UNITS) && NarrowTextExactly(CP_ACP, wide, ansiGroup, PATH_SIZE);
    const char *asked = !noLink ? "not asked: a link"
        : otherAccount ? "not asked: another account's group"
        : !spelled ? "not asked: a name outside the code page"
        : !GroupNameIsDdeSafe(ansiGroup) ? "not asked: syntax"
        : SendDeleteGroup(ansiGroup) ? "asked"
        : "no answer";
    char name[PATH_SIZE + 32];
    FormatText(name, sizeof name, "Program Manager group %s", group);
    ReportPlace(name, REPORT_NOTED, asked, 0);
}
