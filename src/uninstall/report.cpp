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

// Writes text and CR LF; a failed write loses the line only.
static void WriteReportLine(const char *text)
{
    DWORD written;
    WriteFile(s_report, text, (DWORD)strlen(text), &written, NULL);
    WriteFile(s_report, "\r\n", 2, &written, NULL);
}

void ReportPlace(const char *name, ReportOutcome outcome, const char *why, DWORD error)
{
    if (outcome != REPORT_NOTED)
        s_counts[outcome]++;
    if (!s_report)
        return;
    // A list line of 519 characters, and the longest outcome after it.
    char line[LIST_LINE_SIZE + 96];
    FormatText(line, sizeof line, "%s: %s", name, outcome == REPORT_NOTED ? why : kOutcomes[outcome]);
    if (outcome != REPORT_NOTED && why)
        FormatText(line + strlen(line), sizeof line - strlen(line), ": %s", why);
    size_t used = strlen(line);
    if (error)
        FormatText(line + used, sizeof line - used, ": error %u", (unsigned)error);
    WriteReportLine(line);
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
    FormatText(line, sizeof line, "%u deleted, %u already gone, %u refused, %u left", s_counts[REPORT_DELETED],
               s_counts[REPORT_GONE], s_counts[REPORT_REFUSED], s_counts[REPORT_LEFT]);
    WriteReportLine(line);
    CloseHandle(s_report);
    s_report = NULL;
}
