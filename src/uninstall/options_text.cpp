#include "uninstall/options_text.h"
#include "base/bounded_text.h"

#define REPORT_WORD "/LOG="
#define REPORT_WORD_LENGTH 5

void ReadUninstallOptions(const char *commandLine, UninstallOptions *options)
{
    options->silent = 0;
    options->report = 0;
    options->noClose = 0;
    options->reportPath[0] = 0;
    options->unknownWord[0] = 0;
    const char *p = commandLine;
    while (*p) {
        // Room for the report word and a whole path, and one more: a word that
        // fills it all was cut, and a cut name would be another file.
        char word[REPORT_WORD_LENGTH + PATH_SIZE + 1];
        size_t len = 0;
        for (int quoted = 0; *p && (quoted || (*p != ' ' && *p != '\t')); p++) {
            if (*p == '"')
                quoted = !quoted;
            else if (len + 1 < sizeof word)
                word[len++] = *p;
        }
        word[len] = 0;
        if (EqualsNoCase(word, "/S")) {
            options->silent = 1;
        } else if (EqualsNoCase(word, "/NOCLOSE")) {
            options->noClose = 1;
        } else if (StartsWithNoCase(word, REPORT_WORD)) {
            options->report = 1;
            if (!CopyText(options->reportPath, sizeof options->reportPath, word + REPORT_WORD_LENGTH))
                options->reportPath[0] = 0;
        } else if (word[0] && !options->unknownWord[0]) {
            CopyText(options->unknownWord, sizeof options->unknownWord, word);   // shown only: a cut is harmless
        }
        while (*p == ' ' || *p == '\t')
            p++;
    }
}
