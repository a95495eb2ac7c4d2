#include "UnixProcess.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The whole of a small file, or empty.
std::string ReadSmallFile(const std::string& path)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < 65536) text.append(buffer, got);
    std::fclose(file);
    return text;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

double UnixProcess::CpuMs(const std::string& pid)
{
    if (pid.empty()) return -1.0;
    const std::string text = ReadSmallFile("Z:\\proc\\" + pid + "\\stat");
    // After the command name in parentheses: state is field 3, utime and
    // stime are fields 14 and 15, in clock ticks (100 a second).
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return -1.0;
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(text.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime)
        != 2)
        return -1.0;
    return static_cast<double>(utime + stime) * 10.0;
}

std::string UnixProcess::PidOfProgram(const std::string& windowsPath)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    std::string found;
    do {
        const std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string commandLine = ReadSmallFile("Z:\\proc\\" + name + "\\cmdline");
        if (SameIgnoringCase(std::string(commandLine.c_str()), windowsPath)) {
            found = name;
            break;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

std::string UnixProcess::WineServerPid()
{
    const char* harness = std::getenv("LF_HARNESS_DIR");
    if (!harness) return std::string();
    const std::string text = ReadSmallFile(std::string(harness) + "\\wineserver.pid");
    const std::size_t end = text.find_first_not_of("0123456789");
    return text.substr(0, end);
}
