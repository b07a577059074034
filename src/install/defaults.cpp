#include "install/defaults.h"
#include "install/pathext_text.h"
#include "registry/settings.h"
#include "registry/keytree.h"
#include "base/bounded_text.h"

#include <string.h>

#define HIGHLIGHT_VALUES 4
#define HIGHLIGHT_KEY "Colors\\Highlight"
#define HIGHLIGHT_GROUPS 8
#define HIGHLIGHT_GROUP_KEY_SIZE 32   // "Colors\\Highlight\\Group" and a number

// The names of a group's numbers, in the order they are written after
// "Mask". A group has four more (ExcludeAttributes, SelectedColor,
// SelectedCursorColor and MarkChar), 0 in every default: 0 stands for no
// setting, so none of them is written and the table leaves them out.
static const char *const kHighlightValueNames[HIGHLIGHT_VALUES] = {
    "IgnoreMask", "IncludeAttributes", "NormalColor", "CursorColor",
};

// Each number is written as a DWORD; the defaults all fit a byte (the
// attributes are FILE_ATTRIBUTE_HIDDEN, _SYSTEM and _DIRECTORY).
struct HighlightGroup {
    const char *mask;   // g_executableMask: as it is at the time of the call
    BYTE values[HIGHLIGHT_VALUES];   // in the order of kHighlightValueNames
};

static const char kArchiveMask[] =
    "*.rar,*.r[0-9][0-9],*.ar[cj],*.a[0-9][0-9],*.j,*.ac[bei],*.zip,*.z,*.jar,*.ice,"
    "*.lha,*.lzh,*.ain,*.imp,*.777,*.ufa,*.boa,*.bs[2a],*.cab,*.chz,*.ha,*.h[ay]p,*.hpk,"
    "*.lim,*.[lw]sz,*.pa[ck],*.rk,*.rkv,*.rpm,*.sqz,*.bz,*.bz2,*.bzip,*.gz,*.tar,*.t[ag]z,"
    "*.uc2,*.x2,*.zoo,*.hqx,*.sea,*.sit,*.uue,*.xxe,*.ddi,*.tdr,*.xdf";

static const HighlightGroup kHighlightDefaults[HIGHLIGHT_GROUPS] = {
    {"*.*", {0, FILE_ATTRIBUTE_HIDDEN, 0x13, 0x38}},
    {"*.*", {0, FILE_ATTRIBUTE_SYSTEM, 0x13, 0x38}},
    {"*.*|..", {0, FILE_ATTRIBUTE_DIRECTORY, 0x1F, 0x3F}},
    {"..", {0, FILE_ATTRIBUTE_DIRECTORY, 0, 0}},
    {g_executableMask, {0, 0, 0x1A, 0x3A}},
    {kArchiveMask, {0, 0, 0x1D, 0x3D}},
    {"*.bak,*.tmp", {0, 0, 0x16, 0x36}},
    {"*.*", {1, FILE_ATTRIBUTE_DIRECTORY, 0x1F, 0x3F}},
};

static void WriteHighlightGroup(const char *key, const HighlightGroup *group)
{
    WriteSettingString(key, "Mask", group->mask);
    // "IgnoreMask" always; in the others a zero stands for no setting and is not written.
    for (int i = 0; i < HIGHLIGHT_VALUES; i++)
        if (i == 0 || group->values[i] != 0)
            WriteSettingDword(key, kHighlightValueNames[i], group->values[i]);
}

void SetHighlightDefaults(void)
{
    if (SettingExists(HIGHLIGHT_KEY, NULL))
        return;
    if (SettingExists("Highlight", NULL)) {
        // Users of the old layout keep their groups; the old key stays for
        // older versions of the file manager.
        char source[SETTINGS_PATH_SIZE], destination[SETTINGS_PATH_SIZE];
        if (ComposeSettingsPath(source, "Highlight") && ComposeSettingsPath(destination, HIGHLIGHT_KEY))
            CopyRegistryTree(GetSettingsHive(), source, destination);
        return;
    }
    for (int i = 0; i < HIGHLIGHT_GROUPS; i++) {
        char key[HIGHLIGHT_GROUP_KEY_SIZE];
        FormatText(key, sizeof key, HIGHLIGHT_KEY "\\Group%d", i);   // "Colors\Highlight\Group0" fits
        WriteHighlightGroup(key, &kHighlightDefaults[i]);
    }
}

void SetSortGroupDefaults(void)
{
    if (SettingExists("SortGroups", NULL))
        return;
    WriteSettingString("SortGroups", "UpperGroup0", g_executableMask);
    WriteSettingString("SortGroups", "UpperGroup1", kArchiveMask);
}

void SetApplyCmdDefaults(void)
{
    if (SettingExists("SavedDialogHistory\\ApplyCmd", NULL))
        return;
    WriteSettingString("SavedDialogHistory\\ApplyCmd", "Line0", "explorer /select,!.!");
    WriteSettingDword("SavedDialogHistory\\ApplyCmd", "Locked0", 1);
}
