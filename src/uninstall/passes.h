// The deletion passes over the list file "UnInstall.lst": every entry judged
// by where the system would take it, deleted only as itself, in passes until
// one deletes nothing; then one last step over the entries that tells what
// became of each.
#ifndef VEL_UNINSTALL_PASSES_H
#define VEL_UNINSTALL_PASSES_H

#include "uninstall/listentry_text.h"
#include "uninstall/entry.h"
#include "uninstall/restart.h"

// Lines whose entry is settled (deleted, found gone, refused, blank) are
// skipped in later passes, and lines whose entry was deleted are told apart
// for the report: one bit a line each. Lines beyond them are judged again in
// every pass, and a deletion among them is told as "already gone".
#define SETTLED_LINES 32768

// One run over a list: what every entry is judged against, and what became
// of each line. Made by StartDeletionRun; large (8 KB of line bits), so a
// caller keeps it where it has room, and passes it on.
struct DeletionRun {
    // The program directory made canonical, with its backslash: full and in
    // long names, as the entries are. Entries are composed on it.
    char canonicalPrefix[PATH_SIZE];
    // The same as the system resolves it, with a backslash, in UTF-16; ""
    // when it cannot, and then no entry is shown to be itself.
    WCHAR finalPrefix[ENTRY_FINAL_SIZE];
    // The directory last checked for links on the way, and what it gave:
    // a run of entries in one directory costs one check.
    char checkedParent[PATH_SIZE];
    int parentPassesLink;
    // This program's file and the list, as entries are composed: listed, they
    // are not deleted by the passes, since the uninstall removes both itself
    // at its end; "" when not known.
    char ownFiles[2][PATH_SIZE];
    // Tests only: delete by name after the check, as before Windows Vista.
    int deleteByName;
    unsigned char settled[SETTLED_LINES / 8], deleted[SETTLED_LINES / 8];
    // Lines whose entry was in use and goes when Windows restarts, and among
    // them the files another program held open (error 32, not 5).
    unsigned char atRestart[SETTLED_LINES / 8], heldOpen[SETTLED_LINES / 8];
    int scheduled;   // how many entries go at restart
    KeptNames kept;  // files among them that go under their own names
};

// Prepares run for the program directory directoryPrefix (ending in a
// backslash), every line unsettled; programPath names this program's file
// (NULL: none to keep for the end).
void StartDeletionRun(DeletionRun *run, const char *directoryPrefix, const char *programPath);

// 1 when path, as JudgeListEntry composes it, is this program's file or the
// list, which the uninstall removes itself at its end.
int IsOwnFile(const DeletionRun *run, const char *path);

// Judges one list entry by where the system would take it: its full path,
// without a trailing separator and with short aliases expanded, into path,
// and the final path that must be found there into expected ("" when it
// cannot be known, and then the entry is refused when opened). ENTRY_TAKEN,
// or why the entry must not be touched.
int JudgeListEntry(DeletionRun *run, const char *entry, char path[PATH_SIZE], WCHAR expected[ENTRY_FINAL_SIZE]);

// Reads the next line of list as ReadListLine does, into line as the
// program's own text: a list in the ANSI code page, UTF-8 or UTF-16 each
// converted. A line that the program's text cannot spell (a letter outside
// the ANSI code page on Windows 95/98/Me) is LIST_LINE_SKIPPED.
int ReadEntryLine(ListReader *list, char line[LIST_LINE_BYTES]);

// Opens the list file at path (a full path) for reading through list.
// 0 when it cannot be opened. CloseListFile closes it.
int OpenListFile(ListReader *list, const char *path);
void CloseListFile(ListReader *list);

// Deletion passes over a list opened with OpenListFile: a new pass starts
// while the last one deleted an entry that is gone afterwards, at most one
// more than there are entries. An entry settled in one pass (deleted, gone,
// refused) is not looked at again. Returns the number of passes;
// entriesTried (may be NULL) gets how many times an entry was looked at.
int RunDeletionPasses(DeletionRun *run, ListReader *list, long *entriesTried);

// The last step over the list's entries, after the passes. What stays
// because it is in use goes when Windows restarts: each file (error 5 or 32,
// tried once more), then the listed folders that hold nothing else, the
// deepest first (Windows NT only). Then it tells the report what became of
// each entry (blank lines aside), trying once more those that stay, for
// their error.
void FinishListEntries(DeletionRun *run, ListReader *list);

// Deletes one entry named as a list line names it, judged as the passes
// judge theirs, and tells the report what became of it: for the list file
// itself, whose turn has come at the end.
void RemoveListEntry(DeletionRun *run, const char *entry);

#endif
