// lfwin: the run command's hands inside Wine. Finds a top-level window by its
// caption, waits for it, captures it to a PNG, or asks it to close.
//
//   lfwin wait  <caption> <timeout_ms>   exit 0 once the window is up and its
//                                        thread answers messages
//   lfwin shot  <caption> <file.png>     what the screen shows of the window
//   lfwin close <caption> <timeout_ms>   post WM_CLOSE; exit 0 once it is gone
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "ScreenCapture.h"

namespace {

HWND FindVisibleWindow(const char* caption)
{
    HWND window = FindWindowA(nullptr, caption);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// True once the window's thread has finished creating it and pumps messages.
bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

int WaitForWindow(const char* caption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindVisibleWindow(caption);
        if (window && Answers(window))
            return 0;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    std::fprintf(stderr, "lfwin: no window \"%s\" after %lu ms\n", caption, timeoutMs);
    return 1;
}

int CaptureWindow(const char* caption, const char* path)
{
    HWND window = FindVisibleWindow(caption);
    if (!window) {
        std::fprintf(stderr, "lfwin: no window \"%s\"\n", caption);
        return 1;
    }
    SaveWindowPng(window, path);
    return 0;
}

int CloseWindow(const char* caption, DWORD timeoutMs)
{
    HWND window = FindWindowA(nullptr, caption);
    if (!window)
        return 0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "lfwin: \"%s\" still open after %lu ms\n", caption, timeoutMs);
            return 1;
        }
        Sleep(50);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: lfwin wait|shot|close <caption> <timeout_ms|file.png>\n");
        return 2;
    }
    std::string command = argv[1];
    try {
        if (command == "wait")
            return WaitForWindow(argv[2], std::strtoul(argv[3], nullptr, 10));
        if (command == "shot")
            return CaptureWindow(argv[2], argv[3]);
        if (command == "close")
            return CloseWindow(argv[2], std::strtoul(argv[3], nullptr, 10));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lfwin: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "lfwin: unknown command %s\n", argv[1]);
    return 2;
}
