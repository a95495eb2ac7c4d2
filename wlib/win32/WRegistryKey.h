#pragma once
// An open registry key of the class library: the owner of one HKEY (ANSI functions).
//
// The key is closed by Close(), by opening another key with the same object, by
// moving another key into it, and by the destructor. A key can be moved, never copied.
//
// Every operation returns true on success and false on failure; GetLastResult()
// then gives the Win32 error code of the last operation (ERROR_SUCCESS after a
// success). Nothing throws. Operations on an object that holds no key fail with
// ERROR_INVALID_HANDLE and touch nothing.
//
// Reads never go past the stored data, whatever a value's type or size: the data
// is read into a buffer sized from the value itself, and only the bytes the
// registry returned are kept. A caller that wants to refuse big values passes
// maxBytes; a value with more data then fails with ERROR_MORE_DATA and nothing
// of its size is allocated.
//
// Example, the send history:
//     WRegistryKey key;
//     if (key.Open(HKEY_CURRENT_USER, "MyKey", KEY_ALL_ACCESS)) {
//         WRegistryKey::Value value;
//         for (DWORD i = 0; key.EnumValue(i, value); ++i)
//             list.push_back(value.Text());
//     }
#include <windows.h>

#include <vector>

#include "WString.h"

class WRegistryKey {
public:
    // What RegQueryValueExA tells of a value without reading its data.
    struct ValueInfo {
        DWORD type = REG_NONE;
        DWORD size = 0; // bytes of data
    };

    // A value read from the registry: exactly the stored bytes, no NUL added.
    struct Value {
        WString name; // set by EnumValue; ReadValue leaves it as it was
        DWORD type = REG_NONE;
        std::vector<unsigned char> data;

        // The data as text: the bytes up to the first NUL, or all of them when
        // there is none. Works for any type (a number gives its bytes).
        WString Text() const;
    };

    // What RegQueryInfoKeyA tells of the key's values.
    struct KeyInfo {
        DWORD valueCount = 0;
        DWORD longestValueName = 0; // characters, without the terminating NUL
        DWORD longestValueData = 0; // bytes
    };

    static constexpr DWORD NoLimit = MAXDWORD;

    WRegistryKey() = default;
    ~WRegistryKey();
    WRegistryKey(const WRegistryKey&) = delete;
    WRegistryKey& operator=(const WRegistryKey&) = delete;
    WRegistryKey(WRegistryKey&& other) noexcept;
    WRegistryKey& operator=(WRegistryKey&& other) noexcept;

    // Opening. Each first closes the key this object held.
    // Create: open subkey below root, creating it (and the keys on its path) if
    // missing (RegCreateKeyA: the widest access the caller may have).
    bool Create(HKEY root, const char* subkey);
    // Open: open an existing subkey with the given access (RegOpenKeyExA), for
    // instance KEY_READ or KEY_ALL_ACCESS. A missing key fails with ERROR_FILE_NOT_FOUND.
    bool Open(HKEY root, const char* subkey, REGSAM access);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    HKEY GetHandle() const { return handle_; }

    // Type and size of a value, without its data. A missing value fails with
    // ERROR_FILE_NOT_FOUND.
    bool QueryValueInfo(const char* name, ValueInfo& info) const;
    bool HasValue(const char* name) const;

    // Reading. On failure the output is left unchanged.
    // ReadValue: type and data of any value.
    bool ReadValue(const char* name, Value& value, DWORD maxBytes = NoLimit) const;
    // ReadText: the data of a value of any type as text (see Value::Text).
    bool ReadText(const char* name, WString& text, DWORD maxBytes = NoLimit) const;
    // ReadDword: a REG_DWORD of exactly four bytes, little-endian. Another type
    // fails with ERROR_UNSUPPORTED_TYPE, another size with ERROR_INVALID_DATA.
    bool ReadDword(const char* name, DWORD& value) const;

    // Writing (RegSetValueExA).
    // WriteDword: REG_DWORD, four bytes little-endian.
    bool WriteDword(const char* name, DWORD value);
    // WriteString: REG_SZ of exactly `length` bytes as given (the caller decides
    // whether a terminating NUL is among them).
    bool WriteString(const char* name, const char* bytes, DWORD length);
    // WriteText: REG_SZ of the text's bytes and one terminating NUL.
    bool WriteText(const char* name, const WString& text);

    bool DeleteValue(const char* name);

    // Enumeration. QueryInfo gives the number of values and the longest name and data.
    bool QueryInfo(KeyInfo& info) const;
    // EnumValue: name, type and data of the value at `index` (0, 1, ...), with
    // buffers sized from the key's longest value name and data. Past the last
    // value it fails with ERROR_NO_MORE_ITEMS. A value with more than maxBytes
    // of data fails with ERROR_MORE_DATA; the next index can still be read.
    bool EnumValue(DWORD index, Value& value, DWORD maxBytes = NoLimit) const;
    // EnumValueName: only the name of the value at `index`; its data, however
    // big, is not read. Past the last value it fails with ERROR_NO_MORE_ITEMS.
    bool EnumValueName(DWORD index, WString& name) const;

    // Win32 error code of the last operation on this object.
    LONG GetLastResult() const { return lastResult_; }

private:
    bool Succeeded(LONG result) const;
    bool RequireOpen() const;
    bool ReadValueOnce(const char* name, Value& value, DWORD maxBytes, bool& changedMeanwhile) const;
    bool EnumValueOnce(DWORD index, Value& value, DWORD maxBytes, bool& changedMeanwhile) const;
    bool EnumValueNameOnce(DWORD index, WString& name, bool& changedMeanwhile) const;

    HKEY handle_ = nullptr;
    mutable LONG lastResult_ = ERROR_SUCCESS;
};
