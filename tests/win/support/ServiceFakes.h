#pragma once
// Scripted platform answers: the version, the access token (elevation and the user's SID), the
// COM creation of the elevated road, and a recording sleep. Each fake is the seam for its
// lifetime.
#include "classlib/Seams.h"
#include "servicecontrol/AdminManager.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace vek::testing {

// GetVersionExA reporting a fixed version; a structure of another size than OSVERSIONINFOA is
// refused.
class FakeVersion final : public seams::IVersionApi {
public:
    explicit FakeVersion(DWORD major, DWORD minor = 0, DWORD build = 2600)
        : major_(major), minor_(minor), build_(build) {}
    BOOL GetVersionExA(OSVERSIONINFOA* info) override;
    // The size the caller gave in the last call.
    DWORD requestedSize = 0;
    DWORD platformId = VER_PLATFORM_WIN32_NT;

private:
    DWORD major_;
    DWORD minor_;
    DWORD build_;
    seams::Seam<seams::IVersionApi>::Override override_{*this};
};

// A token whose user is the given SID and whose elevation is scripted. Every opened token must
// be closed.
class FakeToken final : public seams::ITokenApi {
public:
    explicit FakeToken(std::vector<BYTE> userSid = {});

    BOOL OpenProcessToken(DWORD access, HANDLE* token) override;
    BOOL OpenThreadToken(DWORD access, BOOL openAsSelf, HANDLE* token) override;
    BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD length,
                             DWORD* returned) override;
    BOOL CloseHandle(HANDLE token) override;

    bool elevated = true;
    bool elevationQueryFails = false;
    bool processTokenFails = false;
    bool userQueryFails = false;
    // The error of OpenThreadToken; 0 gives the thread a token of its own.
    DWORD threadTokenError = ERROR_NO_TOKEN;
    // Which token the SID was read from: "thread" or "process".
    std::string userReadFrom;
    int open = 0;

private:
    std::vector<BYTE> sid_;
    seams::Seam<seams::ITokenApi>::Override override_{*this};
};

// An admin object that records its calls and answers with a scripted result.
class FakeServiceAdmin final : public IServiceAdmin {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    LONG STDMETHODCALLTYPE ManageService(LONG action, const char* commandLine) override;

    // Answered in order, then result for every further call.
    std::deque<LONG> results;
    LONG result = 1;
    LONG references = 0;
    std::vector<std::string> calls;
};

// Records both creation calls and hands out the fake admin object unless a failure is scripted.
class FakeCom final : public seams::IComApi {
public:
    HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId,
                             void** object) override;
    HRESULT CoGetObject(LPCWSTR name, BIND_OPTS* options, REFIID interfaceId,
                        void** object) override;

    HRESULT failure = S_OK;
    FakeServiceAdmin admin;
    int createCalls = 0;
    int getObjectCalls = 0;
    CLSID classId{};
    IID interfaceId{};
    DWORD context = 0;
    std::wstring moniker;
    // The bind options' bytes, as many as their size field gives: 36 in the 32-bit program, with
    // the owner window at 32 (a 64-bit build of the tests: 48, the owner at 40).
    std::vector<BYTE> bindOptions;
    static constexpr std::size_t kBindOptionsSize = sizeof(void*) == 4 ? 36 : 48;
    static constexpr std::size_t kBindOptionsOwnerAt = sizeof(void*) == 4 ? 32 : 40;

private:
    HRESULT Hand(REFIID requested, void** object);

    seams::Seam<seams::IComApi>::Override override_{*this};
};

class RecordingSleeper final : public seams::ISleeper {
public:
    void Sleep(DWORD milliseconds) override { calls.push_back(milliseconds); }
    std::vector<DWORD> calls;

private:
    seams::Seam<seams::ISleeper>::Override override_{*this};
};

// The SID S-1-<authority>-<sub-authorities...> in its binary form.
std::vector<BYTE> MakeSid(const SID_IDENTIFIER_AUTHORITY& authority,
                          const std::vector<DWORD>& subAuthorities);

} // namespace vek::testing
