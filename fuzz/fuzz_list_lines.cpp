// Arbitrary list files: every line read, trimmed and judged as an entry,
// with a canary after the line buffer.
#include "uninstall/listentry_text.h"
#include "common/canary.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;   // fmemopen needs at least one byte
    // The first byte picks a line buffer size, so small sizes are reached too.
    size_t lineSize = 1 + data[0] % 64;
    if (data[0] & 0x80)
        lineSize = LIST_LINE_SIZE;
    FILE *file = fmemopen((void *)(data + 1), size - 1, "rb");
    if (!file)
        return 0;
    char line[LIST_LINE_SIZE + 16];
    memset(line, kCanary, sizeof line);
    char prefix[] = "C:\\Vel\\";
    int result;
    while ((result = ReadListLine(file, line, lineSize)) != LIST_END) {
        if (result == LIST_LINE_SKIPPED && line[0] != 0)
            abort();
        if (strlen(line) >= lineSize)
            abort();
        TrimLineEnd(line);
        size_t len = strlen(line);
        if (len && ((unsigned char)line[len - 1] <= ' ' || line[len - 1] == 127))
            abort();
        ListEntryIsPlain(line);
        PathIsStrictlyInside(line, prefix);
        RequireCanary(line, lineSize, sizeof line);
    }
    fclose(file);
    return 0;
}
