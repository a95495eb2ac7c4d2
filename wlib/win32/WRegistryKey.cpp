#include "WRegistryKey.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {
// A value or the key can change between asking for a size and reading the
// data; reading again a few times covers that without looping forever.
constexpr int ReadAttempts = 4;

// Buffer capacity for `bytes` of data plus one spare byte, kept within a DWORD.
DWORD CapacityFor(DWORD bytes)
{
    return bytes == MAXDWORD ? MAXDWORD : bytes + 1;
}
} // namespace

WString WRegistryKey::Value::Text() const
{
    const void* nul = data.empty() ? nullptr : std::memchr(data.data(), 0, data.size());
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - data.data())
                                   : data.size();
    return WString(reinterpret_cast<const char*>(data.data()), length);
}

WRegistryKey::~WRegistryKey()
{
    Close();
}

WRegistryKey::WRegistryKey(WRegistryKey&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), lastResult_(other.lastResult_)
{
}

WRegistryKey& WRegistryKey::operator=(WRegistryKey&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        lastResult_ = other.lastResult_;
    }
    return *this;
}

bool WRegistryKey::Create(HKEY root, const char* subkey)
{
    // With an empty name RegCreateKeyA may hand back `root` itself, which this
    // object would then close: only real subkeys are created here.
    if (!subkey || !*subkey) {
        lastResult_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    HKEY opened = nullptr;
    const LONG result = RegCreateKeyA(root, subkey, &opened);
    if (result != ERROR_SUCCESS)
        opened = nullptr;
    // Close the old key only now: `root` may be a handle this object holds.
    Close();
    handle_ = opened;
    return Succeeded(result);
}

bool WRegistryKey::Open(HKEY root, const char* subkey, REGSAM access)
{
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(root, subkey ? subkey : "", 0, access, &opened);
    if (result != ERROR_SUCCESS)
        opened = nullptr;
    Close();
    handle_ = opened;
    return Succeeded(result);
}

void WRegistryKey::Close()
{
    if (handle_) {
        RegCloseKey(handle_);
        handle_ = nullptr;
    }
    lastResult_ = ERROR_SUCCESS;
}

bool WRegistryKey::Succeeded(LONG result) const
{
    lastResult_ = result;
    return result == ERROR_SUCCESS;
}

bool WRegistryKey::RequireOpen() const
{
    if (handle_)
        return true;
    lastResult_ = ERROR_INVALID_HANDLE;
    return false;
}

bool WRegistryKey::QueryValueInfo(const char* name, ValueInfo& info) const
{
    if (!RequireOpen())
        return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!Succeeded(RegQueryValueExA(handle_, name, nullptr, &type, nullptr, &size)))
        return false;
    info.type = type;
    info.size = size;
    return true;
}

bool WRegistryKey::HasValue(const char* name) const
{
    ValueInfo info;
    return QueryValueInfo(name, info);
}

bool WRegistryKey::ReadValue(const char* name, Value& value, DWORD maxBytes) const
{
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        bool changedMeanwhile = false;
        if (ReadValueOnce(name, value, maxBytes, changedMeanwhile))
            return true;
        if (!changedMeanwhile)
            return false;
    }
    return false;
}

bool WRegistryKey::ReadValueOnce(const char* name, Value& value, DWORD maxBytes, bool& changedMeanwhile) const
{
    ValueInfo info;
    if (!QueryValueInfo(name, info))
        return false;
    if (info.size > maxBytes) {
        lastResult_ = ERROR_MORE_DATA;
        return false;
    }
    std::vector<unsigned char> buffer;
    try {
        buffer.resize(std::max<DWORD>(info.size, 1));
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LONG result = RegQueryValueExA(handle_, name, nullptr, &type, buffer.data(), &size);
    if (result == ERROR_MORE_DATA)
        changedMeanwhile = true; // it grew since the size was asked for
    if (!Succeeded(result))
        return false;
    // Keep only what the registry wrote, and never more than the buffer holds.
    if (size > buffer.size() || size > maxBytes) {
        lastResult_ = ERROR_MORE_DATA;
        return false;
    }
    buffer.resize(size);
    value.type = type;
    value.data = std::move(buffer);
    return true;
}

bool WRegistryKey::ReadText(const char* name, WString& text, DWORD maxBytes) const
{
    Value value;
    if (!ReadValue(name, value, maxBytes))
        return false;
    try {
        text = value.Text();
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    return true;
}

bool WRegistryKey::ReadDword(const char* name, DWORD& value) const
{
    ValueInfo info;
    if (!QueryValueInfo(name, info))
        return false;
    if (info.type != REG_DWORD) {
        lastResult_ = ERROR_UNSUPPORTED_TYPE;
        return false;
    }
    if (info.size != 4) {
        lastResult_ = ERROR_INVALID_DATA;
        return false;
    }
    unsigned char bytes[4] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof bytes;
    if (!Succeeded(RegQueryValueExA(handle_, name, nullptr, &type, bytes, &size)))
        return false;
    if (type != REG_DWORD || size != 4) { // replaced between the two calls
        lastResult_ = type != REG_DWORD ? ERROR_UNSUPPORTED_TYPE : ERROR_INVALID_DATA;
        return false;
    }
    value = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16 |
            static_cast<DWORD>(bytes[3]) << 24;
    return true;
}

bool WRegistryKey::WriteDword(const char* name, DWORD value)
{
    if (!RequireOpen())
        return false;
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 24)};
    return Succeeded(RegSetValueExA(handle_, name, 0, REG_DWORD, bytes, sizeof bytes));
}

