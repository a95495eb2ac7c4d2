#pragma once
// What the end-to-end tests are given from outside: the program's .exe
// (first argument of the test executable, a Unix or Windows path) and where
// screenshots go.
#include <windows.h>

#include <string>

// The Windows path of Leitungsfuchs.exe.
const std::string& ProgramPath();
void SetProgramPath(const std::string& path);

// Writes a screenshot of a window of the program to the harness's screenshot
// folder (<build tree>/wine/screenshots/<name>.png) and, when the variable
// LF_DOCS_SCREENSHOTS names a folder, also there (to refresh the README's
// pictures). Returns the path in the harness folder.
std::string KeepScreenshot(HWND window, const std::string& name);
