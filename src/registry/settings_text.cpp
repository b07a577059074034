#include "registry/settings_text.h"
#include "base/bounded_text.h"
#include "base/product.h"

int ComposeSettingsPathText(char *out, size_t size, const char *prefix, const char *keyName,
                            int keyNameIsWholePath)
{
    if (keyNameIsWholePath)
        return ComposeText(out, size, "%s", keyName);
    // A separator between the parts that are there, none at either end.
    return ComposeText(out, size, "%s%s" SETTINGS_ROOT "%s%s", prefix, *prefix ? "\\" : "", *keyName ? "\\" : "",
                       keyName);
}

int ComposeChildPath(char *out, size_t size, const char *parent, const char *name)
{
    return ComposeText(out, size, "%s\\%s", parent, name);
}

// Does path a name the key b or a key below it?
static int IsSameOrBelow(const char *a, const char *b)
{
    while (*b && LowerAscii(*a) == LowerAscii(*b)) {
        a++;
        b++;
    }
    return *b == 0 && (*a == 0 || *a == '\\');
}

int RegistryPathsDisjoint(const char *a, const char *b)
{
    return !IsSameOrBelow(a, b) && !IsSameOrBelow(b, a);
}

int AppendPathSeparator(char *text, size_t size, char preferred)
{
    if (!text)
        return 0;
    char separator;
    if (preferred) {
        separator = preferred == '\\' ? '\\' : '/';
    } else {
        int slashes = 0, backslashes = 0;
        for (const char *p = text; *p; p++) {
            slashes += *p == '/';
            backslashes += *p == '\\';
        }
        separator = slashes > backslashes ? '/' : '\\';
    }
    size_t len = 0;
    while (len < size && text[len])
        len++;
    if (len == size)
        return 0;   // not a terminated text of this buffer
    if (len > 0 && (text[len - 1] == '/' || text[len - 1] == '\\')) {
        text[len - 1] = separator;
        return 1;
    }
    if (len + 1 >= size)
        return 0;
    text[len] = separator;
    text[len + 1] = 0;
    return 1;
}
