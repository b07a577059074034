#include "uninstall/report.h"
#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"

#include <string.h>

static HANDLE s_report;   // NULL while there is no report file: no initialised data section for it
static unsigned s_counts[REPORT_NOTED];

static const char *const kOutcomes[REPORT_NOTED] = {"deleted", "already gone", "refused", "left"};

int OpenReport(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    s_report = file;
    return 1;
}

// Writes line (size bytes, room for CR LF kept) with CR LF; a failed write
// loses the line only.
static void WriteReportLine(char *line, size_t size)
{
    AppendText(line, size, "\r\n");
    DWORD written;
    WriteFile(s_report, line, (DWORD)strlen(line), &written, NULL);
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
    return s_counts[REPORT_REFUSED] + s_counts[REPORT_LEFT] > 0;
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
