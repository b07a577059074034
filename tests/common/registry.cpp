#include "common/registry.h"
#include "base/lookup.h"

#include <gtest/gtest.h>

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

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL)) << path;
    RegCloseKey(key);
}

void DeleteTree(HKEY root, const std::string &path)
{
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

void SetRaw(HKEY root, const std::string &path, const std::string &name, DWORD type,
            const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL)) << path;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name.c_str(), 0, type, (const BYTE *)data, size)) << name;
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

bool GetRaw(HKEY root, const std::string &path, const std::string &name, DWORD *type,
            std::vector<unsigned char> *bytes)
{
    Value value;
    if (!GetValue(root, path, name, &value))
        return false;
    *type = value.type;
    *bytes = value.bytes;
    return true;
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

std::wstring GetWideString(HKEY root, const std::string &path, const std::wstring &name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<missing>";
    WCHAR text[1024] = L"";
    DWORD size = sizeof text - sizeof(WCHAR);
    LONG status = RegQueryValueExW(key, name.c_str(), NULL, NULL, (BYTE *)text, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::wstring(text) : L"<missing>";
}

void SetWideString(HKEY root, const std::string &path, const std::wstring &name, const std::wstring &text, DWORD type)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExW(key, name.c_str(), 0, type, (const BYTE *)text.c_str(), (DWORD)(text.size() + 1) * sizeof(WCHAR));
    RegCloseKey(key);
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

static DWORD CountKeyInfo(HKEY root, const std::string &path, bool subkeys)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return (DWORD)-1;
    DWORD keys = 0, values = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, &keys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return subkeys ? keys : values;
}

std::set<std::string> SubkeyNames(HKEY root, const std::string &path, REGSAM view)
{
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

DWORD CountSubkeys(HKEY root, const std::string &path)
{
    return CountKeyInfo(root, path, true);
}

DWORD CountValues(HKEY root, const std::string &path)
{
    return CountKeyInfo(root, path, false);
}

// ntdll exports these; no header for programs declares them.
extern "C" LONG NTAPI NtQueryKey(HANDLE key, int informationClass, void *information, ULONG size, ULONG *needed);
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

// The real path of a key ("\REGISTRY\USER\<sid>\..."); empty when unknown.
static std::wstring RealPathOf(HKEY root, const std::string &path)
{
    auto queryKey = LOOK_UP_FUNCTION(GetModuleHandleA("ntdll.dll"), NtQueryKey);
    HKEY key;
    if (!queryKey || RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"";
    ULONG buffer[1024], size = 0;   // KEY_NAME_INFORMATION: byte length, then the name
    LONG status = queryKey(key, 3 /* KeyNameInformation */, buffer, sizeof buffer, &size);
    RegCloseKey(key);
    if (status != 0)
        return L"";
    return std::wstring((const wchar_t *)(buffer + 1), buffer[0] / sizeof(wchar_t));
}

void MakeRegistryLink(HKEY root, const std::string &path, HKEY targetRoot, const std::string &targetPath)
{
    std::wstring target = RealPathOf(targetRoot, targetPath);
    ASSERT_FALSE(target.empty()) << targetPath;
    HKEY link;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, REG_OPTION_CREATE_LINK,
                                             KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &link, NULL))
        << path;
    // The target without its terminator, as the system reads it.
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)target.data(),
                                            (DWORD)(target.size() * sizeof(wchar_t))));
    RegCloseKey(link);
}

void DeleteRegistryLink(HKEY root, const std::string &path)
{
    // RegDeleteKey opens what it deletes without REG_OPTION_OPEN_LINK: it
    // would delete the target. Only the native call deletes the handle's key.
    auto deleteKey = LOOK_UP_FUNCTION(GetModuleHandleA("ntdll.dll"), NtDeleteKey);
    HKEY key;
    if (deleteKey && RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &key)
        == ERROR_SUCCESS) {
        deleteKey(key);
        RegCloseKey(key);
    }
}
