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
    const std::string kept = SaveWindowScreenshot(window, name);
    if (const char* docs = std::getenv("LF_DOCS_SCREENSHOTS")) {
        if (*docs) SaveWindowPng(window, WindowsPathOf(docs) + "\\" + name + ".png");
    }
    return kept;
}
