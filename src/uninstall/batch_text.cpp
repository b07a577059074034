#include "uninstall/batch_text.h"
#include "base/bounded_text.h"
#include "base/product.h"

#include <string.h>

int DoublePercent(char *out, size_t size, const char *text)
{
    if (size == 0)
        return 0;
    size_t used = 0;
    for (; *text; text++) {
        size_t need = *text == '%' ? 2 : 1;
        if (used + need >= size) {
            out[0] = 0;
            return 0;
        }
        out[used++] = *text;
        if (need == 2)
            out[used++] = '%';
    }
    out[used] = 0;
    return 1;
}

// Appends a formatted piece at *used; 0 when it did not fit.
static int AppendPiece(char *out, size_t size, size_t *used, const char *format, const char *a,
                       const char *b, const char *c)
{
    if (!FormatText(out + *used, size - *used, format, a, b, c))
        return 0;
    *used += strlen(out + *used);
    return 1;
}

static int PreparePath(char *out, const char *path)
{
    return strlen(path) < BATCH_PATH_SIZE && !strpbrk(path, "?*")
        && DoublePercent(out, 2 * BATCH_PATH_SIZE, path);
}

int ComposeBatchPath(char *out, size_t size, const char *temporaryDirectory, int number)
{
    if (number == 1)
        return ComposeText(out, size, "%s" BATCH_FILE_NAME, temporaryDirectory);
    return ComposeText(out, size, "%sUninstall.Vel.%d.Bat", temporaryDirectory, number);
}

BatchForm BatchFormForInterpreter(const char *interpreterPath)
{
    const char *name = interpreterPath;
    for (const char *p = interpreterPath; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return EqualsNoCase(name, "COMMAND.COM") ? BATCH_FORM_9X : BATCH_FORM_NT;
}

int ComposeBatchText(char *out, size_t size, BatchForm form, const char *modulePath,
                     const char *directory, const char *batchPath, int finalMessage)
{
    char module[2 * BATCH_PATH_SIZE], dir[2 * BATCH_PATH_SIZE], batch[2 * BATCH_PATH_SIZE];
    if (size == 0)
        return 0;
    out[0] = 0;
    if (!PreparePath(module, modulePath) || !PreparePath(dir, directory) || !PreparePath(batch, batchPath))
        return 0;

    size_t used = 0;
    // COMMAND.COM waits for a GUI program only when start is told to.
    int fit = form == BATCH_FORM_9X
        ? AppendPiece(out, size, &used, "start /wait \"%s wait\"\r\n", module, "", "")
        : AppendPiece(out, size, &used, "\"%s\" wait\r\n", module, "", "");
    // A drive root is never removed, nor tried.
    size_t dirLen = strlen(dir);
    int root = dirLen > 0 && dir[dirLen - 1] == '\\';
    for (int i = 0; i < BATCH_TRIES && fit; i++)
        fit = AppendPiece(out, size, &used, "del \"%s\"\r\n", module, "", "")
            && (root || AppendPiece(out, size, &used, "rd \"%s\"\r\n", dir, "", ""))
            && AppendPiece(out, size, &used, "if not exist \"%s\" goto done\r\n", module, "", "");
    if (fit)
        fit = finalMessage ? AppendPiece(out, size, &used, ":done\r\nif exist \"%s\" \"%s\" Warning\r\ndel \"%s\"",
                                         module, module, batch)
                           : AppendPiece(out, size, &used, ":done\r\ndel \"%s\"", batch, "", "");
    if (!fit)
        out[0] = 0;
    return fit;
}
