#include "support_harness.h"

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

std::string StandIn(const std::string &name)
{
    return WindowsPathOf(std::string(VEL_TEST_DIR) + "/standin_" + name + ".exe");
}

void MakeDirs(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); i++)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
}

std::string InstallProductAt(const std::string &dir)
{
    MakeDirs(dir);
    std::string exe = dir + "\\VelUninstall.exe";
    SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(CopyFileA(BuiltProduct().c_str(), exe.c_str(), FALSE)) << exe;
    return exe;
}

HANDLE Start(const std::string &commandLine)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
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

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteTree(HKEY root, const std::string &path)
{
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

void CreateKey(HKEY root, const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL)) << path;
    RegCloseKey(key);
}

void SetRaw(HKEY root, const std::string &path, const std::string &name, DWORD type,
            const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL)) << path;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name.c_str(), 0, type, (const BYTE *)data, size));
    RegCloseKey(key);
}

void SetString(HKEY root, const std::string &path, const std::string &name, const std::string &text)
{
    SetRaw(root, path, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

bool GetValue(HKEY root, const std::string &path, const std::string &name, Value *value)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, &value->type, NULL, &size);
    if (status == ERROR_SUCCESS) {
        value->bytes.assign(size + 1, 0);
        status = RegQueryValueExA(key, name.c_str(), NULL, &value->type, value->bytes.data(), &size);
        value->bytes.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string GetString(HKEY root, const std::string &path, const std::string &name)
{
    Value value;
    if (!GetValue(root, path, name, &value))
        return "<missing>";
    std::string text(value.bytes.begin(), value.bytes.end());
    size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

static void DumpInto(HKEY root, const std::string &path, const std::string &relative,
                     std::map<std::string, Value> *out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name, type, dataSize = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, NULL, &dataSize) != ERROR_SUCCESS)
            break;
        Value value;
        GetValue(root, path, name, &value);
        (*out)[relative + "|" + name] = value;
    }
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        std::string childRelative = relative.empty() ? name : relative + "\\" + name;
        (*out)[childRelative + "\\"] = Value{REG_NONE, {}};   // the key itself
        DumpInto(root, path + "\\" + name, childRelative, out);
    }
    RegCloseKey(key);
}

std::map<std::string, Value> DumpTree(HKEY root, const std::string &path)
{
    std::map<std::string, Value> out;
    DumpInto(root, path, "", &out);
    return out;
}

Value StringValue(const std::string &text)
{
    Value value{REG_SZ, std::vector<unsigned char>(text.begin(), text.end())};
    value.bytes.push_back(0);
    return value;
}

Value DwordValue(DWORD number)
{
    Value value = BinaryValue(&number, sizeof number);
    value.type = REG_DWORD;
    return value;
}

Value BinaryValue(const void *data, size_t size)
{
    const unsigned char *bytes = (const unsigned char *)data;
    return Value{REG_BINARY, std::vector<unsigned char>(bytes, bytes + size)};
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written) << path;
}

std::string ReadBytes(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
                RemoveTree(path + "\\" + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string TempDir()
{
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    return path;
}

bool WaitUntilGone(const std::string &path, DWORD milliseconds)
{
    for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
        if (!Exists(path))
            return true;
        Sleep(100);
    }
    return false;
}

}  // namespace e2e
