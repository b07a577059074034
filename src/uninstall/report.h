// What an uninstall run did to each place it should remove. Every outcome is
// counted, for the silent uninstall's exit code; with a report file open
// ("/LOG=<file>") it is also written there as a line "<name>: <outcome>".
#ifndef VEL_UNINSTALL_REPORT_H
#define VEL_UNINSTALL_REPORT_H

#include <windows.h>

enum ReportOutcome {
    REPORT_DELETED,   // "deleted"
    REPORT_GONE,      // "already gone": nothing to remove
    REPORT_REFUSED,   // "refused: <why>": left alone on purpose
    REPORT_LEFT,      // "left: error <n>", or "left: <why>": it is still there
    REPORT_AT_RESTART,   // "at restart: error <n>": in use now, it goes when Windows restarts
    REPORT_NOTED,     // "<why>": a step that removes nothing of its own
};

// Creates or replaces the report file at path (relative to the current
// directory). When it cannot be ("" cannot), the run goes on without one.
void OpenReport(const char *path);

// From here on the report is written in UTF-8, after its byte-order mark:
// for a list in UTF-8 or UTF-16, whose names the ANSI code page may not
// hold. Called before any line is written.
void SetReportUnicode(void);

// One place and its outcome. why (may be NULL) says why a place was refused
// or left, or what a noted step did; error, when not 0, is the Windows error
// number of a place left. name is cut where the line would not fit.
void ReportPlace(const char *name, ReportOutcome outcome, const char *why, DWORD error);

// 1 when a place was refused or left, or the report file asked for could not
// be created or a line of it written.
int ReportSomethingLeft(void);

// 1 when a place goes only when Windows restarts.
int ReportSomethingAtRestart(void);

// Writes the counts as the last line and closes the report file.
void CloseReport(void);

#endif
