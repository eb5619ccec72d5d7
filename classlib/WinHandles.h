#pragma once
// Move-only owners of Windows handles: each closes its handle once, when it goes out of scope.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <ws2tcpip.h>

#include <utility>

namespace vek {

template <class Handle, class Traits> class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) : handle_(handle) {}
    ~UniqueOwner() { reset(); }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }
    // For APIs that return the handle through an out parameter; the owner must be empty.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

// Kernel handles whose "none" is NULL (tokens, mutexes, events, threads).
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
// File handles, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};
struct ServiceHandleTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static void Close(SC_HANDLE handle) { ::CloseServiceHandle(handle); }
};
struct SocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET socket) { ::closesocket(socket); }
};
// The address list getaddrinfo returns.
struct AddressInfoTraits {
    static addrinfo* Invalid() { return nullptr; }
    static void Close(addrinfo* list) { ::freeaddrinfo(list); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};
// Searches begun by FindFirstFileA, whose "none" is INVALID_HANDLE_VALUE.
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { ::FindClose(search); }
};
// Memory the system allocated for the caller with LocalAlloc (ConvertSidToStringSidA).
template <class Pointer> struct LocalMemoryTraits {
    static Pointer Invalid() { return nullptr; }
    static void Close(Pointer memory) { ::LocalFree(memory); }
};
// Pens, brushes, fonts, bitmaps. An object must not be deleted while it is selected into a
// device context: declare its owner before the ScopedSelection that selects it.
template <class Object> struct GdiObjectTraits {
    static Object Invalid() { return nullptr; }
    static void Close(Object object) { ::DeleteObject(object); }
};
// Device contexts made by CreateCompatibleDC (or CreateDC); a window's DC is UniqueWindowDc.
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};
// Icons the program made (CreateIconIndirect, LoadImage without LR_SHARED); a shared icon is
// never destroyed.
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON icon) { ::DestroyIcon(icon); }
};
// Menus not attached to a window (a window destroys its own menu bar): pop-up menus and menus
// loaded from resources.
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND window) { ::DestroyWindow(window); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST list) { ::ImageList_Destroy(list); }
};

using UniqueHandle = UniqueOwner<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleTraits>;
using UniqueKey = UniqueOwner<HKEY, RegKeyTraits>;
using UniqueService = UniqueOwner<SC_HANDLE, ServiceHandleTraits>;
using UniqueSocket = UniqueOwner<SOCKET, SocketTraits>;
using UniqueAddressInfo = UniqueOwner<addrinfo*, AddressInfoTraits>;
using UniqueModule = UniqueOwner<HMODULE, ModuleTraits>;
using UniqueFind = UniqueOwner<HANDLE, FindTraits>;
template <class Pointer> using UniqueLocalMemory = UniqueOwner<Pointer, LocalMemoryTraits<Pointer>>;
template <class Object> using UniqueGdiObject = UniqueOwner<Object, GdiObjectTraits<Object>>;
using UniqueMemoryDc = UniqueOwner<HDC, MemoryDcTraits>;
using UniqueIcon = UniqueOwner<HICON, IconTraits>;
using UniqueMenu = UniqueOwner<HMENU, MenuTraits>;

// A window's device context from GetDC, released to the window it came from.
class UniqueWindowDc {
public:
    UniqueWindowDc() = default;
    // GetDC(nullptr) is the screen's DC.
    explicit UniqueWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~UniqueWindowDc() { reset(); }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    UniqueWindowDc(UniqueWindowDc&& other) noexcept
        : window_(other.window_), dc_(other.release()) {}
    UniqueWindowDc& operator=(UniqueWindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = other.window_;
            dc_ = other.release();
        }
        return *this;
    }

    HDC get() const { return dc_; }
    HWND window() const { return window_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // Gives up the DC: the caller releases it to window(), read before this call.
    HDC release() {
        window_ = nullptr;
        return std::exchange(dc_, nullptr);
    }
    void reset() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
        window_ = nullptr;
        dc_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// An object (pen, brush, font, bitmap; not a region) selected into a device context for one
// scope: the object it replaced is selected again at the end, so that the DC and the object can
// both be deleted.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {
        if (previous_ == HGDI_ERROR) {
            previous_ = nullptr;
        }
    }
    ~ScopedSelection() { reset(); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
    ScopedSelection(ScopedSelection&& other) noexcept
        : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
    ScopedSelection& operator=(ScopedSelection&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = other.dc_;
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }

    // Whether the object was selected.
    explicit operator bool() const { return previous_ != nullptr; }
    HGDIOBJ previous() const { return previous_; }
    // Leaves the object selected; the caller selects the returned previous object again.
    HGDIOBJ release() { return std::exchange(previous_, nullptr); }
    void reset() {
        if (previous_ != nullptr) {
            ::SelectObject(dc_, previous_);
            previous_ = nullptr;
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

using UniqueWindow = UniqueOwner<HWND, WindowTraits>;
using UniqueImageList = UniqueOwner<HIMAGELIST, ImageListTraits>;

// A COM interface pointer released once.
template <class Interface> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds (a new object's first one).
    explicit ComPtr(Interface* adopted) : pointer_(adopted) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void reset() {
        if (pointer_ != nullptr) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }
    void** put() {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }

private:
    Interface* pointer_ = nullptr;
};

// COM initialised for this thread; uninitialised only when the initialisation succeeded.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComInit() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

} // namespace vek
