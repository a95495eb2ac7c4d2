#include "WToolbar.h"

#include <vector>

#include "WEventData.h"
#include "WIcon.h"

WToolbar::~WToolbar()
{
    // The toolbar window must be gone before its image list.
    HWND handle = GetHandle();
    Detach();
    if (handle && IsWindow(handle)) DestroyWindow(handle);
    if (images_) ImageList_Destroy(images_);
}

bool WToolbar::Create(const WWindow& parent, HINSTANCE module, const char* recordName)
{
    if (GetHandle() || !parent.GetHandle()) return false;
    const DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER;
    HWND handle = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, 0, 0, 1, 1, parent.GetHandle(), nullptr,
                                  module, nullptr);
    if (!handle || !Attach(handle)) {
        if (handle) DestroyWindow(handle);
        return false;
    }
    SendMessageA(handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    HRSRC found = FindResourceA(module, recordName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    Build(ToolbarRecord::Parse(bytes, bytes ? size : 0), module);
    return true;
}

void WToolbar::Build(const ToolbarRecord& record, HINSTANCE module)
{
    if (!GetHandle() || !record.HasHeader()) return;
    const ToolbarRecord::Header& header = record.GetHeader();
    SendMessageA(GetHandle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(header.imageWidth, header.imageHeight));
    BuildImageList(record, module);
    SendMessageA(GetHandle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(header.buttonWidth, header.buttonHeight));
    AddEntries(record);
    SendMessageA(GetHandle(), TB_AUTOSIZE, 0, 0);
}

void WToolbar::BuildImageList(const ToolbarRecord& record, HINSTANCE module)
{
    const ToolbarRecord::Header& header = record.GetHeader();
    if (images_) {
        SendMessageA(GetHandle(), TB_SETIMAGELIST, 0, 0);
        ImageList_Destroy(images_);
    }
    images_ = ImageList_Create(header.imageWidth, header.imageHeight, ILC_COLOR32 | ILC_MASK, 40, 8);
    if (!images_) return;
    SendMessageA(GetHandle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    // The system's standard images come first, so the record's indexes 0-26 mean them.
    if (header.standardImages) {
        SendMessageA(GetHandle(), TB_LOADIMAGES, header.largeImages ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
                     reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    }
    if (header.viewImages) {
        SendMessageA(GetHandle(), TB_LOADIMAGES, header.largeImages ? IDB_VIEW_LARGE_COLOR : IDB_VIEW_SMALL_COLOR,
                     reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    }
    for (const ToolbarRecord::ImageRecord& image : record.GetImageRecords()) {
        AddImageRecord(image, header.imageWidth, header.imageHeight, module);
    }
}

void WToolbar::AddImageRecord(const ToolbarRecord::ImageRecord& image, int width, int height, HINSTANCE module)
{
    if (image.isIcon) {
        WIcon icon;
        if (icon.Load(module, image.resourceId, width, height)) ImageList_AddIcon(images_, icon.GetHandle());
        return;
    }
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(image.resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip) return;
    // The strip's top-left pixel is its background colour.
    COLORREF mask = RGB(192, 192, 192);
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc) {
        HGDIOBJ old = SelectObject(dc, strip);
        mask = GetPixel(dc, 0, 0);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ImageList_AddMasked(images_, strip, mask);
    DeleteObject(strip);
}

void WToolbar::AddEntries(const ToolbarRecord& record)
{
    std::vector<TBBUTTON> buttons;
    for (const ToolbarRecord::Entry& entry : record.GetEntries()) {
        if (!entry.include) continue;
        TBBUTTON button{};
        const bool separator = entry.kind == ToolbarRecord::Kind::Separator;
        button.iBitmap = separator ? 0 : entry.imageIndex;
        button.idCommand = entry.commandId;
        button.fsStyle = static_cast<BYTE>(separator ? BTNS_SEP : BTNS_BUTTON);
        BYTE state = 0;
        if (entry.enabled || entry.wrap) state |= TBSTATE_ENABLED;
        if (entry.checked) state |= TBSTATE_CHECKED;
        if (entry.pressed) state |= TBSTATE_PRESSED;
        if (entry.indeterminate) state |= TBSTATE_INDETERMINATE;
        if (entry.hidden) state |= TBSTATE_HIDDEN;
        if (entry.wrap) state |= TBSTATE_WRAP;
        button.fsState = state;
        button.dwData = static_cast<DWORD_PTR>(static_cast<uint32_t>(entry.userValue));
        button.iString = -1;
        buttons.push_back(button);
    }
    if (!buttons.empty()) {
        SendMessageA(GetHandle(), TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    }
    for (const ToolbarRecord::Entry& entry : record.GetEntries()) {
        if (entry.include && entry.kind == ToolbarRecord::Kind::Button) SetButtonTip(entry.commandId, entry.tip);
    }
}

int WToolbar::GetButtonCount() const
{
    return GetHandle() ? static_cast<int>(SendMessageA(GetHandle(), TB_BUTTONCOUNT, 0, 0)) : 0;
}

HWND WToolbar::GetTipWindow() const
{
    return GetHandle() ? reinterpret_cast<HWND>(SendMessageA(GetHandle(), TB_GETTOOLTIPS, 0, 0)) : nullptr;
}

bool WToolbar::SetButtonTip(int commandId, const WString& tip)
{
    HWND tips = GetTipWindow();
    if (!tips) return false;
    const LRESULT index = SendMessageA(GetHandle(), TB_COMMANDTOINDEX, commandId, 0);
    if (index < 0) return false;
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = GetHandle();
    info.uId = static_cast<UINT_PTR>(commandId);
    // Replace what the button had, so there is one tip per button.
    SendMessageA(tips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(GetHandle(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&info.rect));
    info.uFlags = 0; // the toolbar relays the mouse to its own tip window
    info.hinst = nullptr;
    info.lpszText = const_cast<char*>(tip.GetText());
    return SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

WString WToolbar::GetButtonTip(int commandId) const
{
    HWND tips = GetTipWindow();
    if (!tips) return WString();
    char buffer[1024] = {};
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = GetHandle();
    info.uId = static_cast<UINT_PTR>(commandId);
    info.lpszText = buffer;
    // TTM_GETTEXTA takes the buffer's size in wParam (comctl32 6).
    SendMessageA(tips, TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
    buffer[sizeof(buffer) - 1] = '\0';
    return WString(buffer);
}

void WToolbar::OnParentCommand(UINT, int id)
{
    WClickEventData data;
    data.id = id;
    RaiseEvent(WEventId::Click, &data);
}
