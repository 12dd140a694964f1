// Owning wrappers for Win32 handles: one unique_ptr deleter per kind of handle.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <type_traits>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace handles_detail {
// Lets unique_ptr hold a handle type that is itself a pointer (HICON, HMENU...).
template <typename H, auto Close>
struct HandleDeleter {
    using pointer = H;
    void operator()(H h) const noexcept
    {
        if (h) Close(h);
    }
};
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void CloseImageList(HIMAGELIST h) { ImageList_Destroy(h); }
inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseDC(HDC h) { DeleteDC(h); }
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void DestroyWindowHandle(HWND h) { DestroyWindow(h); }
inline void FreeShellMemory(void* p) { CoTaskMemFree(p); }
}  // namespace handles_detail

using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>,
                                   handles_detail::HandleDeleter<HICON, handles_detail::CloseIcon>>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>,
                                   handles_detail::HandleDeleter<HMENU, handles_detail::CloseMenu>>;
using UniqueImageList =
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>,
                    handles_detail::HandleDeleter<HIMAGELIST, handles_detail::CloseImageList>>;
using UniqueGdiObject =
    std::unique_ptr<std::remove_pointer_t<HGDIOBJ>,
                    handles_detail::HandleDeleter<HGDIOBJ, handles_detail::CloseGdiObject>>;
// A memory device context from CreateCompatibleDC (DeleteDC, not ReleaseDC).
using UniqueMemoryDC =
    std::unique_ptr<std::remove_pointer_t<HDC>, handles_detail::HandleDeleter<HDC, handles_detail::CloseDC>>;
using UniqueKey =
    std::unique_ptr<std::remove_pointer_t<HKEY>, handles_detail::HandleDeleter<HKEY, handles_detail::CloseKey>>;
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>,
                                     handles_detail::HandleDeleter<HWND, handles_detail::DestroyWindowHandle>>;
// A shell-allocated item identifier list.
using UniquePidl = std::unique_ptr<ITEMIDLIST, handles_detail::HandleDeleter<ITEMIDLIST*, handles_detail::FreeShellMemory>>;

// A kernel handle. CreateFile and friends report failure as INVALID_HANDLE_VALUE, others
// as null: both are stored as empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) noexcept { reset(h); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    HANDLE release() noexcept { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr) noexcept
    {
        if (h == INVALID_HANDLE_VALUE) h = nullptr;
        if (h_) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// Keeps an HGLOBAL locked for its lifetime.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL h) noexcept : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard()
    {
        if (p_) GlobalUnlock(h_);
    }
    void* data() const noexcept { return p_; }
    SIZE_T size() const noexcept { return p_ ? GlobalSize(h_) : 0; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

private:
    HGLOBAL h_;
    void* p_;
};

// Runs a one-off restore (SetBkColor back, CloseClipboard...) when the scope ends.
template <typename F>
class [[nodiscard]] ScopeGuard {
public:
    explicit ScopeGuard(F f) noexcept(std::is_nothrow_move_constructible_v<F>) : f_(std::move(f)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() { f_(); }

private:
    F f_;
};

// The device context of a window, or of the screen for null, from GetDC; ReleaseDC at
// the end of the scope.
class [[nodiscard]] ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC()
    {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a pen, brush, font or bitmap into a device context and the one it replaced
// back at the end of the scope: a DC must not be released or deleted holding ours.
// A null object or DC selects nothing.
class [[nodiscard]] ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr)
    {
        if (old_ == HGDI_ERROR) old_ = nullptr;
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject()
    {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};
