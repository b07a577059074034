#include "e2e/support_uninstall.h"

#include <ddeml.h>
#include <shlobj.h>
#include <mutex>

namespace e2e {


std::string BatchPath()
{
    return TempDir() + "Uninstall.Vel.Bat";
}

std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, CSIDL_PROGRAMS, TRUE);
    return path;
}

std::string DefaultProgramDir()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, 0, path);
    return std::string(path) + "\\Vel";
}

void RemoveSymlink(const std::string &link)
{
    std::string hostLink = HostPathOf(link);
    if (hostLink.empty())
        return;
    // find matches the link itself (it never follows one) and nothing that is not a link.
    RunHostProgram("Z:\\usr\\bin\\find \"" + hostLink + "\" -maxdepth 0 -type l -delete");
    for (int i = 0; i < 600 && Attributes(link) != INVALID_FILE_ATTRIBUTES; i++)
        Sleep(50);
}

DWORD Attributes(const std::string &path)
{
    return GetFileAttributesA(path.c_str());
}

HWND WaitForNextMessageBox(HWND previous, DWORD milliseconds)
{
    for (DWORD waited = 0; waited <= milliseconds; waited += 50) {
        HWND box = FindWindowA("#32770", "Uninstall VEL");
        if (box && box != previous && IsWindowVisible(box)) {
            Sleep(100);   // let the box finish laying out its controls
            return box;
        }
        Sleep(50);
    }
    return NULL;
}

DWORD RunUninstallAnswering(const std::string &commandLine, int answer, const std::string &currentDirectory,
                            std::string *finalMessage)
{
    if (finalMessage)
        finalMessage->clear();
    HANDLE process = Start(commandLine, currentDirectory);
    EXPECT_NE(nullptr, process) << commandLine;
    HWND box = WaitForMessageBox();
    EXPECT_NE(nullptr, box) << "no confirmation shown";
    if (!box)
        return WaitAndClose(process, 1000);
    EXPECT_EQ("Continue with uninstall VEL", MessageBoxText(box));
    EXPECT_TRUE(HasButton(box, IDYES));
    EXPECT_TRUE(HasButton(box, IDNO));
    Answer(box, answer);
    // Until the program ends, a box of its own other than the question is
    // one more message. The batch file's "Warning" run is another process.
    DWORD id = GetProcessId(process);
    int messages = 0;
    for (DWORD waited = 0; waited < 30000 && WaitForSingleObject(process, 50) == WAIT_TIMEOUT; waited += 50) {
        HWND next = FindWindowA("#32770", "Uninstall VEL");
        DWORD owner = 0;
        if (!next || next == box || !IsWindowVisible(next) || !GetWindowThreadProcessId(next, &owner) || owner != id)
            continue;
        Sleep(100);   // let the box finish laying out its controls
        std::string text = MessageBoxText(next);
        EXPECT_TRUE(finalMessage) << "a message after the answer: " << text;
        EXPECT_EQ(0, messages++) << "a second message: " << text;
        if (finalMessage && messages == 1)
            *finalMessage = text;
        EXPECT_TRUE(HasButton(next, IDOK)) << text;
        Answer(next, IDOK);
        box = next;
    }
    return WaitAndClose(process, 1000);
}

DWORD RunSilently(const std::string &commandLine, const std::string &currentDirectory)
{
    HANDLE process = Start(commandLine, currentDirectory);
    EXPECT_NE(nullptr, process) << commandLine;
    if (!process)
        return STILL_ACTIVE;
    for (DWORD waited = 0; waited < 60000 && WaitForSingleObject(process, 50) == WAIT_TIMEOUT; waited += 50) {
        HWND box = FindWindowA("#32770", "Uninstall VEL");
        if (!box || !IsWindowVisible(box))
            continue;
        Sleep(100);   // let the box finish laying out its controls
        ADD_FAILURE() << "a silent uninstall shows a window: " << MessageBoxText(box);
        Answer(box, HasButton(box, IDYES) ? IDYES : IDOK);
        WaitForNoMessageBox();
    }
    return WaitAndClose(process, 1000);
}

std::vector<std::string> ReportLines(const std::string &path)
{
    std::string text = ReadBytes(path);
    if (text == "<missing>")
        return {text};
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            lines.push_back("<no CR LF>");
            break;
        }
        start = end + 2;
    }
    return lines;
}

std::string FinalMessage(const std::string &programPath)
{
    return "Uninstall completed\nYou should delete " + programPath + " manually";
}

void UninstallKeepingProgram(const std::string &exe)
{
    ScopedVariable noInterpreter("COMSPEC", "C:\\VelNoSuchDir\\cmd.exe");
    std::string told;
    EXPECT_EQ(0u, RunUninstallAnswering(exe, IDYES, "", &told));
    EXPECT_EQ(FinalMessage(exe), told);
}

