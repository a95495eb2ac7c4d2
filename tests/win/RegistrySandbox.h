#pragma once
// For its lifetime, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this test
// process are two fresh scratch keys (RegOverridePredefKey), so the program
// reads and writes its settings and history there and nowhere else. The
// scratch keys are deleted at both ends.
#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    explicit RegistrySandbox(const std::string& name)
        : path_(std::string("Software\\Leitungsfuchs Tests\\") + name)
    {
        Wipe();
        machine_ = Create(path_ + "\\HKLM");
        user_ = Create(path_ + "\\HKCU");
        ok_ = machine_ && user_ && RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) == ERROR_SUCCESS
              && RegOverridePredefKey(HKEY_CURRENT_USER, user_) == ERROR_SUCCESS;
    }
    ~RegistrySandbox()
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (machine_) RegCloseKey(machine_);
        if (user_) RegCloseKey(user_);
        Wipe();
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    bool Ok() const { return ok_; }

private:
    static HKEY Create(const std::string& path)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            return nullptr;
        return key;
    }
    void Wipe() { RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }

    std::string path_;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
    bool ok_ = false;
};

// Settings and history as the program stores them (read through the sandbox).
namespace stored {
constexpr const char* SettingsKey = "SOFTWARE\\Tessamund Engineering\\Leitungsfuchs";
constexpr const char* HistoryKey = "SoftwareQuembarsoltMagicComboBox";

inline bool Read(HKEY root, const char* key, const char* name, DWORD& type, std::string& bytes)
{
    char buffer[4096];
    DWORD size = sizeof(buffer);
    if (RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) != ERROR_SUCCESS) return false;
    bytes.assign(buffer, size);
    return true;
}
inline bool SetDword(const char* name, DWORD value)
{
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, SettingsKey, name, REG_DWORD, &value, sizeof(value)) == ERROR_SUCCESS;
}
inline bool SetText(const char* name, const char* text)
{
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, SettingsKey, name, REG_SZ, text,
                           static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}
inline bool GetDword(const char* name, DWORD& value)
{
    DWORD type = 0;
    std::string bytes;
    if (!Read(HKEY_LOCAL_MACHINE, SettingsKey, name, type, bytes) || type != REG_DWORD || bytes.size() != 4)
        return false;
    memcpy(&value, bytes.data(), 4);
    return true;
}
// The text of a REG_SZ value without its terminating NUL; "<missing>" if absent.
inline std::string GetText(HKEY root, const char* key, const char* name)
{
    DWORD type = 0;
    std::string bytes;
    if (!Read(root, key, name, type, bytes) || type != REG_SZ) return "<missing>";
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    return bytes;
}
inline std::string GetSetting(const char* name)
{
    return GetText(HKEY_LOCAL_MACHINE, SettingsKey, name);
}
inline std::string GetHistory(int index)
{
    char name[32];
    wsprintfA(name, "history_entry_%.5d", index);
    return GetText(HKEY_CURRENT_USER, HistoryKey, name);
}
inline DWORD HistoryValueCount()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, HistoryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return MAXDWORD;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}
} // namespace stored
