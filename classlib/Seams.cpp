#include "classlib/Seams.h"

#include "common/PseudoRandom.h"

// After windows.h (through Seams.h), which defines its types.
#include <ntsecapi.h>

namespace seams {
namespace {

class RealVersionApi final : public IVersionApi {
public:
    BOOL GetVersionExA(OSVERSIONINFOA* info) override { return ::GetVersionExA(info); }
};

class RealTokenApi final : public ITokenApi {
public:
    BOOL OpenProcessToken(DWORD access, HANDLE* token) override {
        return ::OpenProcessToken(::GetCurrentProcess(), access, token);
    }
    BOOL OpenThreadToken(DWORD access, BOOL openAsSelf, HANDLE* token) override {
        return ::OpenThreadToken(::GetCurrentThread(), access, openAsSelf, token);
    }
    BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD length,
                             DWORD* returned) override {
        return ::GetTokenInformation(token, kind, buffer, length, returned);
    }
    BOOL CloseHandle(HANDLE token) override { return ::CloseHandle(token); }
};

class RealComApi final : public IComApi {
public:
    HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId,
                             void** object) override {
        return ::CoCreateInstance(classId, outer, context, interfaceId, object);
    }
    HRESULT CoGetObject(LPCWSTR name, BIND_OPTS* options, REFIID interfaceId,
                        void** object) override {
        return ::CoGetObject(name, options, interfaceId, object);
    }
};

class RealClock final : public IClock {
public:
    SYSTEMTIME LocalTime() override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        return now;
    }
    DWORD TickCount() override { return ::GetTickCount(); }
};

class RealSleeper final : public ISleeper {
public:
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
};

class RealUdpWait final : public IUdpWait {
public:
    int WaitReadable(SOCKET socket, DWORD milliseconds) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval limit{static_cast<long>(milliseconds / 1000),
                      static_cast<long>((milliseconds % 1000) * 1000)};
        return ::select(0, &readable, nullptr, nullptr, &limit);
    }
};

class RealSocketBind final : public ISocketBind {
public:
    int Bind(SOCKET socket, const sockaddr* address, int length) override {
        return ::bind(socket, address, length);
    }
};

class RealWindowApi final : public IWindowApi {
public:
    HWND FindWindowA(LPCSTR className, LPCSTR windowName) override {
        return ::FindWindowA(className, windowName);
    }
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return ::SendMessageA(window, message, wParam, lParam);
    }
    LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                UINT timeout, DWORD_PTR* result) override {
        return ::SendMessageTimeoutA(window, message, wParam, lParam, flags, timeout, result);
    }
};

class ProgramRandom final : public IRandom {
public:
    void Seed(std::uint32_t seed) override { generator_.Seed(seed); }
    std::uint32_t Next(std::uint32_t range) override { return generator_.Next(range); }

private:
    vek::PseudoRandom generator_;
};

class SystemSecureRandom final : public ISecureRandom {
public:
    bool Fill(void* buffer, unsigned long length) override {
        return ::RtlGenRandom(buffer, length) != FALSE;
    }
};

} // namespace

VEK_DEFAULT_SEAM(IVersionApi, RealVersionApi)
VEK_DEFAULT_SEAM(ITokenApi, RealTokenApi)
VEK_DEFAULT_SEAM(IComApi, RealComApi)
VEK_DEFAULT_SEAM(IClock, RealClock)
VEK_DEFAULT_SEAM(ISleeper, RealSleeper)
VEK_DEFAULT_SEAM(IUdpWait, RealUdpWait)
VEK_DEFAULT_SEAM(ISocketBind, RealSocketBind)
VEK_DEFAULT_SEAM(IWindowApi, RealWindowApi)
VEK_DEFAULT_SEAM(IRandom, ProgramRandom)
VEK_DEFAULT_SEAM(ISecureRandom, SystemSecureRandom)

} // namespace seams
