#pragma once
// Single-byte text in the system's ANSI code page (CP1252 here). The program's
// texts pass between its parts as WStrings; nothing here knows about Windows.
#include <cstddef>
#include <string>

class WString {
public:
    WString() = default;
    WString(const char* text) : text_(text ? text : "") {}
    WString(const char* bytes, std::size_t length) : text_(bytes ? std::string(bytes, length) : std::string()) {}
    WString(const std::string& text) : text_(text) {}

    const char* GetText() const { return text_.c_str(); }
    const char* c_str() const { return text_.c_str(); }
    std::size_t GetLength() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    const std::string& str() const { return text_; }

    void Clear() { text_.clear(); }
    WString& operator+=(const WString& more) { text_ += more.text_; return *this; }
    WString& operator+=(const char* more) { if (more) text_ += more; return *this; }
    WString& operator+=(char c) { text_ += c; return *this; }
    void Append(const char* bytes, std::size_t length) { text_.append(bytes, length); }

    // printf-style formatting into a new string; never truncates.
    static WString Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    // Byte-wise comparisons; the "IgnoreCase" ones fold ASCII and CP1252 letters.
    bool StartsWithIgnoreCase(const WString& prefix) const;
    bool EqualsIgnoreCase(const WString& other) const;

    friend bool operator==(const WString& a, const WString& b) { return a.text_ == b.text_; }
    friend bool operator!=(const WString& a, const WString& b) { return a.text_ != b.text_; }
    friend WString operator+(WString a, const WString& b) { a += b; return a; }

private:
    std::string text_;
};
