// Arbitrary texts through the bounded helpers, the mode choice and the
// settings path composition: nothing may be written past a buffer, every
// result is terminated, and a reported fit is a true fit.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "main/mode_text.h"
#include "registry/settings_text.h"
#include "base/bounded_text.h"
#include "common/canary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: buffer size; the rest: two texts split at the first NUL.
    size_t bufferSize = data[0] % 96;
    char input[4097];
    size_t length = size - 1 < 4096 ? size - 1 : 4096;
    memcpy(input, data + 1, length);
    input[length] = 0;
    const char *first = input;
    const char *second = input + strlen(input);
    if (second < input + length)
        second++;

    unsigned char buffer[96 + 32];
    memset(buffer, kCanary, sizeof buffer);
    char *text = (char *)buffer;

    int fit = CopyText(text, bufferSize, first);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (bufferSize > 0 && (strlen(text) >= bufferSize || (fit && strcmp(text, first) != 0)))
        abort();
    fit = AppendText(text, bufferSize, second);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (bufferSize > 0 && strlen(text) >= bufferSize)
        abort();

    memset(buffer, kCanary, sizeof buffer);
    fit = FormatText(text, bufferSize, "%s\\%s", first, second);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (fit && strlen(text) != strlen(first) + 1 + strlen(second))
        abort();

    memset(buffer, kCanary, sizeof buffer);
    if (ComposeSettingsPathText(text, bufferSize, second, first, data[0] & 1)) {
        if (strlen(text) >= bufferSize)
            abort();
    } else if (bufferSize > 0 && text[0] != 0) {
        abort();   // a path that does not fit is refused whole
    }
    RequireCanary(buffer, bufferSize, sizeof buffer);

    memset(buffer, kCanary, sizeof buffer);
    if (bufferSize > 0) {
        CopyText(text, bufferSize, first);
        size_t before = strlen(text);
        if (AppendPathSeparator(text, bufferSize, (char)data[0])) {
            size_t after = strlen(text);
            if (after != before && after != before + 1)
                abort();
        }
        RequireCanary(buffer, bufferSize, sizeof buffer);
    }

    // Disjointness is symmetric, and a path is never disjoint from itself.
    if (RegistryPathsDisjoint(first, second) != RegistryPathsDisjoint(second, first))
        abort();
    if (RegistryPathsDisjoint(first, first))
        abort();
    const char *rest = CommandLineAfterProgramName(first);
    if (rest < first || rest > first + strlen(first))
        abort();
    ChooseMode(rest);
    return 0;
}
