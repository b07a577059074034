// End-to-end harness: runs the real VelUninstall.exe in the tests' Wine
// prefix with exact command lines, meets its message boxes as a user would,
// and reads what it left in the prefix's real registry and file system.
#ifndef VEL_TEST_SUPPORT_HARNESS_H
#define VEL_TEST_SUPPORT_HARNESS_H

#include "common/files.h"
#include "common/registry.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// The two system registrations of the product, below HKEY_LOCAL_MACHINE.
extern const char kUninstallKey[];   // Add/Remove Programs entry
extern const char kAppPathsKey[];    // App Paths entry, as the registration names it

// The freshly built product, as a Windows path.
std::string BuiltProduct();
// The installer example built from installer/VelSample.nsi, as a Windows path.
std::string InstallerExample();
// A small program built from tests/e2e/standin_<name>.cpp, for tests to put
// where the product expects another program.
std::string StandIn(const std::string &name);

// Copies the product to dir\VelUninstall.exe (creating dir and its parents);
// returns the program's path.
std::string InstallProductAt(const std::string &dir);

// Starts a program with exactly this command line (no application name, as a
// shell does), in currentDirectory ("": this process's). Returns the process
// handle or NULL. The wide form reaches names outside the ANSI code page.
HANDLE Start(const std::string &commandLine, const std::string &currentDirectory = "");
HANDLE Start(const std::wstring &commandLine, const std::wstring &currentDirectory = L"");
// Runs a program with its standard output and error into a pipe, waits for
// it, and returns what it wrote ("<not started>" when it could not start).
std::string CaptureOutput(const std::string &commandLine);
// Waits for the process to end; returns its exit code, or STILL_ACTIVE after a
// time-out, in which case the process is terminated.
DWORD WaitAndClose(HANDLE process, DWORD milliseconds = 30000);

// The program's message box ("#32770" captioned "Uninstall VEL"), waited for.
HWND WaitForMessageBox(DWORD milliseconds = 20000);
std::string MessageBoxText(HWND box);
bool HasButton(HWND box, int id);
void Answer(HWND box, int id);   // IDYES, IDNO, IDOK: as a click on that button
// Waits until no message box of the program is shown any more.
bool WaitForNoMessageBox(DWORD milliseconds = 10000);

// Windows version the prefix reports to programs started afterwards
// ("win98" gives platform 1); "" restores the default.
void SetWindowsVersion(const char *version);

}  // namespace e2e

#endif
