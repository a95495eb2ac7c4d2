// Screenshots from a test: the capture shows what the window painted, and
// the PNG lands in the harness directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ScreenCapture.h"

namespace {

constexpr COLORREF kPaint = RGB(200, 30, 40);
constexpr const char* kClassName = "HarnessScreenshotTestWindow";

LRESULT CALLBACK PaintSolid(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(kPaint);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class SolidWindow {
public:
    SolidWindow()
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = PaintSolid;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        RegisterClassA(&windowClass);
        window_ = CreateWindowA(kClassName, "Screenshot", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        UpdateWindow(window_);
        PumpMessages();
    }
    ~SolidWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    SolidWindow(const SolidWindow&) = delete;
    SolidWindow& operator=(const SolidWindow&) = delete;
    HWND get() const { return window_; }

private:
    static void PumpMessages()
    {
        MSG message;
        for (int i = 0; i < 100 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i)
            DispatchMessageA(&message);
    }
    HWND window_ = nullptr;
};

TEST(HarnessScreenshot, CaptureShowsWhatTheWindowPainted)
{
    SolidWindow solid;
    ASSERT_NE(solid.get(), nullptr);
    RECT frame, client;
    GetWindowRect(solid.get(), &frame);
    GetClientRect(solid.get(), &client);
    POINT middle {client.right / 2, client.bottom / 2};
    ClientToScreen(solid.get(), &middle);

    RgbImage image = CaptureWindow(solid.get());
    EXPECT_EQ(image.width, static_cast<unsigned>(frame.right - frame.left));
    EXPECT_EQ(image.height, static_cast<unsigned>(frame.bottom - frame.top));
    EXPECT_EQ(image.PixelAt(middle.x - frame.left, middle.y - frame.top), 0xC81E28u);
}

TEST(HarnessScreenshot, PngLandsInTheHarnessDirectory)
{
    SolidWindow solid;
    std::string path = SaveWindowScreenshot(solid.get(), "harness_screenshot_test");
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8u) << path;
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(path.rfind(HarnessDirectory(), 0), 0u) << path;
}

} // namespace
