#include "uninstall/group.h"
#include "uninstall/groupname_text.h"
#include "uninstall/entry.h"
#include "base/modulepath_text.h"
#include "registry/settings.h"
#include "base/bounded_text.h"

#include <shlobj.h>
#include <ddeml.h>
#include <string.h>

#define DDE_COMMAND_SIZE 512
#define DDE_TIMEOUT 5000

static HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return 0;
}

// Deletes the files directly in the group folder, then the folder if that
// left it empty. Subfolders and read-only files stay, and so does the folder.
// A link, as the folder or in it, is never entered: it goes as the link where
// the system can remove one, and stays otherwise. 1 when Program Manager may
// be asked to delete the group: neither the folder nor anything below it is a
// link, since the server deletes recursively through links.
static int RemoveGroupFolder(const char *group)
{
    char programs[PATH_SIZE] = "";
    LPITEMIDLIST location;
    if (SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAMS, &location) != S_OK)
        return 1;   // no Programs folder: no path to work on
    BOOL found = SHGetPathFromIDListA(location, programs);
    // The shell's own allocator takes the list back: CoTaskMemFree would
    // bring in a whole DLL (ole32) for this one call.
    IMalloc *shellMalloc;
    if (SHGetMalloc(&shellMalloc) == S_OK) {
        shellMalloc->Free(location);
        shellMalloc->Release();
    }
    if (!found || !programs[0])
        return 1;

    // A cut folder path or pattern would name another folder: skip the folder steps.
    char folder[PATH_SIZE], pattern[PATH_SIZE], entry[PATH_SIZE];
    if (!ComposeText(folder, sizeof folder, "%s\\%s", programs, group)
        || !ComposeText(pattern, sizeof pattern, "%s\\*.*", folder))
        return 1;
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;   // no folder: the command is sent all the same

    // Where the folder and each entry should lie; "" where that cannot be known.
    char programsFinal[ENTRY_FINAL_SIZE], folderFinal[ENTRY_FINAL_SIZE], expected[ENTRY_FINAL_SIZE];
    GetEntryFinalPath(programs, programsFinal);
    ComposeExpectedFinalPath(folderFinal, programsFinal, group);
    if (IsLinkEntry(folder, attributes, folderFinal)) {
        DeleteEntryItself(folder, attributes, folderFinal, 0);
        return 0;
    }

    int linkSeen = 0;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                continue;
            if (!ComposeText(entry, sizeof entry, "%s\\%s", folder, data.cFileName)) {
                linkSeen = 1;   // not looked at, so not known to be no link
                continue;
            }
            ComposeExpectedFinalPath(expected, folderFinal, data.cFileName);
            int link = IsLinkEntry(entry, data.dwFileAttributes, expected);
            if (link || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteEntryItself(entry, data.dwFileAttributes, expected, 0);
            else if (FolderHoldsLink(entry, expected))
                link = 1;   // a subfolder stays, and so does what the server would reach through it
            linkSeen |= link;
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(folder);
    return !linkSeen;
}

// Sends "[DeleteGroup(<group>)]" to Program Manager. Nothing is reported:
// no server, a refusal or a time-out leave the uninstallation going on.
static void SendDeleteGroup(const char *group)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreDdeEvent, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return;
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, NULL);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);

    char command[DDE_COMMAND_SIZE];
    // The group name holds at most 259 characters, so the command always fits.
    ComposeDeleteGroupCommand(command, sizeof command, group);
    // The size counts the terminator: the server reads a zero-terminated command.
    HDDEDATA result = DdeClientTransaction((LPBYTE)command, (DWORD)strlen(command) + 1, conversation,
                                           NULL, 0, XTYP_EXECUTE, DDE_TIMEOUT, NULL);
    DdeFreeDataHandle(result);
    DdeDisconnect(conversation);
}

void RemoveProgramGroup(void)
{
    char group[PATH_SIZE];
    ReadSettingString("", "Group", group, "", sizeof group);
    // A name that climbs out of the Programs folder or names another place
    // would have both steps remove what is not the product's group.
    if (!group[0] || !GroupNameIsFolderSafe(group))
        return;
    // "Main Tools\" names the folder "Main Tools": both steps use the one
    // spelling, and a server that maps the name to a folder gets a plain path
    // (Wine's Program Manager does nothing for "Main Tools\").
    CollapseEmptyComponents(group);
    int noLink = RemoveGroupFolder(group);
    // Syntax characters would have Program Manager read other commands or another group.
    if (noLink && GroupNameIsDdeSafe(group))
        SendDeleteGroup(group);
}
