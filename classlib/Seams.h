#pragma once
// The program's seams: each platform answer that Wine cannot vary (version, elevation, the user's
// SID, the elevated COM road) or that a test must drive (clock, sleep, UDP wait, socket bind,
// window lookup, the pseudo-random generator, the cryptographic random source, timers) goes through
// one interface here. The default of each calls the real API; a test installs its own with
// Seam<I>::Override.
#include "classlib/WinHandles.h"

#include <cstdint>

namespace seams {

// The current seam of one interface, with the real one installed by default.
template <class I> class Seam {
public:
    static I& Get() { return *Current(); }

    // Replaces the seam for the lifetime of this object (tests only).
    class Override {
    public:
        explicit Override(I& replacement) : previous_(Current()) { Current() = &replacement; }
        ~Override() { Current() = previous_; }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        I* previous_;
    };

private:
    static I*& Current();
};

// The one instance of a seam's real implementation: the default seam points at it, and code that
// must reach the real one while a test overrides the seam may ask for it too.
template <class Implementation> Implementation& RealInstance() {
    static Implementation instance;
    return instance;
}

} // namespace seams

// Defines the default of Seam<Interface>: the real instance of Implementation. Written inside
// namespace seams, once per seam, in the source file of the real implementation; the header of the
// interface declares the specialisation of Seam<Interface>::Current.
#define VEK_DEFAULT_SEAM(Interface, Implementation)                                                \
    template <> Interface*& Seam<Interface>::Current() {                                           \
        static Interface* current = &RealInstance<Implementation>();                               \
        return current;                                                                            \
    }

namespace seams {

// GetVersionExA.
class IVersionApi {
public:
    virtual ~IVersionApi() = default;
    virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
};

// The access-token calls behind the elevation test and the current user's SID.
class ITokenApi {
public:
    virtual ~ITokenApi() = default;
    virtual BOOL OpenProcessToken(DWORD access, HANDLE* token) = 0;
    virtual BOOL OpenThreadToken(DWORD access, BOOL openAsSelf, HANDLE* token) = 0;
    virtual BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer,
                                     DWORD length, DWORD* returned) = 0;
    virtual BOOL CloseHandle(HANDLE token) = 0;
};

// The COM object creation of the elevated road.
class IComApi {
public:
    virtual ~IComApi() = default;
    virtual HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context,
                                     REFIID interfaceId, void** object) = 0;
    virtual HRESULT CoGetObject(LPCWSTR name, BIND_OPTS* options, REFIID interfaceId,
                                void** object) = 0;
};

// One clock: the local time and the 32-bit tick count. A fake advances both together.
class IClock {
public:
    virtual ~IClock() = default;
    virtual SYSTEMTIME LocalTime() = 0;
    virtual DWORD TickCount() = 0;
};

class ISleeper {
public:
    virtual ~ISleeper() = default;
    virtual void Sleep(DWORD milliseconds) = 0;
};

// The wait for a datagram: > 0 when the socket is readable, 0 on time-out, < 0 on error.
class IUdpWait {
public:
    virtual ~IUdpWait() = default;
    virtual int WaitReadable(SOCKET socket, DWORD milliseconds) = 0;
};

// The bind call of a client socket to its local address.
class ISocketBind {
public:
    virtual ~ISocketBind() = default;
    virtual int Bind(SOCKET socket, const sockaddr* address, int length) = 0;
};

// Window lookup and cross-process messages.
class IWindowApi {
public:
    virtual ~IWindowApi() = default;
    virtual HWND FindWindowA(LPCSTR className, LPCSTR windowName) = 0;
    virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT flags, UINT timeout, DWORD_PTR* result) = 0;
};

// The program's pseudo-random generator, seeded once by the entry (tests seed it themselves).
class IRandom {
public:
    virtual ~IRandom() = default;
    virtual void Seed(std::uint32_t seed) = 0;
    // A number from 0 to range - 1.
    virtual std::uint32_t Next(std::uint32_t range) = 0;
};

// The system's cryptographic random source, for numbers no one outside may guess.
class ISecureRandom {
public:
    virtual ~ISecureRandom() = default;
    // Fills the buffer with random bytes; false when the source failed.
    virtual bool Fill(void* buffer, unsigned long length) = 0;
};

inline IVersionApi& Version() { return Seam<IVersionApi>::Get(); }
inline ITokenApi& Token() { return Seam<ITokenApi>::Get(); }
inline IComApi& Com() { return Seam<IComApi>::Get(); }
inline IClock& Clock() { return Seam<IClock>::Get(); }
inline ISleeper& Sleeper() { return Seam<ISleeper>::Get(); }
inline IUdpWait& UdpWait() { return Seam<IUdpWait>::Get(); }
inline ISocketBind& SocketBind() { return Seam<ISocketBind>::Get(); }
inline IWindowApi& Windows() { return Seam<IWindowApi>::Get(); }
inline IRandom& Random() { return Seam<IRandom>::Get(); }
inline ISecureRandom& SecureRandom() { return Seam<ISecureRandom>::Get(); }

// A token opened through the token seam, closed through it.
struct SeamTokenTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE token) { Token().CloseHandle(token); }
};
using SeamToken = vek::UniqueOwner<HANDLE, SeamTokenTraits>;

} // namespace seams

namespace seams {
// The real implementations, defined in Seams.cpp.
template <> IVersionApi*& Seam<IVersionApi>::Current();
template <> ITokenApi*& Seam<ITokenApi>::Current();
template <> IComApi*& Seam<IComApi>::Current();
template <> IClock*& Seam<IClock>::Current();
template <> ISleeper*& Seam<ISleeper>::Current();
template <> IUdpWait*& Seam<IUdpWait>::Current();
template <> ISocketBind*& Seam<ISocketBind>::Current();
template <> IWindowApi*& Seam<IWindowApi>::Current();
template <> IRandom*& Seam<IRandom>::Current();
template <> ISecureRandom*& Seam<ISecureRandom>::Current();
} // namespace seams
