// The small text steps every run takes, against references written out here:
// where the program's name ends on the command line, the mode word, the group
// text after it, the uninstall's words, the program directory and a child key
// path. Any difference
// from the reference, and any write past a buffer, is a finding.
#include "main/mode_text.h"
#include "install/register_text.h"
#include "base/modulepath_text.h"
#include "registry/settings_text.h"
#include "uninstall/options_text.h"
#include "common/canary.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

static void Require(bool condition)
{
    if (!condition)
        abort();
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c;
}

// Letters A-Z fold, nothing else does.
static bool SameNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// A quoted name ends at its closing quote, an unquoted one at a blank or a
// tab; then the codes 1 to 32 are skipped.
static size_t ReferenceRestOffset(const std::string &line)
{
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        i = close == std::string::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            i++;
    }
    while (i < line.size() && (unsigned char)line[i] <= ' ')
        i++;
    return i;
}

static void ReferenceOptions(const std::string &line, int *silent, int *report, std::string *path,
                             std::string *unknown);

static RunMode ReferenceMode(const std::string &rest)
{
    if (rest.size() >= 8 && SameNoCase(rest.substr(0, 8), "register"))
        return MODE_REGISTER;
    if (SameNoCase(rest, "warning"))
        return MODE_WARNING;
    if (SameNoCase(rest, "wait"))
        return MODE_WAIT;
    if (SameNoCase(rest, "arc"))
        return MODE_ARC;
    int silent, report;
    std::string path, unknown;
    ReferenceOptions(rest, &silent, &report, &path, &unknown);
    return unknown.empty() ? MODE_UNINSTALL : MODE_UNKNOWN_WORD;
}

// Blanks and tabs split words except between quotes, which are dropped.
static void ReferenceOptions(const std::string &line, int *silent, int *report, std::string *path,
                             std::string *unknown)
{
    *silent = *report = 0;
    path->clear();
    unknown->clear();
    std::string word;
    bool quoted = false, inWord = false;
    for (size_t i = 0; i <= line.size(); i++) {
        char c = i < line.size() ? line[i] : ' ';
        if (i == line.size())
            quoted = false;   // the end closes an open quote
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || i == line.size())) {
            if (inWord) {
                if (SameNoCase(word, "/S"))
                    *silent = 1;
                else if (SameNoCase(word, "/NOCLOSE"))
                    ;   // known, nothing to compare here
                else if (word.size() >= 5 && SameNoCase(word.substr(0, 5), "/LOG=")) {
                    *report = 1;
                    *path = word.size() - 5 < PATH_SIZE ? word.substr(5) : "";
                } else if (!word.empty() && unknown->empty()) {
                    *unknown = word.substr(0, SHOWN_WORD_SIZE - 1);
                }
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: an output size; the rest: two texts split at the first NUL.
    size_t outSize = data[0] % 300;
    std::string input((const char *)data + 1, size - 1);
    std::string first = input.substr(0, input.find('\0'));
    std::string second = first.size() < input.size() ? input.substr(first.size() + 1) : "";
    second = second.substr(0, second.find('\0'));

    const char *line = first.c_str();
    const char *rest = CommandLineAfterProgramName(line);
    Require(rest == line + ReferenceRestOffset(first));
    Require(ChooseMode(rest) == ReferenceMode(rest));

    UninstallOptions options;
    ReadUninstallOptions(line, &options);
    int silent, report;
    std::string path, unknown;
    ReferenceOptions(first, &silent, &report, &path, &unknown);
    Require(options.silent == silent && options.report == report && path == options.reportPath
            && unknown == options.unknownWord);

    const char *group = TextAfterModeWord(line);
    Require(group == line + (first.size() < 8 ? first.size() : 8));
    const char *skipped = SkipLeadingBlanks(group);
    for (const char *p = group; p < skipped; p++)
        Require(*p == ' ');
    Require(*skipped != ' ');

    char out[300 + 32];
    memset(out, kCanary, sizeof out);
    size_t slash = first.rfind('\\');
    std::string directory = slash == std::string::npos ? first : first.substr(0, slash);
    if (slash != std::string::npos && directory.size() == 2 && directory[1] == ':')
        directory += '\\';   // a drive root keeps its backslash
    int fit = ComposeProgramDirectory(out, outSize, line);
    RequireCanary(out, outSize, sizeof out);
    Require(fit == (directory.size() < outSize));
    if (outSize > 0)
        Require(fit ? directory == out : out[0] == 0);

    memset(out, kCanary, sizeof out);
    std::string child = first + "\\" + second;
    fit = ComposeChildPath(out, outSize, line, second.c_str());
    RequireCanary(out, outSize, sizeof out);
    Require(fit == (child.size() < outSize));
    if (outSize > 0)
        Require(fit ? child == out : out[0] == 0);
    return 0;
}
