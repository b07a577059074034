#include "uninstall/restart_text.h"
#include "base/bounded_text.h"

#include <string.h>

int ComposeRestartName(char *out, size_t size, const char *path, int number)
{
    return ComposeText(out, size, "%s.~vel%d", path, number);
}

// The end of the line that starts at p (its line feed, or the text's end).
static const char *LineEnd(const char *p, const char *end)
{
    while (p < end && *p != '\n')
        p++;
    return p;
}

// 1 when the line from p to lineEnd is a section header, and with name (NULL:
// any) when it names that section: "[", the name, "]", blanks around them.
static int IsSectionHeader(const char *p, const char *lineEnd, const char *name)
{
    while (p < lineEnd && (*p == ' ' || *p == '\t'))
        p++;
    if (p == lineEnd || *p != '[')
        return 0;
    p++;
    const char *close = p;
    while (close < lineEnd && *close != ']')
        close++;
    if (close == lineEnd)
        return 0;
    if (!name)
        return 1;
    size_t len = strlen(name);
    if ((size_t)(close - p) != len)
        return 0;
    for (size_t i = 0; i < len; i++)
        if (LowerAscii(p[i]) != LowerAscii(name[i]))
            return 0;
    return 1;
}

// Appends len bytes of text at out + *used (size bytes in all); 0 when they
// do not fit with a terminator after them.
static int AppendBytes(char *out, size_t size, size_t *used, const char *text, size_t len)
{
    if (*used + len >= size)
        return 0;
    memcpy(out + *used, text, len);
    *used += len;
    return 1;
}

int AddRenameLine(char *out, size_t size, const char *text, size_t textLen, const char *line)
{
    if (size == 0)
        return 0;
    const char *end = text + textLen;
    // Where the line goes: after the last line of the [rename] section.
    const char *at = NULL;
    for (const char *p = text; p < end;) {
        const char *lineEnd = LineEnd(p, end);
        if (IsSectionHeader(p, lineEnd, NULL))
            at = IsSectionHeader(p, lineEnd, "rename") ? end : (at == end ? p : at);
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    // Not there: a section of its own at the end.
    const char *header = at ? "" : "[rename]\r\n";
    if (!at)
        at = end;
    // Whatever comes before ends in a line end before anything is added.
    int needsEnd = at > text && at[-1] != '\n';
    size_t used = 0;
    int fit = AppendBytes(out, size, &used, text, (size_t)(at - text))
        && (!needsEnd || AppendBytes(out, size, &used, "\r\n", 2))
        && AppendBytes(out, size, &used, header, strlen(header))
        && AppendBytes(out, size, &used, line, strlen(line))
        && AppendBytes(out, size, &used, "\r\n", 2)
        && AppendBytes(out, size, &used, at, (size_t)(end - at));
    out[fit ? used : 0] = 0;
    return fit;
}
