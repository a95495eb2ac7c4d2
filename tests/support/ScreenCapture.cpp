#include "ScreenCapture.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "PngEncoder.h"

namespace {

// Owners of the GDI objects of one capture.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { if (dc_) ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }
private:
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc_) DeleteDC(dc_); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }
private:
    HDC dc_;
};

class GdiBitmap {
public:
    explicit GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~GdiBitmap() { if (bitmap_) DeleteObject(bitmap_); }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    HBITMAP get() const { return bitmap_; }
private:
    HBITMAP bitmap_;
};

// The window's screen rectangle as top-down RGB rows.
std::vector<uint8_t> CaptureRgb(const RECT& rect)
{
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    ScreenDc screen;
    MemoryDc memory(screen.get());
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen.get() || !memory.get() || !bitmap.get() || !bits)
        throw std::runtime_error("screenshot: cannot make the bitmap");
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied)
        throw std::runtime_error("screenshot: BitBlt from the screen failed");

    const auto* bgrx = static_cast<const uint8_t*>(bits);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
        rgb[i * 3 + 0] = bgrx[i * 4 + 2];
        rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        rgb[i * 3 + 2] = bgrx[i * 4 + 0];
    }
    return rgb;
}

} // namespace

std::string HarnessDirectory()
{
    const char* dir = std::getenv("LF_HARNESS_DIR");
    return dir && *dir ? dir : ".";
}

uint32_t RgbImage::PixelAt(unsigned x, unsigned y) const
{
    size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return static_cast<uint32_t>(rgb.at(at)) << 16 | static_cast<uint32_t>(rgb.at(at + 1)) << 8 | rgb.at(at + 2);
}

RgbImage CaptureWindow(HWND window)
{
    RECT rect {};
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top)
        throw std::runtime_error("screenshot: the window has no area");
    // Only what lies on the screen can be captured.
    RECT screen {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&rect, &rect, &screen);
    if (IsRectEmpty(&rect))
        throw std::runtime_error("screenshot: the window is off the screen");
    // Paint whatever is pending first.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RgbImage image;
    image.width = static_cast<unsigned>(rect.right - rect.left);
    image.height = static_cast<unsigned>(rect.bottom - rect.top);
    image.rgb = CaptureRgb(rect);
    return image;
}

void SaveWindowPng(HWND window, const std::string& path)
{
    RgbImage image = CaptureWindow(window);
    std::string png = EncodePng(image.width, image.height, image.rgb);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    if (!out.flush())
        throw std::runtime_error("screenshot: cannot write " + path);
}

std::string SaveWindowScreenshot(HWND window, const std::string& name)
{
    std::string dir = HarnessDirectory() + "\\screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\" + name + ".png";
    SaveWindowPng(window, path);
    return path;
}