std::string WaitForSelfRemoval(DWORD milliseconds)
{
    std::string message;
    for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
        HWND box = FindWindowA("#32770", "Uninstall VEL");
        if (box && IsWindowVisible(box)) {
            Sleep(100);   // let the box finish laying out its controls
            message = MessageBoxText(box);
            Answer(box, IDOK);
            WaitForNoMessageBox();
        }
        if (!Exists(BatchPath()))
            return message;
        Sleep(100);
    }
    ADD_FAILURE() << "the batch file did not run to its end";
    return message;
}

void WriteRegistration(const std::string &group, const std::string &programDir)
{
    SetString(HKEY_CURRENT_USER, "Software\\Vel", "Group", group);
    SetString(HKEY_CURRENT_USER, "Software\\Vel\\Plugins\\FTP\\Hosts\\Item0", "Host", "ftp.example.org");
    SetString(HKEY_CURRENT_USER, "Software\\Vel\\Panel", "Mask", "*.exe");
    SetString(HKEY_LOCAL_MACHINE, "Software\\Vel", "Dir", programDir);
    SetString(HKEY_LOCAL_MACHINE, "Software\\Vel\\Shared", "x", "y");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "VEL file manager");
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + programDir + "\\VelUninstall.exe\"");
    // As the registration records them, for an uninstall without the current user's "Group".
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "Group", group);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "ProgramsFolder", ProgramsFolder());
    SetString(HKEY_LOCAL_MACHINE, kAppPathsKey, "", programDir + "\\Vel.exe");
    SetString(HKEY_LOCAL_MACHINE, kAppPathsKey, "Path", programDir);
}

void RemoveRegistration()
{
    DeleteTree(HKEY_CURRENT_USER, "Software\\Vel");
    DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Vel");
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
}

ScopedVariable::ScopedVariable(const char *name, const char *value) : name_(name)
{
    char old[4096];
    DWORD len = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = len > 0 && len < sizeof old;
    old_ = had_ ? old : "";
    SetEnvironmentVariableA(name, value);
}

ScopedVariable::~ScopedVariable()
{
    SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : NULL);
}

// The recorder's state lives on its one server thread; commands are read under the lock.
static std::mutex s_recordLock;
static std::vector<std::string> s_recorded;
static DWORD s_serverInstance;
static HSZ s_progman;
static DWORD s_answerDelay;

static HDDEDATA CALLBACK RecorderCallback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data,
                                          ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(topic, s_progman) == 0
                                     && DdeCmpStringHandles(service, s_progman) == 0);
    case XTYP_EXECUTE: {
        DWORD size = DdeGetData(data, NULL, 0, 0);
        std::string bytes(size, '\0');
        if (size)
            DdeGetData(data, (LPBYTE)&bytes[0], size, 0);
        {
            std::lock_guard<std::mutex> hold(s_recordLock);
            s_recorded.push_back(bytes);
        }
        Sleep(s_answerDelay);
        return (HDDEDATA)DDE_FACK;
    }
    }
    return 0;
}

DWORD WINAPI ProgmanRecorder::Thread(void *param)
{
    ProgmanRecorder *self = (ProgmanRecorder *)param;
    s_serverInstance = 0;
    if (DdeInitializeA(&s_serverInstance, RecorderCallback, APPCLASS_STANDARD | CBF_SKIP_ALLNOTIFICATIONS, 0)
        == DMLERR_NO_ERROR) {
        s_progman = DdeCreateStringHandleA(s_serverInstance, "PROGMAN", CP_WINANSI);
        self->ready_ = DdeNameService(s_serverInstance, s_progman, 0, DNS_REGISTER) != 0;
    }
    SetEvent(self->readyEvent_);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (s_serverInstance) {
        DdeNameService(s_serverInstance, s_progman, 0, DNS_UNREGISTER);
        DdeFreeStringHandle(s_serverInstance, s_progman);
        DdeUninitialize(s_serverInstance);
    }
    return 0;
}

ProgmanRecorder::ProgmanRecorder(DWORD answerDelay)
{
    s_answerDelay = answerDelay;
    {
        std::lock_guard<std::mutex> hold(s_recordLock);
        s_recorded.clear();
    }
    readyEvent_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, Thread, this, 0, &threadId_);
    WaitForSingleObject(readyEvent_, 10000);
}

ProgmanRecorder::~ProgmanRecorder()
{
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(readyEvent_);
}

std::vector<std::string> ProgmanRecorder::Commands()
{
    std::lock_guard<std::mutex> hold(s_recordLock);
    return s_recorded;
}

}  // namespace e2e
