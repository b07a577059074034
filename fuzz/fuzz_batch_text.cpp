// Arbitrary paths into the batch file's text and the group command, with
// canaries after every output buffer.
#include "uninstall/batch_text.h"
#include "uninstall/groupname_text.h"
#include "common/canary.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>


extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    // Three zero-separated paths out of the input (zero bytes end them).
    char text[3 * 600];
    size_t take = size - 2 < sizeof text - 1 ? size - 2 : sizeof text - 1;
    memcpy(text, data + 2, take);
    text[take] = 0;
    const char *module = text;
    const char *dir = module + strlen(module) + (strlen(module) < take ? 1 : 0);
    if (dir > text + take)
        dir = text + take;
    const char *batch = dir + strlen(dir) + (dir + strlen(dir) < text + take ? 1 : 0);
    if (batch > text + take)
        batch = text + take;

    size_t outSize = data[0] & 0x80 ? BATCH_TEXT_SIZE : (size_t)data[0] * 32 + data[1] % 32;
    static char out[BATCH_TEXT_SIZE + 64];
    memset(out, kCanary, sizeof out);
    int fit = ComposeBatchText(out, outSize, data[1] & 1 ? BATCH_FORM_9X : BATCH_FORM_NT, module, dir, batch,
                               data[1] & 2);
    if (outSize > 0 && !fit && out[0] != 0)
        abort();
    if (outSize > 0 && strlen(out) >= outSize)
        abort();
    RequireCanary(out, outSize, sizeof out);

    char doubled[64 + 16];
    size_t doubledSize = data[1] % 64;
    memset(doubled, kCanary, sizeof doubled);
    DoublePercent(doubled, doubledSize, module);
    RequireCanary(doubled, doubledSize, sizeof doubled);

    char command[300 + 16];
    size_t commandSize = data[0] % 300;
    memset(command, kCanary, sizeof command);
    ComposeDeleteGroupCommand(command, commandSize, module);
    RequireCanary(command, commandSize, sizeof command);
    GroupNameIsDdeSafe(module);
    BatchFormForInterpreter(module);
    // Collapsing the empty components never turns a refused name into an accepted one.
    char group[sizeof text];
    strcpy(group, module);
    int safe = GroupNameIsFolderSafe(group);
    CollapseEmptyComponents(group);
    if (GroupNameIsFolderSafe(group) != safe || strlen(group) > strlen(module))
        abort();
    return 0;
}
