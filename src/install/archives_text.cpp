#include "archives.h"
#include "quote.h"
#include "text.h"

int ComposeOpenCommand(char *out, size_t size, const char *modulePath)
{
    if (size == 0)
        return 0;
    int fit = CopyText(out, size, modulePath);
    if (fit) {
        // Everything after the last backslash becomes the file manager's name.
        const char *slash = FindLastBackslash(out);
        if (slash) {
            out[slash - out + 1] = 0;
            fit = AppendText(out, size, "Vel.exe");
        }
    }
    fit = fit && QuoteIfNeeded(out, size) != NULL;
    fit = fit && AppendText(out, size, " \"%1\"");
    if (!fit)
        out[0] = 0;
    return fit;
}
