#include "install/archives_text.h"
#include "install/quote_text.h"
#include "base/bounded_text.h"
#include "base/modulepath_text.h"
#include "base/product.h"

int ComposeOpenCommand(char *out, size_t size, const char *modulePath)
{
    int fit = ComposeProgramFilePath(out, size, modulePath, FILE_MANAGER_NAME)
        && QuoteIfNeeded(out, size) != NULL
        && AppendText(out, size, " \"%1\"");
    if (!fit && size > 0)
        out[0] = 0;
    return fit;
}
