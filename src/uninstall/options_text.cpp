#include "uninstall/options_text.h"
#include "base/bounded_text.h"

#define REPORT_WORD "/LOG="
#define REPORT_WORD_LENGTH 5

void ReadUninstallOptions(const char *commandLine, UninstallOptions *options)
{
    options->silent = 0;
    options->report = 0;
    options->reportPath[0] = 0;
    const char *p = commandLine;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            p++;
        if (!*p)
            return;
        // Room for the report word and a whole path: anything longer is cut
        // and then names no file.
        char word[REPORT_WORD_LENGTH + PATH_SIZE];
        size_t len = 0;
        int quoted = 0, cut = 0;
        for (; *p && (quoted || (*p != ' ' && *p != '\t')); p++) {
            if (*p == '"')
                quoted = !quoted;
            else if (len + 1 < sizeof word)
                word[len++] = *p;
            else
                cut = 1;
        }
        word[len] = 0;
        if (EqualsNoCase(word, "/S")) {
            options->silent = 1;
        } else if (StartsWithNoCase(word, REPORT_WORD)) {
            options->report = 1;
            CopyText(options->reportPath, sizeof options->reportPath, cut ? "" : word + REPORT_WORD_LENGTH);
        }
    }
}
