#include "uninstall/report.h"
#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"
#include "base/codepage.h"
#include "base/files.h"
#include "base/utf8_text.h"

#include <string.h>

// A list line of 519 characters, and the longest outcome after it.
#define REPORT_LINE_SIZE (LIST_LINE_BYTES + 96)

static int s_asked;        // a report was asked for: every line is written, or the run says it was lost
static HANDLE s_report;    // its file, while it is open
static unsigned s_counts[REPORT_NOTED];
static int s_unwritten;    // the report asked for was lost, whole or in part
static int s_unicode;      // written in UTF-8, as a Unicode list is; else in the ANSI code page

// The word the report gives each counted outcome.
static const char *OutcomeWord(ReportOutcome outcome)
{
    switch (outcome) {
    case REPORT_DELETED:
        return "deleted";
    case REPORT_GONE:
        return "already gone";
    case REPORT_REFUSED:
        return "refused";
    case REPORT_LEFT:
        return "left";
    case REPORT_AT_RESTART:
        return "at restart";
    case REPORT_NOTED:
        break;
    }
    return "";
}

void OpenReport(const char *path)
{
    s_asked = 1;
    s_report = OpenFileAt(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (s_report == INVALID_HANDLE_VALUE) {
        s_report = NULL;
        s_unwritten = 1;
    }
}

// Writes bytes to the report. A failed write (a full disk, a share gone)
// loses them, and the run says so.
static void WriteReportBytes(const char *bytes, DWORD size)
{
    DWORD written = 0;
    if (s_report && !WriteFile(s_report, bytes, size, &written, NULL))
        s_unwritten = 1;
}

void SetReportUnicode(void)
{
    s_unicode = 1;
    WriteReportBytes("\xEF\xBB\xBF", 3);   // the mark that tells a reader it is UTF-8
}

// Writes line (the program's text) with CR LF, in the report's encoding. A
// letter the ANSI code page has no place for reads as its default ('?'):
// the report is read, never used to name a file.
static void WriteReportLine(const char *line)
{
    if (!s_report)
        return;
    WCHAR wide[REPORT_LINE_SIZE];
    char converted[3 * REPORT_LINE_SIZE];
    const char *bytes = line;
    if (s_unicode != TextIsUtf8() && TextToWide(line, wide, REPORT_LINE_SIZE)) {
        bytes = converted;
        if (s_unicode)
            WideToUtf8(wide, (size_t)-1, converted, sizeof converted);
        else if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, NULL, NULL))
            converted[0] = 0;
    }
    WriteReportBytes(bytes, (DWORD)strlen(bytes));
    WriteReportBytes("\r\n", 2);
}

void ReportPlace(const char *name, ReportOutcome outcome, const char *why, DWORD error)
{
    if (outcome != REPORT_NOTED)
        s_counts[outcome]++;
    if (!s_asked)
        return;
    // "<name>: <outcome>[: <why>][: error <n>]", or for a noted step
    // "<name>: <why>". Every name fits with its outcome; a longer one would
    // be cut, the line end never.
    char line[REPORT_LINE_SIZE];
    CopyText(line, sizeof line, name);
    const char *word = OutcomeWord(outcome);
    if (word[0]) {
        AppendText(line, sizeof line, ": ");
        AppendText(line, sizeof line, word);
    }
    if (why) {
        AppendText(line, sizeof line, ": ");
        AppendText(line, sizeof line, why);
    }
    if (error) {
        char number[32];
        FormatText(number, sizeof number, ": error %u", (unsigned)error);
        AppendText(line, sizeof line, number);
    }
    WriteReportLine(line);
}

int ReportSomethingLeft(void)
{
    return s_counts[REPORT_REFUSED] + s_counts[REPORT_LEFT] + s_unwritten > 0;
}

int ReportSomethingAtRestart(void)
{
    return s_counts[REPORT_AT_RESTART] > 0;
}

void CloseReport(void)
{
    if (!s_asked)
        return;
    char line[96];
    FormatText(line, sizeof line, "%u deleted, %u already gone, %u refused, %u left, %u at restart",
               s_counts[REPORT_DELETED], s_counts[REPORT_GONE], s_counts[REPORT_REFUSED], s_counts[REPORT_LEFT],
               s_counts[REPORT_AT_RESTART]);
    WriteReportLine(line);
    if (s_report)
        CloseHandle(s_report);
    s_report = NULL;
    s_asked = 0;
}
