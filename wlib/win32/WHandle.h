#pragma once
// RAII owners for the Win32 handles the library creates. Each owner is
// movable, not copyable, and releases its handle with the matching function.
#include <windows.h>

#include <utility>

template <class H, class Traits>
class WUniqueHandle {
public:
    WUniqueHandle() = default;
    explicit WUniqueHandle(H handle) : handle_(handle) {}
    ~WUniqueHandle() { Reset(); }
    WUniqueHandle(const WUniqueHandle&) = delete;
    WUniqueHandle& operator=(const WUniqueHandle&) = delete;
    WUniqueHandle(WUniqueHandle&& other) noexcept : handle_(other.Release()) {}
    WUniqueHandle& operator=(WUniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    H Get() const { return handle_; }
    bool IsValid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }
    H Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(H handle = Traits::Invalid())
    {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    H handle_ = Traits::Invalid();
};

struct WKernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct WFileHandleTraits { // CreateFile reports failure as INVALID_HANDLE_VALUE
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <class H>
struct WGdiObjectTraits {
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
    static void Close(H h) { DeleteObject(h); }
};
struct WIconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct WMenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

using WKernelHandle = WUniqueHandle<HANDLE, WKernelHandleTraits>;
using WFileHandle = WUniqueHandle<HANDLE, WFileHandleTraits>;
using WFontHandle = WUniqueHandle<HFONT, WGdiObjectTraits<HFONT>>;
using WBitmapHandle = WUniqueHandle<HBITMAP, WGdiObjectTraits<HBITMAP>>;
using WBrushHandle = WUniqueHandle<HBRUSH, WGdiObjectTraits<HBRUSH>>;
using WIconHandle = WUniqueHandle<HICON, WIconTraits>;
using WMenuHandle = WUniqueHandle<HMENU, WMenuTraits>;
