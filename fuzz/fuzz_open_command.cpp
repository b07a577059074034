// Any module path into a buffer of any small size: the command is either whole
// and well formed or refused as "", and nothing is written past the buffer.
#include "install/archives_text.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t bufferSize = data[0] % 64 + (data[0] & 0x80 ? 200 : 0);
    std::string modulePath((const char *)data + 1, size - 1);
    modulePath = modulePath.c_str();   // a C string ends at its first zero
    char *buffer = (char *)malloc(bufferSize ? bufferSize : 1);   // ASan bounds it exactly
    int fit = ComposeOpenCommand(buffer, bufferSize, modulePath.c_str());
    if (bufferSize > 0) {
        size_t length = strnlen(buffer, bufferSize);
        if (length == bufferSize)
            abort();   // not terminated
        if (fit) {
            if (length < 5 || strcmp(buffer + length - 5, " \"%1\"") != 0)
                abort();
        } else if (length != 0) {
            abort();
        }
    } else if (fit) {
        abort();
    }
    free(buffer);
    return 0;
}
