#pragma once
// Registry helpers for the settings tests. They use the raw Win32 functions, not
// WRegistryKey, so the class under test does not check itself.
//
// ScratchKey: a fresh, empty key of its own under HKEY_CURRENT_USER of the test
// prefix, deleted with everything below it at both ends of its life.
// RootOverride: for its lifetime, HKEY_LOCAL_MACHINE of this process is the given
// key (RegOverridePredefKey), so code that writes under HKLM writes there.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace settings_test {

constexpr const char* ScratchParent = "Software\\Leitungsfuchs Tests";

class ScratchKey {
public:
    explicit ScratchKey(const std::string& name) : path_(std::string(ScratchParent) + "\\" + name)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle_,
                            nullptr) != ERROR_SUCCESS)
            handle_ = nullptr;
    }
    ~ScratchKey()
    {
        if (handle_)
            RegCloseKey(handle_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, ScratchParent); // only once it is empty
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Handle() const { return handle_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    HKEY handle_ = nullptr;
};

class RootOverride {
public:
    explicit RootOverride(HKEY replacement) : ok_(RegOverridePredefKey(HKEY_LOCAL_MACHINE, replacement) == ERROR_SUCCESS) {}
    ~RootOverride() { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
    RootOverride(const RootOverride&) = delete;
    RootOverride& operator=(const RootOverride&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

struct RawValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string bytes;
};

inline std::string Bytes(const char* text) { return std::string(text, std::strlen(text) + 1); } // with its NUL
inline std::string DwordBytes(DWORD v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    return std::string(b, 4);
}

inline LONG SetRaw(HKEY key, const char* name, DWORD type, const std::string& bytes)
{
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

inline RawValue GetRaw(HKEY key, const char* name)
{
    RawValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    std::vector<BYTE> buffer(size + 1);
    DWORD got = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExA(key, name, nullptr, &value.type, buffer.data(), &got) != ERROR_SUCCESS)
        return value;
    value.exists = true;
    value.bytes.assign(reinterpret_cast<const char*>(buffer.data()), got);
    return value;
}

inline DWORD ValueCount(HKEY key)
{
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS)
        return MAXDWORD;
    return count;
}

} // namespace settings_test
