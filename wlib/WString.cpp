#include "WString.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

WString WString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    WString result;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.text_.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    return result;
}

namespace {
// Upper-case to lower-case in CP1252: ASCII A-Z, the Latin-1 letters
// 0xC0-0xDE (without the multiplication sign 0xD7), and the three extra pairs.
unsigned char FoldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return c;
    }
}

bool EqualIgnoringCase(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
} // namespace

bool WString::StartsWithIgnoreCase(const WString& prefix) const
{
    return prefix.text_.size() <= text_.size()
        && EqualIgnoringCase(text_.data(), prefix.text_.data(), prefix.text_.size());
}

bool WString::EqualsIgnoreCase(const WString& other) const
{
    return other.text_.size() == text_.size()
        && EqualIgnoringCase(text_.data(), other.text_.data(), text_.size());
}
