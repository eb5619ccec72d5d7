#include "tests/win/support/ServiceFakes.h"

#include <cstring>

namespace vek::testing {
namespace {

HANDLE const kProcessToken = reinterpret_cast<HANDLE>(0x51);
HANDLE const kThreadToken = reinterpret_cast<HANDLE>(0x52);

BOOL Fail(DWORD error) {
    ::SetLastError(error);
    return FALSE;
}

} // namespace

BOOL FakeVersion::GetVersionExA(OSVERSIONINFOA* info) {
    requestedSize = info->dwOSVersionInfoSize;
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    info->dwMajorVersion = major_;
    info->dwMinorVersion = minor_;
    info->dwBuildNumber = build_;
    info->dwPlatformId = platformId;
    return TRUE;
}

FakeToken::FakeToken(std::vector<BYTE> userSid) : sid_(std::move(userSid)) {}

BOOL FakeToken::OpenProcessToken(DWORD access, HANDLE* token) {
    if (processTokenFails || access != TOKEN_QUERY) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    *token = kProcessToken;
    ++open;
    return TRUE;
}

BOOL FakeToken::OpenThreadToken(DWORD access, BOOL openAsSelf, HANDLE* token) {
    if (threadTokenError != 0 || access != TOKEN_QUERY || !openAsSelf) {
        return Fail(threadTokenError != 0 ? threadTokenError : ERROR_ACCESS_DENIED);
    }
    *token = kThreadToken;
    ++open;
    return TRUE;
}

BOOL FakeToken::GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer,
                                    DWORD length, DWORD* returned) {
    if (kind == TokenElevation) {
        if (elevationQueryFails || length != sizeof(TOKEN_ELEVATION)) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        static_cast<TOKEN_ELEVATION*>(buffer)->TokenIsElevated = elevated ? 1 : 0;
        *returned = sizeof(TOKEN_ELEVATION);
        return TRUE;
    }
    if (kind != TokenUser || userQueryFails) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD needed = sizeof(TOKEN_USER) + static_cast<DWORD>(sid_.size());
    *returned = needed;
    if (length < needed) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* user = static_cast<TOKEN_USER*>(buffer);
    BYTE* sid = static_cast<BYTE*>(buffer) + sizeof(TOKEN_USER);
    std::memcpy(sid, sid_.data(), sid_.size());
    user->User.Sid = sid;
    user->User.Attributes = 0;
    userReadFrom = token == kThreadToken ? "thread" : "process";
    return TRUE;
}

BOOL FakeToken::CloseHandle(HANDLE) {
    --open;
    return TRUE;
}

LONG STDMETHODCALLTYPE FakeServiceAdmin::ManageService(LONG action, const char* commandLine) {
    calls.push_back(std::to_string(action) + " " + commandLine);
    if (!results.empty()) {
        const LONG next = results.front();
        results.pop_front();
        return next;
    }
    return result;
}

HRESULT FakeCom::Hand(REFIID requested, void** object) {
    if (FAILED(failure)) {
        *object = nullptr;
        return failure;
    }
    interfaceId = requested;
    admin.AddRef();
    *object = static_cast<IServiceAdmin*>(&admin);
    return S_OK;
}

HRESULT FakeCom::CoCreateInstance(REFCLSID requestedClass, IUnknown* outer, DWORD requestedContext,
                                  REFIID requested, void** object) {
    ++createCalls;
    classId = requestedClass;
    context = requestedContext;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return Hand(requested, object);
}

HRESULT FakeCom::CoGetObject(LPCWSTR name, BIND_OPTS* options, REFIID requested, void** object) {
    ++getObjectCalls;
    moniker = name;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(options);
    bindOptions.assign(bytes, bytes + options->cbStruct);
    return Hand(requested, object);
}

std::vector<BYTE> MakeSid(const SID_IDENTIFIER_AUTHORITY& authority,
                          const std::vector<DWORD>& subAuthorities) {
    const auto count = static_cast<BYTE>(subAuthorities.size());
    std::vector<BYTE> sid(::GetSidLengthRequired(count));
    ::InitializeSid(sid.data(), const_cast<SID_IDENTIFIER_AUTHORITY*>(&authority), count);
    for (BYTE i = 0; i < count; ++i) {
        *::GetSidSubAuthority(sid.data(), i) = subAuthorities[i];
    }
    return sid;
}

} // namespace vek::testing
