#include "base/modulepath_text.h"
#include "base/bounded_text.h"

#include <string.h>

int ComposeProgramDirectory(char *out, size_t size, const char *modulePath)
{
    const char *slash = FindLastBackslash(modulePath);
    size_t len = slash ? (size_t)(slash - modulePath) : strlen(modulePath);
    // A drive root keeps its backslash: "C:" alone names the drive's current directory.
    if (slash && len == 2 && modulePath[1] == ':')
        len++;
    if (len >= size) {
        if (size > 0)
            out[0] = 0;
        return 0;
    }
    memcpy(out, modulePath, len);
    out[len] = 0;
    return 1;
}

int ComposeProgramFilePath(char *out, size_t size, const char *modulePath, const char *fileName)
{
    const char *slash = FindLastBackslash(modulePath);
    int keep = -1;   // without a backslash: the whole module path, and no file name
    if (slash)
        keep = (int)(slash + 1 - modulePath);
    else
        fileName = "";
    return ComposeText(out, size, "%.*s%s", keep, modulePath, fileName);
}
