#include "uninstall/report.h"
#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"

#include <string.h>

static HANDLE s_report;   // NULL while no report is asked for: no initialised data section for it
static unsigned s_counts[REPORT_NOTED];
static int s_unwritten;   // the report asked for was lost, whole or in part

static const char *const kOutcomes[REPORT_NOTED] = {"deleted", "already gone", "refused", "left"};

// A report that cannot be created stays INVALID_HANDLE_VALUE: every write to
// it fails, and so says the run. (It is the process's own pseudo handle too,
// which no write takes and whose close does nothing.)
void OpenReport(const char *path)
{
    s_report = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Writes line (size bytes, room for CR LF kept) with CR LF. A failed write
// (a full disk, a share gone) loses the line, and the run says so.
static void WriteReportLine(char *line, size_t size)
{
    AppendText(line, size, "\r\n");
    DWORD written;
    if (!WriteFile(s_report, line, (DWORD)strlen(line), &written, NULL))
        s_unwritten = 1;
}

void ReportPlace(const char *name, ReportOutcome outcome, const char *why, DWORD error)
{
    if (outcome != REPORT_NOTED)
        s_counts[outcome]++;
    if (!s_report)
        return;
    // A list line of 519 characters, and the longest outcome after it; a
    // longer name is cut, the CR LF never.
    char line[LIST_LINE_SIZE + 96];
    int noted = outcome == REPORT_NOTED;
    FormatText(line, sizeof line - 2, error ? "%s: %s%s%s: error %u" : "%s: %s%s%s", name,
               noted ? "" : kOutcomes[outcome], why && !noted ? ": " : "", why ? why : "", (unsigned)error);
    WriteReportLine(line, sizeof line);
}

int ReportSomethingLeft(void)
{
    return s_counts[REPORT_REFUSED] + s_counts[REPORT_LEFT] + s_unwritten > 0;
}

void CloseReport(void)
{
    if (!s_report)
        return;
    char line[96];
    FormatText(line, sizeof line - 2, "%u deleted, %u already gone, %u refused, %u left", s_counts[REPORT_DELETED],
               s_counts[REPORT_GONE], s_counts[REPORT_REFUSED], s_counts[REPORT_LEFT]);
    WriteReportLine(line, sizeof line);
    CloseHandle(s_report);
    s_report = NULL;
}
