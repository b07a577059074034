#include "e2e/support_arc.h"

#include <shellapi.h>

namespace e2e {

const std::vector<ArchiveRow> &ArchiveRows()
{
    static const std::vector<ArchiveRow> rows = {
        {".rar", "RAR archive"}, {".arj", "ARJ archive"}, {".lzh", "LZH archive"},
        {".zip", "ZIP archive"}, {".ha", "HA archive"},   {".cab", "CAB archive"},
        {".tgz", "TGZ archive"}, {".tar", "TGZ archive"}, {".gz", "TGZ archive"},
    };
    return rows;
}

std::vector<std::string> ArchiveKeys()
{
    std::vector<std::string> keys;
    std::set<std::string> types;
    for (const ArchiveRow &row : ArchiveRows()) {
        keys.push_back(row.extension);
        if (types.insert(row.typeName).second)
            keys.push_back(row.typeName);
    }
    return keys;
}

KeyImage CaptureKey(HKEY root, const std::string &path)
{
    KeyImage image;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return image;
    image.exists = true;
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        Value value;
        if (GetValue(root, path, name, &value))
            image.values.push_back({name, value});
    }
    for (DWORD i = 0;; i++) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        image.subkeys.push_back({name, CaptureKey(root, path + "\\" + name)});
    }
    RegCloseKey(key);
    return image;
}

static void WriteImage(HKEY root, const std::string &path, const KeyImage &image)
{
    CreateKey(root, path);
    for (const auto &value : image.values)
        SetRaw(root, path, value.first, value.second.type, value.second.bytes.data(),
               (DWORD)value.second.bytes.size());
    for (const auto &subkey : image.subkeys)
        WriteImage(root, path + "\\" + subkey.first, subkey.second);
}

void RestoreKey(HKEY root, const std::string &path, const KeyImage &image)
{
    DeleteTree(root, path);
    if (image.exists)
        WriteImage(root, path, image);
}

KeysRestorer::KeysRestorer(HKEY root, const std::vector<std::string> &paths) : root_(root)
{
    for (const std::string &path : paths)
        images_.push_back({path, CaptureKey(root, path)});
}

KeysRestorer::~KeysRestorer()
{
    for (const auto &image : images_)
        RestoreKey(root_, image.first, image.second);
}

void PrintTo(const Value &value, std::ostream *out)
{
    if (value.type == REG_NONE && value.bytes.empty()) {
        *out << "(key)";
        return;
    }
    *out << "type " << value.type << " ";
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        *out << '"' << std::string(value.bytes.begin(), value.bytes.end()) << '"';
        return;
    }
    static const char digits[] = "0123456789abcdef";
    for (unsigned char byte : value.bytes)
        *out << digits[byte >> 4] << digits[byte & 15];
}

bool OpenThroughShell(const std::string &file, std::string *error)
{
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        *error = "ShellExecuteEx failed with error " + std::to_string(GetLastError());
        return false;
    }
    if (!info.hProcess) {
        *error = "ShellExecuteEx started no process";
        return false;
    }
    DWORD code = WaitAndClose(info.hProcess, 30000);
    if (code == STILL_ACTIVE) {
        *error = "the started program did not end";
        return false;
    }
    return true;
}

}  // namespace e2e
