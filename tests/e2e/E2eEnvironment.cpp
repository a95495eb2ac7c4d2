#include "E2eEnvironment.h"

#include <cstdlib>

#include "ProgramProcess.h"
#include "ScreenCapture.h"

namespace {
std::string& StoredProgramPath()
{
    static std::string path;
    return path;
}
} // namespace

const std::string& ProgramPath()
{
    return StoredProgramPath();
}

void SetProgramPath(const std::string& path)
{
    StoredProgramPath() = WindowsPathOf(path);
}

std::string KeepScreenshot(HWND window, const std::string& name)
{
    // Whatever is still waiting to be painted is painted first.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300);
    const std::string kept = SaveWindowScreenshot(window, name);
    if (const char* docs = std::getenv("LF_DOCS_SCREENSHOTS")) {
        if (*docs) SaveWindowPng(window, WindowsPathOf(docs) + "\\" + name + ".png");
    }
    return kept;
}
