// End-to-end helpers of the uninstallation: a sample installation, the run
// answered as a user would, links made the way they exist in a prefix, and a
// Program Manager stand-in of the test's own that records what it is sent.
#ifndef VEL_TEST_SUPPORT_UNINSTALL_H
#define VEL_TEST_SUPPORT_UNINSTALL_H

#include "e2e/support_harness.h"

#include <string>
#include <vector>

namespace e2e {


// "Uninstall.Vel.Bat" in the temporary directory.
std::string BatchPath();
// The current user's Start-menu Programs folder.
std::string ProgramsFolder();
// Where an installer puts the program by default: its Program Files folder as
// the system tells a 32-bit program (the x86 folder in a 64-bit prefix), "\\Vel".
std::string DefaultProgramDir();
// Removes a symbolic link as the link, on the host side: no Win32 call under
// Wine removes one without touching its target. Anything else stays.
void RemoveSymlink(const std::string &link);

DWORD Attributes(const std::string &path);

// Waits for a message box of the program other than the one given.
HWND WaitForNextMessageBox(HWND previous, DWORD milliseconds = 20000);

// Runs a command line (the program's path alone: bare, as Add/Remove Programs
// does) in currentDirectory ("": the test's), waits for the confirmation,
// checks its text and buttons and gives the answer. A message the program
// shows after that (the final message of a self-removal that could not
// start) is answered with OK and its text put into *finalMessage ("" when
// none came); none may come where finalMessage is NULL, and never two.
// Returns the exit code (STILL_ACTIVE when the program did not end).
DWORD RunUninstallAnswering(const std::string &commandLine, int answer, const std::string &currentDirectory = "",
                            std::string *finalMessage = nullptr);

// Runs a silent uninstall (commandLine holds "/S") in currentDirectory and
// waits for it to end. It must show no window: one that comes all the same
// fails the test and is answered (Yes, or OK), so that the run cannot hang.
// Returns the exit code (STILL_ACTIVE when the program did not end).
DWORD RunSilently(const std::string &commandLine, const std::string &currentDirectory = "");

// The lines of a report file, without their CR LF; "<missing>" alone when
// there is none, and "<no CR LF>" after a line that does not end in one.
std::vector<std::string> ReportLines(const std::string &path);

// The final message as the user reads it, naming the program's file.
std::string FinalMessage(const std::string &programPath);

// Uninstalls the program at exe, answering Yes, with no command interpreter
// to start: the program's file and directory stay to be examined. Expects
// exit code 0 and the final message naming exe.
void UninstallKeepingProgram(const std::string &exe);

// Waits until the self-removal batch file has run to its end (it deletes
// itself last), answering the final message with OK if the program shows one.
// Returns that message's text: "" when none came.
std::string WaitForSelfRemoval(DWORD milliseconds = 60000);

// Registry content of an installation: both settings trees, the group name,
// both registrations. RemoveRegistration undoes all of it.
void WriteRegistration(const std::string &group, const std::string &programDir);
void RemoveRegistration();

// Sets an environment variable of this process (and so of the programs it
// starts) for one scope; the old value comes back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const char *value);
    ~ScopedVariable();
private:
    std::string name_, old_;
    bool had_;
};

// A DDE server "PROGMAN" on its own thread that records every execute
// command's bytes exactly as delivered, and answers each after answerDelay
// milliseconds (a slow Program Manager keeps the uninstall waiting).
class ProgmanRecorder {
public:
    explicit ProgmanRecorder(DWORD answerDelay = 0);
    ~ProgmanRecorder();
    bool Running() const { return ready_; }
    std::vector<std::string> Commands();
private:
    static DWORD WINAPI Thread(void *self);
    HANDLE thread_ = NULL, readyEvent_ = NULL;
    DWORD threadId_ = 0;
    bool ready_ = false;
};

}  // namespace e2e

#endif