bool WRegistryKey::WriteString(const char* name, const char* bytes, DWORD length)
{
    if (!RequireOpen())
        return false;
    if (!bytes && length > 0) {
        lastResult_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    const BYTE* data = reinterpret_cast<const BYTE*>(bytes ? bytes : "");
    return Succeeded(RegSetValueExA(handle_, name, 0, REG_SZ, data, length));
}

bool WRegistryKey::WriteText(const char* name, const WString& text)
{
    if (text.GetLength() >= MAXDWORD) {
        lastResult_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    // c_str() ends with the one NUL that goes with the text.
    return WriteString(name, text.c_str(), static_cast<DWORD>(text.GetLength() + 1));
}

bool WRegistryKey::DeleteValue(const char* name)
{
    if (!RequireOpen())
        return false;
    return Succeeded(RegDeleteValueA(handle_, name));
}

bool WRegistryKey::QueryInfo(KeyInfo& info) const
{
    if (!RequireOpen())
        return false;
    DWORD valueCount = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (!Succeeded(RegQueryInfoKeyA(handle_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                                    &longestName, &longestData, nullptr, nullptr)))
        return false;
    info.valueCount = valueCount;
    info.longestValueName = longestName;
    info.longestValueData = longestData;
    return true;
}

bool WRegistryKey::EnumValue(DWORD index, Value& value, DWORD maxBytes) const
{
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        bool changedMeanwhile = false;
        if (EnumValueOnce(index, value, maxBytes, changedMeanwhile))
            return true;
        if (!changedMeanwhile)
            return false;
    }
    return false;
}

bool WRegistryKey::EnumValueOnce(DWORD index, Value& value, DWORD maxBytes, bool& changedMeanwhile) const
{
    KeyInfo info;
    if (!QueryInfo(info))
        return false;
    const DWORD nameCapacity = CapacityFor(info.longestValueName);
    const DWORD dataCapacity = CapacityFor(std::min(info.longestValueData, maxBytes));
    std::vector<char> name;
    std::vector<unsigned char> data;
    try {
        name.resize(nameCapacity);
        data.resize(dataCapacity);
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    DWORD nameLength = nameCapacity;
    DWORD type = REG_NONE;
    DWORD size = dataCapacity;
    const LONG result = RegEnumValueA(handle_, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (result == ERROR_MORE_DATA) {
        // Either this value is over the caller's limit (then say so and let the
        // next index be read), or the key grew since its sizes were asked for.
        DWORD probeNameLength = nameCapacity;
        DWORD fullSize = 0;
        const LONG probe =
            RegEnumValueA(handle_, index, name.data(), &probeNameLength, nullptr, nullptr, nullptr, &fullSize);
        changedMeanwhile = !(probe == ERROR_SUCCESS && fullSize > maxBytes);
        lastResult_ = ERROR_MORE_DATA;
        return false;
    }
    if (!Succeeded(result))
        return false;
    if (size > dataCapacity || size > maxBytes || nameLength >= nameCapacity) {
        lastResult_ = ERROR_MORE_DATA;
        return false;
    }
    WString valueName;
    try {
        valueName = WString(name.data(), nameLength);
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    data.resize(size);
    value.name = std::move(valueName);
    value.type = type;
    value.data = std::move(data);
    return true;
}

bool WRegistryKey::EnumValueName(DWORD index, WString& name) const
{
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        bool changedMeanwhile = false;
        if (EnumValueNameOnce(index, name, changedMeanwhile))
            return true;
        if (!changedMeanwhile)
            return false;
    }
    return false;
}

bool WRegistryKey::EnumValueNameOnce(DWORD index, WString& name, bool& changedMeanwhile) const
{
    KeyInfo info;
    if (!QueryInfo(info))
        return false;
    const DWORD capacity = CapacityFor(info.longestValueName);
    std::vector<char> buffer;
    try {
        buffer.resize(capacity);
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    DWORD length = capacity;
    const LONG result = RegEnumValueA(handle_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA)
        changedMeanwhile = true; // a longer name arrived since the key was asked
    if (!Succeeded(result))
        return false;
    if (length >= capacity) {
        lastResult_ = ERROR_MORE_DATA;
        return false;
    }
    try {
        name = WString(buffer.data(), length);
    } catch (const std::bad_alloc&) {
        lastResult_ = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    return true;
}
