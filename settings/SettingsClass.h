#pragma once
// The user's choices from one run to the next: the serial-line choices as list
// indexes, the line-end and periodic-send choices, two flags and the texts of the
// five send buttons (F1 to F5).
//
// The constructor loads everything from the registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\Tessamund Engineering\Leitungsfuchs and keeps the
// key open; the destructor writes every value back. In between this is a plain
// record: no accessor touches the registry.
//
// A value that is missing, of another type or size, or unreadable loads as its
// default (integers), an empty text or a cleared flag. Numbers are not range
// checked. A key that cannot be opened leaves every default in place, and the
// writes at the end then fail without a word.
#include <cstdint>

#include "WRegistryKey.h"
#include "WString.h"

class SettingsClass {
public:
    static constexpr int SendTextCount = 5;

    SettingsClass();
    ~SettingsClass();
    SettingsClass(const SettingsClass&) = delete;
    SettingsClass& operator=(const SettingsClass&) = delete;

    int GetCOM() const { return COM; }
    void SetCOM(int value) { COM = value; }
    int GetBaudrate() const { return Baudrate; }
    void SetBaudrate(int value) { Baudrate = value; }
    int GetStopbits() const { return Stopbits; }
    void SetStopbits(int value) { Stopbits = value; }
    int GetParity() const { return Parity; }
    void SetParity(int value) { Parity = value; }
    int GetDatabits() const { return Databits; }
    void SetDatabits(int value) { Databits = value; }
    // 0: no line end; n >= 1: entry n - 1 of the line-end list.
    int GetCRLF() const { return CRLF; }
    void SetCRLF(int value) { CRLF = value; }
    // 0: no interval; n >= 1: entry n - 1 of the interval list.
    int GetPeriodic() const { return Periodic; }
    void SetPeriodic(int value) { Periodic = value; }
    bool GetEcho() const { return Echo; }
    void SetEcho(bool echo) { Echo = echo; }

    // Text of send button index + 1 (index 0 to 4). Another index gives an
    // empty text, and setting it changes nothing.
    WString GetRSSend(int index) const;
    void SetRSSend(int index, const WString& text);

private:
    void Load();
    void Save();
    int32_t LoadInteger(const char* name, int32_t fallback) const;
    bool LoadFlag(const char* name) const;
    WString LoadText(const char* name) const;
    void SaveInteger(const char* name, int32_t value);
    void SaveFlag(const char* name, bool flag);
    static bool IsSendIndex(int index) { return index >= 0 && index < SendTextCount; }

    int32_t COM = 0;
    int32_t Baudrate = 4;
    int32_t Stopbits = 0;
    int32_t Parity = 0;
    int32_t Databits = 1;
    int32_t CRLF = 0;
    int32_t Periodic = 0;
    WRegistryKey key;
    bool COMActive = false;
    bool Echo = false;
    WString rsSend[SendTextCount];
};
