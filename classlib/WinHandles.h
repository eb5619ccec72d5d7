#pragma once
// Move-only owners of Windows handles: each closes its handle once, when it goes out of scope.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

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
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};

// GDI objects: fonts, brushes, bitmaps.
template <class Object> struct GdiObjectTraits {
    static Object Invalid() { return nullptr; }
    static void Close(Object object) { ::DeleteObject(object); }
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
using UniqueModule = UniqueOwner<HMODULE, ModuleTraits>;
using UniqueFont = UniqueOwner<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueOwner<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueOwner<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueWindow = UniqueOwner<HWND, WindowTraits>;
using UniqueImageList = UniqueOwner<HIMAGELIST, ImageListTraits>;

// A COM interface pointer released once.
template <class Interface> class ComPtr {
public:
    ComPtr() = default;
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
