#pragma once
// Turns the received bytes into the text of the log: either as text broken into
// lines of 80 characters (ASCII mode, the mode at start) or as a hex dump of 16
// bytes per line with a character column (HEX mode). It keeps the display state
// that lives across blocks and knows nothing of windows: the main window appends
// what it returns to its log.
#include "WString.h"

#include <cstdint>

class ReceiveFormatter {
public:
    static constexpr int32_t kAsciiLineLength = 80;
    static constexpr int32_t kHexLineLength = 16;

    static const char* AsciiHeadline() { return "RS-232 Kommunikation (ASCII-Mode)\r\n"; }
    static const char* HexHeadline() { return "RS-232 Kommunikation (HEX-Mode)\r\n"; }

    // The text to append to the log for one received block, in the current
    // mode. A null pointer or a count below 1 is an empty block: in ASCII mode
    // that still hands out the characters left over from a HEX line.
    WString Format(const unsigned char* bytes, int32_t count);

    // The Hex-Mode command: the caller empties the log first and then appends
    // the headline returned here, the one of the mode being entered. The line
    // count restarts; the pending characters and the CR memory are kept.
    WString ToggleHexMode();

    // Emptying the log changes nothing here, so an open line simply continues.

    bool IsHexMode() const { return hexMode_; }
    // Bytes counted on the current log line: 0 to 80 (ASCII), 0 to 16 (HEX).
    int32_t GetColumn() const { return column_; }
    // HEX mode: the character column of the unfinished dump line. ASCII mode:
    // empty between blocks, unless left over from a HEX line.
    const WString& GetAsciiText() const { return asciiText_; }
    // The last ordinary byte handled in ASCII mode was CR.
    bool IsAfterCR() const { return afterCR_; }

private:
    WString FormatAscii(const unsigned char* bytes, int32_t count);
    WString FormatHex(const unsigned char* bytes, int32_t count);
    void AppendAsciiByte(unsigned char byte);
    void AppendHexByte(unsigned char byte, WString& output);

    bool hexMode_ = false;
    int32_t column_ = 0;
    WString asciiText_;
    bool afterCR_ = false;
};
