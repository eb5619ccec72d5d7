#include "adminserver/ServiceAdmin.h"

#include "adminserver/ServiceCommandCheck.h"
#include "servicecontrol/SPGetSid.h"
#include "servicecontrol/ServiceActions.h"

#include <exception>

namespace vek::admin {
namespace {

LONG moduleReferences = 0;

// The caller's identity on this thread for one scope; reverted only when it was taken.
class ClientImpersonation {
public:
    ClientImpersonation() : impersonating_(SUCCEEDED(::CoImpersonateClient())) {}
    ~ClientImpersonation() {
        if (impersonating_) {
            ::CoRevertToSelf();
        }
    }
    ClientImpersonation(const ClientImpersonation&) = delete;
    ClientImpersonation& operator=(const ClientImpersonation&) = delete;

private:
    bool impersonating_;
};

// The SID of the user who asked for the action. Called across processes, the call carries the
// caller's identity: impersonating it puts the caller's token on the thread, where
// GetCurrentUserSid looks first, so ServiceUser names the installing user even when another
// account's credentials elevated the server. Called in the process there is no call context,
// the impersonation fails, and the process's own user is the caller.
std::string CallerSid() {
    const ClientImpersonation caller;
    return GetCurrentUserSid();
}

} // namespace

void ModuleAddRef() { ::InterlockedIncrement(&moduleReferences); }
void ModuleRelease() { ::InterlockedDecrement(&moduleReferences); }
bool ModuleInUse() { return moduleReferences != 0; }

TServiceAdmin::TServiceAdmin() { ModuleAddRef(); }
TServiceAdmin::~TServiceAdmin() { ModuleRelease(); }

HRESULT STDMETHODCALLTYPE TServiceAdmin::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IServiceAdmin)) {
        *object = static_cast<IServiceAdmin*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TServiceAdmin::AddRef() { return ::InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE TServiceAdmin::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return left;
}

LONG STDMETHODCALLTYPE TServiceAdmin::ManageService(LONG action, const char* commandLine) {
    // No error may cross the COM boundary: every failure is the result 0.
    try {
        std::string installed = commandLine != nullptr ? commandLine : "";
        if (action == ServiceInstall) {
            const std::optional<std::string> own = OwnServiceCommandLine(installed, ServerFolder());
            if (!own) {
                return 0;
            }
            installed = *own;
        }
        return RunServiceAction(action, installed, CallerSid());
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace vek::admin
