// Arbitrary list files: every line read, trimmed and judged as an entry,
// with a canary after the line buffer.
#include "uninstall/listentry_text.h"
#include "base/utf8_text.h"
#include "common/canary.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The list given out in pieces of at most chunk bytes.
struct Source {
    const uint8_t *data;
    size_t size, at, chunk;
};

int Fill(void *source, char *buffer, size_t size)
{
    Source *s = (Source *)source;
    size_t n = s->size - s->at;
    if (n > s->chunk)
        n = s->chunk;
    if (n > size)
        n = size;
    memcpy(buffer, s->data + s->at, n);
    s->at += n;
    return (int)n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks a line buffer size, so small sizes are reached
    // too; the second the size of the pieces the list comes in.
    size_t lineSize = 1 + data[0] % 64;
    if (data[0] & 0x80)
        lineSize = LIST_LINE_BYTES;
    Source source = {data + 2, size - 2, 0, data[1] ? data[1] : (size_t)LIST_BUFFER_SIZE};
    ListReader list;
    StartListReader(&list, Fill, &source);
    char line[LIST_LINE_BYTES + 16];
    memset(line, kCanary, sizeof line);
    char prefix[] = "C:\\Vel\\";
    int result;
    while ((result = ReadListLine(&list, line, lineSize)) != LIST_END) {
        if (result == LIST_LINE_SKIPPED && line[0] != 0)
            abort();
        if (strlen(line) >= lineSize)
            abort();
        // A Unicode list's line comes as UTF-8, of at most 519 letters.
        if (ListEncoding(&list) != LIST_ANSI && (!IsUtf8(line) || Utf8WideLength(line) > 2 * (LIST_LINE_SIZE - 1)))
            abort();
        TrimLineEnd(line);
        size_t len = strlen(line);
        if (len && ((unsigned char)line[len - 1] <= ' ' || line[len - 1] == 127))
            abort();
        ListEntryFormRefusal(line);
        PathIsStrictlyInside(line, prefix);
        RequireCanary(line, lineSize, sizeof line);
    }
    if (source.at != source.size)
        abort();   // the end came before the list's last byte
    return 0;
}
