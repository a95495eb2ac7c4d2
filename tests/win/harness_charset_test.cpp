// Texts are UTF-8 in the sources and CP1252 in the program: an umlaut
// literal must reach a window as one byte per character.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WHandle.h"

namespace {

static_assert(sizeof("ä") == 2, "the execution character set must be single-byte (CP1252)");

struct WindowOwner {
    HWND window;
    ~WindowOwner()
    {
        if (window)
            DestroyWindow(window);
    }
};

std::string WindowBytes(HWND window)
{
    char buffer[256] = {};
    LRESULT length = SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<size_t>(length));
}

TEST(HarnessCharset, TheAnsiCodePageIs1252)
{
    EXPECT_EQ(GetACP(), 1252u);
}

TEST(HarnessCharset, UmlautsReachAWindowAsSingleCp1252Bytes)
{
    WindowOwner owner {CreateWindowA("STATIC", "ä ö ü", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 200, 60,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)};
    ASSERT_NE(owner.window, nullptr) << GetLastError();
    EXPECT_EQ(WindowBytes(owner.window), "\xE4 \xF6 \xFC");

    struct Case {
        const char* text;
        const char* bytes;
        const wchar_t* unicode;
    };
    const Case cases[] = {
        {"äöü", "\xE4\xF6\xFC", L"\u00E4\u00F6\u00FC"},
        {"ÄÖÜß", "\xC4\xD6\xDC\xDF", L"\u00C4\u00D6\u00DC\u00DF"},
        {"Grüße", "Gr\xFC\xDF" "e", L"Gr\u00FC\u00DFe"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetWindowTextA(owner.window, c.text));
        EXPECT_EQ(WindowBytes(owner.window), c.bytes);
        wchar_t wide[64] = {};
        GetWindowTextW(owner.window, wide, 64);
        EXPECT_EQ(std::wstring(wide), c.unicode) << "the window reads the bytes as CP1252";
    }
}

} // namespace
