#include "install/pathext_text.h"
#include "base/bounded_text.h"

#include <string.h>

char g_executableMask[EXECUTABLE_MASK_SIZE];

static int IsListSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');   // tab, line feed, vertical tab, form feed, carriage return
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
    const char *position = "";   // no items

    if (pathExt) {
        for (char *p = pathExt; *p; p++)
            *p = LowerAscii(*p);
        position = pathExt;
    }
    size_t len = strlen(mask);
    // A comma is owed before the next pattern: after the mask's own text, and
    // after each pattern appended, once another item follows.
    int commaOwed = len > 0 && mask[len - 1] != ',';
    while ((position = NextListItem(position, item, sizeof item, ';')) != NULL) {
        if (commaOwed && !AppendText(mask, maskSize, ","))
            break;   // no room for the comma: the mask ends as it is
        commaOwed = 0;
        // An item of more than 30 characters has no pattern and adds nothing.
        if (!FormatText(pattern, sizeof pattern, "*%s", item) || strstr(mask, pattern))
            continue;
        if (strlen(mask) + strlen(pattern) >= maskSize)
            break;   // stop before a pattern that would be cut
        AppendText(mask, maskSize, pattern);
        commaOwed = 1;
    }
    DropTrailingComma(mask);
    return mask;
}
