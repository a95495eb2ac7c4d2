#include "ProgramRegistry.h"

#include <vector>

namespace {
// An open key, closed with the object.
class OpenKey {
public:
    OpenKey(HKEY root, const char* path, bool create, REGSAM access = KEY_ALL_ACCESS)
    {
        const LONG result = create ? RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                                   : RegOpenKeyExA(root, path, 0, access, &key_);
        if (result != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey()
    {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
} // namespace

int32_t ProgramRegistry::Value::Dword() const
{
    if (!IsDword()) return INT32_MIN;
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

bool ProgramRegistry::Value::IsTerminatedText() const
{
    return exists && type == REG_SZ && !data.empty() && data.find('\0') == data.size() - 1;
}

void ProgramRegistry::Wipe()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kHistoryKey);
}

bool ProgramRegistry::Write(HKEY root, const char* key, const std::string& name, DWORD type, const std::string& bytes)
{
    OpenKey open(root, key, true);
    if (!open.Get()) return false;
    return RegSetValueExA(open.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()))
           == ERROR_SUCCESS;
}

std::string ProgramRegistry::DwordBytes(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF),
                           static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 24 & 0xFF)};
    return std::string(bytes, 4);
}

ProgramRegistry::Value ProgramRegistry::Read(HKEY root, const char* key, const std::string& name)
{
    Value value;
    OpenKey open(root, key, false, KEY_READ);
    if (!open.Get()) return value;
    DWORD size = 0;
    if (RegQueryValueExA(open.Get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return value;
    std::vector<char> bytes(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(open.Get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(bytes.data()), &got)
        != ERROR_SUCCESS)
        return value;
    value.exists = true;
    value.data.assign(bytes.data(), got);
    return value;
}

std::vector<std::string> ProgramRegistry::ValueNames(HKEY root, const char* key)
{
    std::vector<std::string> names;
    OpenKey open(root, key, false, KEY_READ);
    if (!open.Get()) return names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(open.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

bool ProgramRegistry::KeyExists(HKEY root, const char* key)
{
    OpenKey open(root, key, false, KEY_READ);
    return open.Get() != nullptr;
}
