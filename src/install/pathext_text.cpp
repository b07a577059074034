#include "install/pathext_text.h"
#include "base/bounded_text.h"

#include <string.h>

char g_executableMask[EXECUTABLE_MASK_SIZE];

static int IsListSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char *NextListItem(const char *position, char *item, size_t itemSize, int separator)
{
    if (*position == 0)
        return NULL;
    char sep = (char)(separator & 0xFF);
    size_t used = 0;
    int inBrackets = 0;
    const char *p = position;
    for (; *p; p++) {
        char c = *p;
        // The lookahead for ']' spans the whole rest of the text, not this item.
        if (c == '[' && strchr(p + 1, ']') != NULL)
            inBrackets = 1;
        else if (c == ']')
            inBrackets = 0;
        else if (c == sep && !inBrackets)
            break;
        if (used + 1 < itemSize)   // an over-long item is cut here, passed over below
            item[used++] = c;
    }
    if (itemSize > 0)
        item[used] = 0;
    if (*p == 0)
        return p;   // not NULL: only the following call reports the end
    p++;
    while (IsListSpace(*p))
        p++;
    return p;
}

static void DropTrailingComma(char *mask)
{
    size_t len = strlen(mask);
    if (len > 0 && mask[len - 1] == ',')
        mask[len - 1] = 0;
}

char *MergeExtensionList(char *mask, size_t maskSize, char *pathExt)
{
    char item[LIST_ITEM_SIZE];
    char pattern[EXTENSION_PATTERN_SIZE];
    const char *position = NULL;

    if (pathExt) {
        for (char *p = pathExt; *p; p++)
            *p = LowerAscii(*p);
        position = NextListItem(pathExt, item, sizeof item, ';');
    }
    size_t len = strlen(mask);
    // A mask with no room for even the separating comma merges nothing.
    if (position && len > 0 && mask[len - 1] != ',' && !AppendText(mask, maskSize, ","))
        position = NULL;

    while (position) {
        // An item of more than 30 characters has no pattern and adds nothing.
        int usable = FormatText(pattern, sizeof pattern, "*%s", item);
        // Lookahead: the next item is read now, to know whether a comma follows.
        position = NextListItem(position, item, sizeof item, ';');
        if (!usable || strstr(mask, pattern) != NULL)
            continue;
        len = strlen(mask);
        if (len + strlen(pattern) >= maskSize)
            break;   // stop before a pattern that would be cut
        AppendText(mask, maskSize, pattern);
        if (position && !AppendText(mask, maskSize, ","))
            break;   // the comma is cut off: the mask ends with this pattern
    }
    DropTrailingComma(mask);
    return mask;
}
