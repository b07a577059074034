#include "common/snapshot.h"
#include "common/registry.h"
#include "base/lookup.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

namespace snapshot {

namespace {

// Left out because Wine changes them by itself, whatever a test runs.
// Machine-wide:
const char *const kVolatileMachine[] = {
    // services.exe counts here every service it starts, and Wine starts some
    // on demand (the RPC service when a program first uses COM).
    "HKLM\\System\\CurrentControlSet\\Control\\ServiceCurrent\\|",
    // Its plug-and-play service marks device interfaces (the display's input
    // devices) linked and unlinked, and its network code lists the host's
    // network cards, both at moments of their own within a session.
    "HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses\\",
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\",
    "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\",
    "HKLM\\System\\CurrentControlSet\\Enum\\",
};
// Below each user's hive (HKCU\ and HKU\<user>\): the system parameters that
// Wine keeps for the session, made when a program first asks for one.
const char *const kVolatileUser[] = {
    "Software\\Wine\\Temporary System Parameters\\",
};

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    return text.size() >= prefix.size() && _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

bool IsVolatile(const std::string &name)
{
    for (const char *prefix : kVolatileMachine)
        if (StartsWithNoCase(name, prefix))
            return true;
    size_t user = 0;   // where the user's hive starts in name
    if (StartsWithNoCase(name, "HKCU\\"))
        user = 5;
    else if (StartsWithNoCase(name, "HKU\\"))
        user = name.find('\\', 4) + 1;   // past the user's own key; npos + 1 is 0
    if (user == 0)
        return false;
    for (const char *prefix : kVolatileUser)
        if (StartsWithNoCase(name.substr(user), prefix))
            return true;
    return false;
}

std::string Hex(const unsigned char *bytes, size_t size)
{
    std::string out;
    char pair[4];
    for (size_t i = 0; i < size; i++) {
        snprintf(pair, sizeof pair, "%02x", bytes[i]);
        out += pair;
    }
    return out;
}

// Wine describes the display in the registry (devices, modes, driver dates)
// when the first program of a wineserver session draws. Done here before any
// snapshot, so that it never counts as what a scenario changed.
void StartDisplay()
{
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    if (window) {
        HDC dc = GetDC(window);
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
}

// ---- files ----

// Hashing every file of a prefix costs seconds, so a file keeps the hash of
// the last snapshot in this process while its size and write time stay. A
// write changes the write time; only a writer that sets it back on purpose to
// the same instant, at the same size, would go unseen.
struct Hashed {
    ULONGLONG size;
    FILETIME written;
    std::string hash;
};
std::map<std::string, Hashed> hashCache;

std::string HashFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "unreadable";
    unsigned long long hash = 14695981039346656037ull;   // FNV-1a, 64 bits
    static unsigned char chunk[1 << 16];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        for (DWORD i = 0; i < got; i++)
            hash = (hash ^ chunk[i]) * 1099511628211ull;
    CloseHandle(file);
    char text[32];
    snprintf(text, sizeof text, "fnv %016llx", hash);
    return text;
}

std::string FileState(const std::string &path, const WIN32_FIND_DATAA &found)
{
    ULONGLONG size = ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    auto cached = hashCache.find(path);
    if (cached == hashCache.end() || cached->second.size != size ||
        CompareFileTime(&cached->second.written, &found.ftLastWriteTime) != 0)
        cached = hashCache.insert_or_assign(path, Hashed{size, found.ftLastWriteTime, HashFile(path)}).first;
    char text[64];
    snprintf(text, sizeof text, "file %llu bytes ", size);
    return text + cached->second.hash;
}

void WalkFolder(const std::string &folder, Snapshot *out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, ".."))
            continue;
        std::string path = folder + "\\" + found.cFileName;
        // A link is recorded, never entered: the prefix's user folders are
        // links into the host's home directory.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            (*out)[path] = "link";
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*out)[path] = "folder";
            WalkFolder(path, out);
        } else
            (*out)[path] = FileState(path, found);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void WalkDriveC(Snapshot *out)
{
    // A 32-bit program in a 64-bit prefix sees SysWOW64 in place of System32;
    // switched off here, the walk meets both folders as they are.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto disable = LOOK_UP_FUNCTION(kernel, Wow64DisableWow64FsRedirection);
    auto revert = LOOK_UP_FUNCTION(kernel, Wow64RevertWow64FsRedirection);
    PVOID old = NULL;
    bool disabled = disable && disable(&old);
    WalkFolder("C:", out);
    if (disabled && revert)
        revert(&old);
}

