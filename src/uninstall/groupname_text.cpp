#include "uninstall/groupname_text.h"
#include "base/bounded_text.h"

#include <string.h>

int GroupNameIsFolderSafe(const char *name)
{
    if (!name[0] || name[0] == '\\' || name[0] == '/' || strpbrk(name, ":*?\"<>|"))
        return 0;
    for (const char *p = name; *p; p++)
        if ((unsigned char)*p < ' ')
            return 0;   // no file name holds a control character
    // Windows drops trailing dots and blanks, so "..", "..." and ". " climb
    // or stay where "." stays, and " " names the folder above it: the
    // Programs folder or one of its parents. An empty component (a doubled
    // or trailing separator) is no component: the system collapses it.
    const char *component = name;
    for (;;) {
        size_t len = strcspn(component, "\\/");
        size_t dots = 0, blanks = 0;
        for (size_t i = 0; i < len; i++) {
            if (component[i] == '.')
                dots++;
            else if (component[i] == ' ')
                blanks++;
        }
        if (len > 0 && dots + blanks == len)
            return 0;
        if (!component[len])
            return 1;
        component += len + 1;
    }
}

void CollapseEmptyComponents(char *name)
{
    char *out = name;
    for (const char *in = name; *in; in++) {
        // The first separator of a run stays; the rest of the run, and a run
        // at the end, name nothing. A leading one stays for the safety test to see.
        if ((*in == '\\' || *in == '/') && out > name && (out[-1] == '\\' || out[-1] == '/'))
            continue;
        *out++ = *in;
    }
    if (out > name + 1 && (out[-1] == '\\' || out[-1] == '/'))
        out--;
    *out = 0;
}

int GroupNameIsDdeSafe(const char *name)
{
    return strpbrk(name, "[](),\"") == NULL;
}

int ComposeDeleteGroupCommand(char *out, size_t size, const char *name)
{
    return ComposeText(out, size, "[DeleteGroup(%s)]", name);
}
