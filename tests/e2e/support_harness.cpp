#include "e2e/support_harness.h"

#include <string.h>

namespace e2e {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VEL manager";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vel.exe";

// A file of the build tree, as Wine's Z: drive shows it.
static std::string WindowsPathOf(const std::string &unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string BuiltProduct()
{
    return WindowsPathOf(VEL_PRODUCT_EXE);
}

std::string InstallerExample()
{
    return WindowsPathOf(VEL_SETUP_EXE);
}

std::string StandIn(const std::string &name)
{
    return WindowsPathOf(std::string(VEL_TEST_DIR) + "/standin_" + name + ".exe");
}

std::string InstallProductAt(const std::string &dir)
{
    MakeDirs(dir);
    std::string exe = dir + "\\VelUninstall.exe";
    SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(CopyFileA(BuiltProduct().c_str(), exe.c_str(), FALSE)) << exe;
    return exe;
}

HANDLE Start(const std::wstring &commandLine, const std::wstring &currentDirectory)
{
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL,
                        currentDirectory.empty() ? NULL : currentDirectory.c_str(), &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The ANSI form converts as the system's own ANSI call would.
HANDLE Start(const std::string &commandLine, const std::string &currentDirectory)
{
    auto wide = [](const std::string &text) {
        std::wstring out(text.size(), L'\0');
        out.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &out[0], (int)out.size()));
        return out;
    };
    return Start(wide(commandLine), wide(currentDirectory));
}

std::string CaptureOutput(const std::string &commandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        // Read until the program has ended and its output is drained: a
        // process it starts (the first one of a session starts the desktop)
        // may inherit the pipe and keep it open for good.
        char chunk[4096];
        DWORD got, waiting;
        for (int i = 0; i < 3000; i++) {
            bool ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
            if (!PeekNamedPipe(readEnd, NULL, 0, NULL, &waiting, NULL))
                break;
            if (waiting > 0 && ReadFile(readEnd, chunk, sizeof chunk, &got, NULL))
                output.append(chunk, got);
            else if (ended)
                break;
            else
                Sleep(10);
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return started ? output : "<not started>";
}

DWORD WaitAndClose(HANDLE process, DWORD milliseconds)
{
    if (!process)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 99);
    CloseHandle(process);
    return code;
}

static HWND FindProgramBox()
{
    return FindWindowA("#32770", "Uninstall VEL");
}

HWND WaitForMessageBox(DWORD milliseconds)
{
    for (DWORD waited = 0; waited <= milliseconds; waited += 50) {
        HWND box = FindProgramBox();
        if (box && IsWindowVisible(box)) {
            Sleep(100);   // let the box finish laying out its controls
            return box;
        }
        Sleep(50);
    }
    return NULL;
}

bool WaitForNoMessageBox(DWORD milliseconds)
{
    for (DWORD waited = 0; waited <= milliseconds; waited += 50) {
        if (!FindProgramBox())
            return true;
        Sleep(50);
    }
    return false;
}

std::string MessageBoxText(HWND box)
{
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

bool HasButton(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button != NULL && IsWindowVisible(button);
}

void Answer(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, id, 0);
}

void SetWindowsVersion(const char *version)
{
    if (version && *version)
        SetString(HKEY_CURRENT_USER, "Software\\Wine", "Version", version);
    else {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Version");
            RegCloseKey(key);
        }
    }
}

}  // namespace e2e
