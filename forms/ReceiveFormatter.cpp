#include "ReceiveFormatter.h"

namespace {
constexpr unsigned char kCR = 0x0D;
constexpr unsigned char kLF = 0x0A;

bool IsPrintable(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}
} // namespace

WString ReceiveFormatter::Format(const unsigned char* bytes, int32_t count)
{
    if (bytes == nullptr || count < 0)
        count = 0;
    return hexMode_ ? FormatHex(bytes, count) : FormatAscii(bytes, count);
}

WString ReceiveFormatter::ToggleHexMode()
{
    const char* headline = hexMode_ ? AsciiHeadline() : HexHeadline();
    column_ = 0;
    hexMode_ = !hexMode_;
    return headline;
}

WString ReceiveFormatter::FormatAscii(const unsigned char* bytes, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        AppendAsciiByte(bytes[i]);
    WString output = asciiText_;
    asciiText_.Clear();
    return output;
}

// A CR LF pair ends the line itself (the LF is the first byte of the new
// line); any other line ends after 80 counted bytes with an inserted CR LF.
void ReceiveFormatter::AppendAsciiByte(unsigned char byte)
{
    const bool lineFull = column_ % kAsciiLineLength == 0;
    if ((byte == kLF && afterCR_) || lineFull) {
        if (lineFull)
            asciiText_ += "\r\n";
        column_ = 0;
    } else {
        afterCR_ = byte == kCR;
    }
    // A zero byte would end the text in the log: it is counted but not shown.
    if (byte != 0)
        asciiText_ += static_cast<char>(byte);
    ++column_;
}

WString ReceiveFormatter::FormatHex(const unsigned char* bytes, int32_t count)
{
    WString output;
    for (int32_t i = 0; i < count; ++i)
        AppendHexByte(bytes[i], output);
    return output;
}

// The character column of a line is written when the next line begins, so the
// open line's characters wait in asciiText_ between blocks. The count restarts
// with each line so that it stays small however long the dump runs.
void ReceiveFormatter::AppendHexByte(unsigned char byte, WString& output)
{
    static const char kDigits[] = "0123456789ABCDEF";
    if (column_ % kHexLineLength == 0) {
        output += "  ";
        output += asciiText_;
        output += "\r\n";
        asciiText_.Clear();
        column_ = 0;
    }
    output += kDigits[byte >> 4];
    output += kDigits[byte & 0x0F];
    output += ' ';
    asciiText_ += IsPrintable(byte) ? static_cast<char>(byte) : '.';
    ++column_;
}
