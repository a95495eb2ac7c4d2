#pragma once
// The program's two keys in the test prefix's registry: the settings under
// HKLM and the send history under HKCU. The program runs in another process,
// so its registry cannot be redirected: tests wipe both keys before and after
// each test (the prefix is throwaway, tests run one at a time), write what
// the program shall find, and read what it stored after it ended.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class ProgramRegistry {
public:
    static constexpr const char* kSettingsKey = "SOFTWARE\\Tessamund Engineering\\Leitungsfuchs";
    static constexpr const char* kHistoryKey = "SoftwareQuembarsoltMagicComboBox";

    struct Value {
        bool exists = false;
        DWORD type = REG_NONE;
        std::string data; // the raw bytes
        // A REG_DWORD of four bytes as a number.
        bool IsDword() const { return exists && type == REG_DWORD && data.size() == 4; }
        int32_t Dword() const;
        // A REG_SZ with exactly one NUL, at its end, as text.
        bool IsTerminatedText() const;
        std::string Text() const { return data.substr(0, data.find('\0')); }
    };

    // Deletes both keys with everything in them.
    static void Wipe();

    static bool Write(HKEY root, const char* key, const std::string& name, DWORD type, const std::string& bytes);
    static bool WriteSetting(const std::string& name, DWORD type, const std::string& bytes)
    {
        return Write(HKEY_LOCAL_MACHINE, kSettingsKey, name, type, bytes);
    }
    static bool WriteHistory(const std::string& name, DWORD type, const std::string& bytes)
    {
        return Write(HKEY_CURRENT_USER, kHistoryKey, name, type, bytes);
    }
    static std::string DwordBytes(int32_t value);
    static std::string TextBytes(const std::string& text) { return text + std::string(1, '\0'); }

    static Value Read(HKEY root, const char* key, const std::string& name);
    static Value Setting(const std::string& name) { return Read(HKEY_LOCAL_MACHINE, kSettingsKey, name); }
    static Value History(const std::string& name) { return Read(HKEY_CURRENT_USER, kHistoryKey, name); }
    // The names of a key's values in enumeration order; empty when the key is missing.
    static std::vector<std::string> ValueNames(HKEY root, const char* key);
    static bool KeyExists(HKEY root, const char* key);
};
