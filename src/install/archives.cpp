#include "install/archives.h"
#include "install/archives_text.h"
#include "registry/settings.h"
#include "base/process.h"
#include "base/bounded_text.h"

struct ArchiveAssociation {
    const char *extension;
    const char *typeName;   // its key's "shell\open\command" receives the open command
};

// ".tgz", ".tar" and ".gz" share one type, so its keys are written three times.
static const ArchiveAssociation s_archives[] = {
    {".rar", "RAR archive"}, {".arj", "ARJ archive"}, {".lzh", "LZH archive"},
    {".zip", "ZIP archive"}, {".ha", "HA archive"},   {".cab", "CAB archive"},
    {".tgz", "TGZ archive"}, {".tar", "TGZ archive"}, {".gz", "TGZ archive"},
};

int AssociateArchives(void)
{
    char modulePath[PATH_SIZE];
    char command[PATH_SIZE];
    // Without the whole module path, or without room for the whole command,
    // no open command is written: a cut one would start some other program.
    // The extensions and type keys are written all the same.
    int haveCommand = GetModulePath(modulePath)
        && ComposeOpenCommand(command, sizeof command, modulePath);

    // Below HKEY_CLASSES_ROOT the settings layer takes key names as whole paths.
    SetSettingsHive(HKEY_CLASSES_ROOT);
    for (size_t i = 0; i < sizeof s_archives / sizeof s_archives[0]; i++) {
        const ArchiveAssociation &row = s_archives[i];
        // Each write stands alone; a key that cannot be written is skipped.
        WriteSettingString(row.extension, "", row.typeName);
        WriteSettingString(row.typeName, "", row.typeName);
        char commandKey[64];   // the longest type name and the suffix fit
        if (haveCommand && ComposeText(commandKey, sizeof commandKey, "%s\\shell\\open\\command", row.typeName))
            WriteSettingString(commandKey, "", command);
    }
    return 0;
}
