#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"
#include "base/utf8_text.h"

#include <string.h>

void TrimLineEnd(char *text)
{
    size_t len = strlen(text);
    while (len > 0) {
        unsigned char c = (unsigned char)text[len - 1];
        if (c > ' ' && c != 127)
            break;
        text[--len] = 0;
    }
}

void StartListReader(ListReader *list, ListFill fill, void *source)
{
    list->fill = fill;
    list->source = source;
    list->next = 0;
    list->held = 0;
    list->ended = 0;
    list->encoding = LIST_UNREAD;
}

// The next byte of the list, or -1 at the end (-2 on a read error).
static int NextListByte(ListReader *list)
{
    if (list->next == list->held) {
        if (list->ended)
            return list->ended;
        int got = list->fill(list->source, list->buffer, sizeof list->buffer);
        list->next = 0;
        list->held = 0;
        if (got <= 0 || (size_t)got > sizeof list->buffer) {
            list->ended = got == 0 ? -1 : -2;   // a count larger than asked for is an error too
            return list->ended;
        }
        list->held = (size_t)got;
    }
    return (unsigned char)list->buffer[list->next++];
}

// Reads the byte-order mark, if the list starts with one, and so its encoding.
static void ReadByteOrderMark(ListReader *list)
{
    list->encoding = LIST_ANSI;
    // The list may come in pieces of a byte: the mark's three are gathered
    // first, looked at, and taken only when they are the mark.
    while (list->held - list->next < 3 && !list->ended) {
        size_t room = sizeof list->buffer - list->held;
        int got = list->fill(list->source, list->buffer + list->held, room);
        if (got <= 0 || (size_t)got > room)
            list->ended = got == 0 ? -1 : -2;   // a count larger than asked for is an error too
        else
            list->held += (size_t)got;
    }
    const unsigned char *start = (const unsigned char *)list->buffer + list->next;
    size_t held = list->held - list->next;
    if (held >= 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF) {
        list->encoding = LIST_UTF8;
        list->next += 3;
    } else if (held >= 2 && start[0] == 0xFF && start[1] == 0xFE) {
        list->encoding = LIST_UTF16;
        list->next += 2;
    }
}

int ListEncoding(ListReader *list)
{
    if (list->encoding == LIST_UNREAD)
        ReadByteOrderMark(list);
    return list->encoding;
}

// The next unit of the list: a byte, or in UTF-16 two of them, low first; a
// negative number as NextListByte gives (an odd last byte is the end).
static long NextListUnit(ListReader *list)
{
    int low = NextListByte(list);
    if (low < 0 || list->encoding != LIST_UTF16)
        return low;
    int high = NextListByte(list);
    return high < 0 ? (high == -2 ? -2 : -1) : (long)(high << 8 | low);
}

int ReadListLine(ListReader *list, char *line, size_t size)
{
    int encoding = ListEncoding(list);
    WideUnit units[LIST_LINE_SIZE];   // a UTF-16 line, before it is written as UTF-8
    size_t used = 0, characters = 0;
    int spoilt = size == 0;
    long c = NextListUnit(list);
    if (size > 0)
        line[0] = 0;
    if (c < 0)
        return LIST_END;
    for (; c >= 0 && c != '\n'; c = NextListUnit(list)) {
        if (spoilt)
            continue;   // keep reading: the rest of a refused line is not a line of its own
        // UTF-8 counts the letters, not the bytes that spell them.
        characters += encoding != LIST_UTF8 || (c & 0xC0) != 0x80;
        if (c == 0 || characters >= LIST_LINE_SIZE || (encoding != LIST_UTF16 && used + 1 >= size)) {
            spoilt = 1;
            continue;
        }
        if (encoding == LIST_UTF16)
            units[used++] = (WideUnit)c;
        else
            line[used++] = (char)c;
    }
    if (c == -2) {
        if (size > 0)
            line[0] = 0;
        return LIST_END;
    }
    // A line of UTF-8 must be UTF-8, and one of UTF-16 must be spelled in it.
    if (!spoilt && encoding == LIST_UTF16)
        spoilt = !WideToUtf8(units, used, line, size);
    else if (!spoilt) {
        line[used] = 0;
        spoilt = encoding == LIST_UTF8 && !IsUtf8(line);
    }
    if (spoilt) {
        if (size > 0)
            line[0] = 0;
        return LIST_LINE_SKIPPED;
    }
    return LIST_LINE_READ;
}

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Windows drops trailing dots and blanks from a name, so "..", "..." and ". ."
// all climb to the parent. A single "." stays where it is.
static int ComponentIsDots(const char *name, size_t len)
{
    size_t dots = 0;
    for (size_t i = 0; i < len; i++) {
        if (name[i] == '.')
            dots++;
        else if (name[i] != ' ')
            return 0;
    }
    return dots >= 2 || (dots == 1 && len > 1);
}

// Device names are reserved in every directory, with any extension and with
// trailing blanks: "nul.txt" and "COM1 " open the device, not a file.
static int ComponentIsDevice(const char *name, size_t len)
{
    static const char *const plain[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
    size_t base = 0;
    while (base < len && name[base] != '.')
        base++;
    while (base > 0 && name[base - 1] == ' ')
        base--;
    char lower[8];
    if (base == 0 || base >= sizeof lower)
        return 0;
    for (size_t i = 0; i < base; i++)
        lower[i] = LowerAscii(name[i]);
    lower[base] = 0;
    for (const char *device : plain)
        if (strcmp(lower, device) == 0)
            return 1;
    if (base == 4 && (strncmp(lower, "com", 3) == 0 || strncmp(lower, "lpt", 3) == 0)) {
        unsigned char digit = (unsigned char)lower[3];
        // The superscript digits of the ANSI code page count as port numbers too.
        return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return 0;
}

const char *const kRefusalReasons[ENTRY_REFUSALS] = {
    "", "outside the program directory", "a device", "too long", "lies elsewhere", "not a folder",
};

int ListEntryFormRefusal(const char *entry)
{
    if (IsSeparator(entry[0]) || strchr(entry, ':'))
        return REFUSED_OUTSIDE;
    const char *component = entry;
    for (;;) {
        size_t len = 0;
        while (component[len] && !IsSeparator(component[len]))
            len++;
        if (ComponentIsDots(component, len))
            return REFUSED_OUTSIDE;
        if (ComponentIsDevice(component, len))
            return REFUSED_DEVICE;
        if (!component[len])
            return ENTRY_TAKEN;
        component += len + 1;
    }
}

int PathIsStrictlyInside(const char *path, const char *prefix)
{
    size_t len = strlen(prefix);
    if (len == 0 || prefix[len - 1] != '\\')
        return 0;
    return StartsWithNoCase(path, prefix) && path[len] != 0;
}
