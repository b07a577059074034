#include "uninstall/groupname_text.h"
#include "base/bounded_text.h"

#include <string.h>

int GroupNameIsFolderSafe(const char *name)
{
    if (!name[0] || name[0] == '\\' || name[0] == '/' || strpbrk(name, ":*?"))
        return 0;
    // Windows drops trailing dots and blanks, so "..", "..." and ". " climb
    // or stay where "." stays, and " " or an empty component names the
    // folder above it: the Programs folder or one of its parents.
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
        if (dots + blanks == len)
            return 0;
        if (!component[len])
            return 1;
        component += len + 1;
    }
}

int GroupNameIsDdeSafe(const char *name)
{
    return strpbrk(name, "[](),\"") == NULL;
}

int ComposeDeleteGroupCommand(char *out, size_t size, const char *name)
{
    return ComposeText(out, size, "[DeleteGroup(%s)]", name);
}
