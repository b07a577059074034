#include "base/modulepath_text.h"
#include "base/bounded_text.h"

#include <string.h>

int ComposeProgramDirectory(char *out, size_t size, const char *modulePath)
{
    const char *slash = strrchr(modulePath, '\\');
    if (!slash)
        return ComposeText(out, size, "%s", modulePath);
    int len = (int)(slash - modulePath);
    // A drive root keeps its backslash: "C:" alone names the drive's current directory.
    if (len == 2 && modulePath[1] == ':')
        len++;
    return ComposeText(out, size, "%.*s", len, modulePath);
}

int ComposeProgramFilePath(char *out, size_t size, const char *modulePath, const char *fileName)
{
    const char *slash = strrchr(modulePath, '\\');
    if (!slash)
        return ComposeText(out, size, "%s", modulePath);   // no directory to put the file in
    return ComposeText(out, size, "%.*s%s", (int)(slash + 1 - modulePath), modulePath, fileName);
}
