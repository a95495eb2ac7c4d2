// Random received blocks and Hex-Mode switches through the receive formatter.
// Input: a row of commands. A command byte 0xFF switches the mode; any other
// command byte c is followed by a block of c % 97 bytes (up to 96, more than a
// block can hold). Checked on every step:
//  - the text does not depend on the cut into blocks: a second formatter gets
//    the same bytes one at a time and must give the same text and state;
//  - the line count stays within a line (0-80 ASCII, 0-16 HEX);
//  - HEX text consists of hex digits, blanks, CR, LF and the printable
//    characters of the character column only;
//  - ASCII text never holds a zero byte, and is the bytes as received plus the
//    inserted line starts (and any characters left over from a HEX line).
#include "ReceiveFormatter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string FeedByteByByte(ReceiveFormatter& formatter, const uint8_t* bytes, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += formatter.Format(bytes + i, 1).str();
    // An empty block is harmless in either mode.
    text += formatter.Format(bytes, 0).str();
    return text;
}

void CheckHexText(const std::string& text)
{
    for (unsigned char c : text)
        Check((c >= 0x20 && c <= 0x7E) || c == '\r' || c == '\n');
}

// Without the inserted CR LF pairs and any HEX leftovers, the ASCII text is
// the block minus its zero bytes.
void CheckAsciiText(const std::string& text, const std::string& leftover, const uint8_t* bytes, std::size_t count)
{
    Check(text.find('\0') == std::string::npos);
    Check(text.compare(0, leftover.size(), leftover) == 0);
    std::size_t shown = 0;
    for (std::size_t i = 0; i < count; ++i)
        shown += bytes[i] != 0;
    Check(text.size() >= leftover.size() + shown);
    Check((text.size() - leftover.size() - shown) % 2 == 0);
}

void CheckSameState(const ReceiveFormatter& a, const ReceiveFormatter& b)
{
    Check(a.IsHexMode() == b.IsHexMode());
    Check(a.GetColumn() == b.GetColumn());
    Check(a.GetAsciiText() == b.GetAsciiText());
    Check(a.IsAfterCR() == b.IsAfterCR());
    const int32_t lineLength = a.IsHexMode() ? ReceiveFormatter::kHexLineLength : ReceiveFormatter::kAsciiLineLength;
    Check(a.GetColumn() >= 0 && a.GetColumn() <= lineLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ReceiveFormatter blocks;
    ReceiveFormatter single;
    std::size_t position = 0;
    while (position < size) {
        const uint8_t command = data[position++];
        if (command == 0xFF) {
            Check(blocks.ToggleHexMode() == single.ToggleHexMode());
            Check(blocks.GetColumn() == 0);
            continue;
        }
        const std::size_t count = std::min<std::size_t>(command % 97, size - position);
        const uint8_t* block = data + position;
        position += count;
        const std::string leftover = blocks.IsHexMode() ? std::string() : blocks.GetAsciiText().str();
        const std::string text = blocks.Format(block, static_cast<int32_t>(count)).str();
        Check(text == FeedByteByByte(single, block, count));
        CheckSameState(blocks, single);
        if (blocks.IsHexMode())
            CheckHexText(text);
        else
            CheckAsciiText(text, leftover, block, count);
    }
    return 0;
}
