#pragma once
// A minimal PNG writer for screenshots: 8-bit RGB, deflate "stored" blocks
// (no compression), so it needs no library. Platform-free.
#include <cstdint>
#include <string>
#include <vector>

// rgb: height rows of width * 3 bytes, top row first. Returns the PNG file's bytes.
std::string EncodePng(unsigned width, unsigned height, const std::vector<uint8_t>& rgb);
