#include "SettingsClass.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
const char* const SettingsKeyPath = "SOFTWARE\\Tessamund Engineering\\Leitungsfuchs";
const char* const FlagSet = "TRUE";
const char* const FlagCleared = "FALSE";

// Defaults when the registry has no usable value.
constexpr int32_t DefaultCOM = 0;
constexpr int32_t DefaultBaudrate = 4; // 19200 bit/s
constexpr int32_t DefaultStopbits = 0;
constexpr int32_t DefaultParity = 0;
constexpr int32_t DefaultDatabits = 1; // 8 data bits
constexpr int32_t DefaultCRLF = 0;
constexpr int32_t DefaultPeriodic = 0;

// "RSSend0" for button F1 up to "RSSend4" for F5. A fixed buffer: this also
// runs in the destructor, where nothing may throw.
struct SendTextName {
    explicit SendTextName(int index) { std::snprintf(text, sizeof text, "RSSend%d", index); }
    char text[16];
};
} // namespace

SettingsClass::SettingsClass()
{
    Load();
}

SettingsClass::~SettingsClass()
{
    Save();
    // The texts and then the key (closed by its owner) go with the members.
}

WString SettingsClass::GetRSSend(int index) const
{
    return IsSendIndex(index) ? rsSend[index] : WString();
}

void SettingsClass::SetRSSend(int index, const WString& text)
{
    if (IsSendIndex(index))
        rsSend[index] = text;
}

void SettingsClass::Load()
{
    // A key that cannot be created or opened leaves no handle: every read
    // below then fails and every field keeps its default.
    key.Create(HKEY_LOCAL_MACHINE, SettingsKeyPath);

    COM = LoadInteger("COM", DefaultCOM);
    Baudrate = LoadInteger("Baudrate", DefaultBaudrate);
    Stopbits = LoadInteger("Stopbits", DefaultStopbits);
    Parity = LoadInteger("Parity", DefaultParity);
    Databits = LoadInteger("Databits", DefaultDatabits);
    CRLF = LoadInteger("CRLF", DefaultCRLF);
    Periodic = LoadInteger("Periodic", DefaultPeriodic);
    for (int index = 0; index < SendTextCount; ++index)
        rsSend[index] = LoadText(SendTextName(index).text);
    COMActive = LoadFlag("COMActive");
    Echo = LoadFlag("Echo");
}

void SettingsClass::Save()
{
    // Every value at every save; a failed write does not stop the others.
    SaveInteger("COM", COM);
    SaveInteger("Databits", Databits);
    SaveInteger("Stopbits", Stopbits);
    SaveInteger("Parity", Parity);
    SaveInteger("Baudrate", Baudrate);
    SaveInteger("CRLF", CRLF);
    SaveInteger("Periodic", Periodic);
    for (int index = 0; index < SendTextCount; ++index)
        key.WriteText(SendTextName(index).text, rsSend[index]);
    SaveFlag("COMActive", COMActive);
    SaveFlag("Echo", Echo);
}

int32_t SettingsClass::LoadInteger(const char* name, int32_t fallback) const
{
    // Only a REG_DWORD of exactly four bytes counts; anything else is missing.
    DWORD stored = 0;
    if (!key.ReadDword(name, stored))
        return fallback;
    return static_cast<int32_t>(stored);
}

WString SettingsClass::LoadText(const char* name) const
{
    // Any type is read as text: its bytes up to the first NUL, never past the
    // stored data. The text is kept whole whatever its length: it is the user's,
    // and the next save would otherwise destroy the rest of it.
    WString text;
    if (!key.ReadText(name, text))
        return WString();
    return text;
}

bool SettingsClass::LoadFlag(const char* name) const
{
    // Set only by the exact bytes "TRUE"; "true", "1", "FALSE" or a missing
    // value clear it.
    return LoadText(name) == WString(FlagSet);
}

void SettingsClass::SaveInteger(const char* name, int32_t value)
{
    key.WriteDword(name, static_cast<DWORD>(value));
}

void SettingsClass::SaveFlag(const char* name, bool flag)
{
    const char* text = flag ? FlagSet : FlagCleared;
    key.WriteString(name, text, static_cast<DWORD>(std::strlen(text) + 1)); // with its NUL
}
