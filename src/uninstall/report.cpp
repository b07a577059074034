#include "uninstall/report.h"
#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"

#include <string.h>

// A list line of 519 characters, and the longest outcome after it.
#define REPORT_LINE_SIZE (LIST_LINE_SIZE + 96)

static int s_asked;        // a report was asked for: every line is written, or the run says it was lost
static HANDLE s_report;    // its file, while it is open
static unsigned s_counts[REPORT_NOTED];
static int s_unwritten;    // the report asked for was lost, whole or in part

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
    s_report = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (s_report == INVALID_HANDLE_VALUE) {
        s_report = NULL;
        s_unwritten = 1;
    }
}

// Writes line with CR LF. A failed write (a full disk, a share gone) loses
// the line, and the run says so.
static void WriteReportLine(const char *line)
{
    if (!s_report)
        return;
    DWORD written = 0;
    if (!WriteFile(s_report, line, (DWORD)strlen(line), &written, NULL) || !WriteFile(s_report, "\r\n", 2, &written, NULL))
        s_unwritten = 1;
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
