#include "PngEncoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

uint32_t Crc32(const std::string& bytes, size_t from)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ static_cast<uint8_t>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    size_t crcFrom = out.size();
    out += type;
    out += data;
    PutBigEndian(out, Crc32(out, crcFrom));
}

// A zlib stream of stored deflate blocks.
std::string ZlibStored(const std::string& raw)
{
    std::string out("\x78\x01", 2);
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, b << 16 | a);
    return out;
}

} // namespace

std::string EncodePng(unsigned width, unsigned height, const std::vector<uint8_t>& rgb)
{
    size_t rowBytes = static_cast<size_t>(width) * 3;
    if (width == 0 || height == 0 || rgb.size() != rowBytes * height)
        throw std::invalid_argument("EncodePng: image size does not match the pixels");
    std::string raw;
    raw.reserve((rowBytes + 1) * height);
    for (unsigned y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        raw.append(reinterpret_cast<const char*>(rgb.data() + y * rowBytes), rowBytes);
    }
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter method, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(raw));
    PutChunk(png, "IEND", {});
    return png;
}
