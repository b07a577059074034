#include "install/pathext.h"

#include <windows.h>

char *MergePathExt(char *mask, size_t maskSize)
{
    char pathExt[PATHEXT_SIZE];
    DWORD len = GetEnvironmentVariableA("PATHEXT", pathExt, sizeof pathExt);
    // 0: missing or empty. A value that does not fit is reported by its needed
    // size and leaves the buffer undefined: nothing of it is merged.
    return MergeExtensionList(mask, maskSize, len > 0 && len < sizeof pathExt ? pathExt : NULL);
}
