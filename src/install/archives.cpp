#include "install/archives.h"
#include "install/archives_text.h"
#include "registry/settings.h"
#include "base/process.h"
#include "base/bounded_text.h"
#include "base/files.h"

struct ArchiveAssociation {
    char extension[5];
    char type[4];   // the type "<type> archive", whose key's "shell\open\command" receives the open command
};

// ".tgz", ".tar" and ".gz" share one type, so its keys are written three times.
static const ArchiveAssociation s_archives[] = {
    {".rar", "RAR"}, {".arj", "ARJ"}, {".lzh", "LZH"}, {".zip", "ZIP"}, {".ha", "HA"},
    {".cab", "CAB"}, {".tgz", "TGZ"}, {".tar", "TGZ"}, {".gz", "TGZ"},
};

int AssociateArchives(void)
{
    char modulePath[PATH_SIZE];
    char command[PATH_SIZE];
    // Without the whole module path, or without room for the whole command,
    // no open command is written: a cut one would start some other program.
    // The extensions and type keys are written all the same.
    // The command has the room of a path: 259 characters.
    int haveCommand = GetModulePath(modulePath)
        && ComposeOpenCommand(command, sizeof command, modulePath) && FitsPath(command, 0);

    // Below HKEY_CLASSES_ROOT the settings layer takes key names as whole paths.
    SetSettingsHive(HKEY_CLASSES_ROOT);
    for (size_t i = 0; i < sizeof s_archives / sizeof s_archives[0]; i++) {
        const ArchiveAssociation &row = s_archives[i];
        // The type name, then its command key: the longest of each fits.
        char key[64];
        ComposeText(key, sizeof key, "%s archive", row.type);
        // Each write stands alone; a key that cannot be written is skipped.
        WriteSettingString(row.extension, "", key);
        WriteSettingString(key, "", key);
        if (haveCommand && AppendText(key, sizeof key, "\\shell\\open\\command"))
            WriteSettingString(key, "", command);
    }
    return 0;
}
