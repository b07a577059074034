#include "common/files.h"
#include "base/lookup.h"

#include <string.h>
#include <algorithm>

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirs(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); i++)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
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

void WriteBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

std::string ReadBytes(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(file, NULL), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], (DWORD)bytes.size(), &read, NULL);
    CloseHandle(file);
    return bytes.substr(0, read);
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

std::string ShortPathOf(const std::wstring &path)
{
    wchar_t shortPath[MAX_PATH];
    char ansi[MAX_PATH];
    DWORD len = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || !WideCharToMultiByte(CP_ACP, 0, shortPath, -1, ansi, MAX_PATH, NULL, NULL))
        return "";
    return ansi;
}

std::string ShortPathOf(const std::string &path)
{
    wchar_t wide[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) ? ShortPathOf(std::wstring(wide)) : "";
}

std::string ShortNameBelow(const std::string &dir, const std::string &name)
{
    std::string path = ShortPathOf(dir + "\\" + name);
    // As many components from the end as name has.
    size_t at = path.size();
    for (size_t left = std::count(name.begin(), name.end(), '\\') + 1; left > 0 && at != std::string::npos; left--)
        at = at == 0 ? std::string::npos : path.rfind('\\', at - 1);
    std::string alias = at == std::string::npos ? "" : path.substr(at + 1);
    return alias == name ? "" : alias;
}

// Wine's kernel32 exports it; only Wine's own headers declare it.
extern "C" char *CDECL wine_get_unix_file_name(LPCWSTR dosName);

std::string HostPathOf(const std::string &windowsPath)
{
    auto toUnix = LOOK_UP_FUNCTION(GetModuleHandleA("kernel32"), wine_get_unix_file_name);
    WCHAR wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return "";
    char *unix = toUnix(wide);
    if (!unix)
        return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool RunHostProgram(const std::string &commandLine)
{
    // Read as ANSI, a host path's UTF-8 bytes would name another file.
    std::vector<wchar_t> line(commandLine.size() + 1);
    if (!MultiByteToWideChar(CP_UTF8, 0, commandLine.c_str(), -1, line.data(), (int)line.size()))
        return false;
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    // Wine starts a Unix program without making handles for it, and hands
    // back in the process information whatever its own stack held there:
    // values that may name live handles of this process (the registry's
    // cached root keys among them). Waiting on or closing them would break
    // those, so they are not touched; callers watch for the program's effect.
    memset(&process, 0, sizeof process);
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    return true;
}

bool RemoveTreeOnHost(const std::string &path)
{
    // The host's rm may run after its process is reported done: only a path
    // that is there can show when it has run. Without this, a late rm takes
    // what the caller makes next at that path.
    if (!Exists(path))
        CreateDirectoryA(path.c_str(), NULL);
    std::string hostPath = HostPathOf(path);
    if (hostPath.empty() || !RunHostProgram("Z:\\bin\\rm -rf \"" + hostPath + "\""))
        return false;
    // rm removes the top last: once it is gone, rm is done.
    return WaitUntilGone(path, 30000);
}

bool MakeSymlink(const std::string &link, const std::string &target)
{
    std::string hostLink = HostPathOf(link), hostTarget = HostPathOf(target);
    if (hostLink.empty() || hostTarget.empty())
        return false;
    RunHostProgram("Z:\\bin\\ln -sfn \"" + hostTarget + "\" \"" + hostLink + "\"");
    // A Unix program's process handle may be signalled before it has run:
    // wait for the link itself, long enough for a loaded machine.
    for (int i = 0; i < 600 && !Exists(link); i++)
        Sleep(50);
    return Exists(link);
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

void CleanupTest::TearDown()
{
    for (const std::string &path : kept_)
        RemoveTree(path);
    kept_.clear();
}
