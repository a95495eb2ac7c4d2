#pragma once
// Screenshots from inside a Windows test: what the (virtual) screen shows of
// a window, frame included, as a PNG file in <harness dir>\screenshots, that
// is build/win/wine/screenshots/<name>.png on the Linux side.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgb; // top row first, 3 bytes a pixel
    // 0xRRGGBB of the pixel at (x, y).
    uint32_t PixelAt(unsigned x, unsigned y) const;
};

// The harness directory as a Windows path (LF_HARNESS_DIR), or "." without the harness.
std::string HarnessDirectory();

// What the screen shows of the window now, frame included. Throws
// std::runtime_error when the window has no area on the screen.
RgbImage CaptureWindow(HWND window);

// Writes <harness dir>\screenshots\<name>.png; returns its path. Throws
// std::runtime_error when the window has no area or the file cannot be written.
std::string SaveWindowScreenshot(HWND window, const std::string& name);

// The same, to a path of the caller's choice.
void SaveWindowPng(HWND window, const std::string& path);
