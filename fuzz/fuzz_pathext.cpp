// Arbitrary PATHEXT values and masks through the merge and the list splitter,
// with canaries after every buffer: no input may write past one, and the
// merged mask must stay terminated and keep the text it started with.
#include "install/pathext_text.h"
#include "install/register_text.h"
#include "install/quote_text.h"
#include "base/modulepath_text.h"
#include "common/canary.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

static const size_t kGuard = 32;

static void CheckCanary(const char *buffer, size_t size)
{
    RequireCanary(buffer, size, size + kGuard);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: mask buffer size (1 to 1024 in steps); then the mask and the
    // PATHEXT value separated by the first zero byte.
    size_t maskSize = 1 + (size_t)data[0] * 4;
    if (maskSize > EXECUTABLE_MASK_SIZE)
        maskSize = EXECUTABLE_MASK_SIZE;
    const char *rest = (const char *)data + 1;
    size_t restSize = size - 1;
    const char *zero = (const char *)memchr(rest, 0, restSize);
    size_t maskLen = zero ? (size_t)(zero - rest) : 0;
    if (maskLen >= maskSize)
        maskLen = maskSize - 1;

    static char mask[EXECUTABLE_MASK_SIZE + kGuard];
    static char pathExt[PATHEXT_SIZE + kGuard];
    memset(mask, kCanary, sizeof mask);
    memcpy(mask, zero ? rest : "", maskLen);
    mask[maskLen] = 0;
    const char *valueStart = zero ? zero + 1 : rest;
    size_t valueLen = restSize - (size_t)(valueStart - rest);
    if (valueLen >= PATHEXT_SIZE)
        valueLen = PATHEXT_SIZE - 1;
    memcpy(pathExt, valueStart, valueLen);
    pathExt[valueLen] = 0;

    char before[EXECUTABLE_MASK_SIZE];
    memcpy(before, mask, maskLen + 1);
    MergeExtensionList(mask, maskSize, pathExt);
    CheckCanary(mask, maskSize);
    size_t merged = strnlen(mask, maskSize);
    if (merged == maskSize)
        abort();   // not terminated inside its buffer
    // The merge only appends (and drops one trailing comma of its own or of the start).
    size_t keep = maskLen > 0 && before[maskLen - 1] == ',' ? maskLen - 1 : maskLen;
    if (merged < keep || memcmp(mask, before, keep) != 0)
        abort();

    // The splitter over the same value into a small item buffer.
    static char item[16 + kGuard];
    memset(item, kCanary, sizeof item);
    int separator = data[0];
    for (const char *p = pathExt; (p = NextListItem(p, item, 16, separator)) != NULL;) {
        CheckCanary(item, 16);
        if (p < pathExt || p > pathExt + valueLen)
            abort();
    }

    // Quoting and the launcher line on the value as a path, at a tight size.
    static char path[64 + kGuard];
    size_t pathSize = 1 + data[0] % 64;
    memset(path, kCanary, sizeof path);
    size_t pathLen = valueLen < pathSize - 1 ? valueLen : pathSize - 1;
    memcpy(path, valueStart, pathLen);
    path[pathLen] = 0;
    QuoteIfNeeded(path, pathSize);
    CheckCanary(path, pathSize);
    static char line[96 + kGuard];
    memset(line, kCanary, sizeof line);
    FormatLauncherLine(line, 96, path);
    CheckCanary(line, 96);
    ComposeProgramFilePath(line, 96, path, "$UseBat.$$$");
    CheckCanary(line, 96);
    return 0;
}
