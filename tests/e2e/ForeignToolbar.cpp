#include "ForeignToolbar.h"

#include <commctrl.h>

#include <stdexcept>

namespace {
constexpr SIZE_T kTipBytes = 4096;

// A piece of memory in another process, freed with the object.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, SIZE_T size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
        if (!address_) throw std::runtime_error("VirtualAllocEx failed");
    }
    ~RemoteMemory() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* Address() const { return static_cast<char*>(address_); }
    void Write(SIZE_T offset, const void* bytes, SIZE_T size) const
    {
        SIZE_T written = 0;
        if (!WriteProcessMemory(process_, Address() + offset, bytes, size, &written) || written != size)
            throw std::runtime_error("WriteProcessMemory failed");
    }
    void Read(SIZE_T offset, void* bytes, SIZE_T size) const
    {
        SIZE_T read = 0;
        if (!ReadProcessMemory(process_, Address() + offset, bytes, size, &read) || read != size)
            throw std::runtime_error("ReadProcessMemory failed");
    }

private:
    HANDLE process_;
    void* address_;
};
} // namespace

int ForeignToolbar::ButtonCount() const
{
    LRESULT count = -1;
    return toolbar_.Send(TB_BUTTONCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

std::string ForeignToolbar::Tip(int commandId) const
{
    LRESULT tipsWindow = 0;
    if (!toolbar_.Send(TB_GETTOOLTIPS, 0, 0, tipsWindow) || !tipsWindow) throw std::runtime_error("no tip window");
    const ForeignWindow tips(reinterpret_cast<HWND>(tipsWindow));

    RemoteMemory memory(process_, sizeof(TTTOOLINFOA) + kTipBytes);
    const SIZE_T textOffset = sizeof(TTTOOLINFOA);
    const char empty[1] = {'\0'};
    memory.Write(textOffset, empty, sizeof empty);
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = toolbar_.Handle();
    info.uId = static_cast<UINT_PTR>(commandId);
    info.lpszText = memory.Address() + textOffset;
    memory.Write(0, &info, sizeof info);
    LRESULT ignored = 0;
    if (!tips.Send(TTM_GETTEXTA, kTipBytes, reinterpret_cast<LPARAM>(memory.Address()), ignored))
        throw std::runtime_error("the tip window does not answer");
    std::string text(kTipBytes, '\0');
    memory.Read(textOffset, &text[0], kTipBytes);
    text.resize(text.find('\0') == std::string::npos ? kTipBytes : text.find('\0'));
    return text;
}
