// The baseline of the start-up and memory figures: the least a Win32 program
// with a visible window does (register a class, create and show the window,
// run a message loop), built and linked as the program is.
#include <windows.h>

namespace {
LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MinimalProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "LfBenchMinimalWindow";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, module, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
