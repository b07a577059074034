#include "uninstall/rerun_text.h"
#include "base/bounded_text.h"

#include <string.h>

int ComposeUninstallLockName(char *out, size_t size, const char *directory)
{
    // FNV-1a: a few lines, and two directories of one machine do not meet.
    unsigned hash = 2166136261u;
    for (const char *p = directory; *p; p++) {
        hash ^= (unsigned char)LowerAscii(*p);
        hash *= 16777619u;
    }
    char digits[9];
    for (int i = 7; i >= 0; i--, hash >>= 4)
        digits[i] = "0123456789ABCDEF"[hash & 15];
    digits[8] = 0;
    return ComposeText(out, size, "VelUninstall-%s", digits);
}

int CommandNamesProgram(const char *command, const char *modulePath)
{
    if (command[0] != '"')
        return EqualsNoCase(command, modulePath);
    const char *closing = strchr(command + 1, '"');
    size_t len = closing ? (size_t)(closing - command - 1) : strlen(command + 1);
    return strlen(modulePath) == len && StartsWithNoCase(command + 1, modulePath);
}