// ---- registry ----

std::string ValueState(DWORD type, const std::vector<unsigned char> &data)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::string text(data.begin(), data.end());
        return (type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"") + text + "\"";
    }
    case REG_DWORD:
        if (data.size() == 4) {
            char text[32];
            DWORD number;
            memcpy(&number, data.data(), 4);
            snprintf(text, sizeof text, "REG_DWORD 0x%lx", (unsigned long)number);
            return text;
        }
        break;
    }
    char prefix[32];
    snprintf(prefix, sizeof prefix, "type %lu ", (unsigned long)type);
    return prefix + Hex(data.data(), data.size());
}

// The 64-bit view where there is one: it holds Wow6432Node, so it shows what
// both views hold. A 32-bit prefix ignores the flag.
const REGSAM kRead = KEY_READ | KEY_WOW64_64KEY;

void WalkKey(HKEY parent, const std::string &path, const std::string &name, Snapshot *out)
{
    if (IsVolatile(name))
        return;
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, kRead, &key) != ERROR_SUCCESS)
        return;
    (*out)[name] = "key";
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &maxName, &maxData, NULL, NULL);
    std::vector<char> valueName(maxName + 2);
    std::vector<unsigned char> data(maxData + 1);
    for (DWORD i = 0;; i++) {
        DWORD nameSize = (DWORD)valueName.size(), dataSize = (DWORD)data.size(), type;
        LONG status = RegEnumValueA(key, i, valueName.data(), &nameSize, NULL, &type, data.data(), &dataSize);
        if (status == ERROR_MORE_DATA) {   // grew since the query: ask again with room
            valueName.resize(valueName.size() * 2 + 256);
            data.resize(data.size() * 2 + 256);
            i--;
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        std::vector<unsigned char> bytes(data.begin(), data.begin() + dataSize);
        // Strings as text: without the terminators they were stored with,
        // which a change of its own would show as a byte.
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !bytes.empty() && bytes.back() == 0)
            bytes.pop_back();
        std::string valueKey = name + "|" + std::string(valueName.data(), nameSize);
        if (!IsVolatile(valueKey))
            (*out)[valueKey] = ValueState(type, bytes);
    }
    for (const std::string &child : SubkeyNames(key, "", KEY_WOW64_64KEY))
        WalkKey(key, child, name + child + "\\", out);
    RegCloseKey(key);
}

}  // namespace

Snapshot Take()
{
    StartDisplay();
    Snapshot out;
    WalkDriveC(&out);
    const struct {
        HKEY root;
        const char *name;
    } roots[] = {{HKEY_LOCAL_MACHINE, "HKLM\\"}, {HKEY_CURRENT_USER, "HKCU\\"}, {HKEY_USERS, "HKU\\"}};
    for (const auto &root : roots)
        WalkKey(root.root, "", root.name, &out);
    return out;
}

std::vector<Change> Compare(const Snapshot &before, const Snapshot &after)
{
    std::vector<Change> changes;
    auto b = before.begin();
    auto a = after.begin();
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && b->first < a->first)) {
            changes.push_back({b->first, b->second, ""});
            ++b;
        } else if (b == before.end() || a->first < b->first) {
            changes.push_back({a->first, "", a->second});
            ++a;
        } else {
            if (a->second != b->second)
                changes.push_back({a->first, b->second, a->second});
            ++a;
            ++b;
        }
    }
    return changes;
}

bool IsUnder(const std::string &name, const std::string &prefix)
{
    if (!StartsWithNoCase(name, prefix))
        return false;
    if (name.size() == prefix.size() || prefix.empty())
        return true;
    char last = prefix.back(), next = name[prefix.size()];
    return last == '\\' || last == '|' || next == '\\' || next == '|';
}

std::vector<Change> Unexpected(const std::vector<Change> &changes, const std::vector<std::string> &allowed)
{
    std::vector<Change> left;
    for (const Change &change : changes) {
        bool ok = false;
        for (const std::string &prefix : allowed)
            ok = ok || IsUnder(change.name, prefix);
        if (!ok)
            left.push_back(change);
    }
    return left;
}

std::ostream &operator<<(std::ostream &out, const std::vector<Change> &changes)
{
    for (const Change &change : changes) {
        if (change.before.empty())
            out << "+ " << change.name << ": " << change.after << "\n";
        else if (change.after.empty())
            out << "- " << change.name << ": " << change.before << "\n";
        else
            out << "~ " << change.name << ": " << change.before << " -> " << change.after << "\n";
    }
    return out;
}

}  // namespace snapshot
