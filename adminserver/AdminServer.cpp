// The admin server DLL's entry points: the class object of TServiceAdmin, the proxy and stub of
// IServiceAdmin (generated from AdminManager.idl, entry points prefixed "Prx"), and the
// self-registration that regsvr32 calls.
#include "adminserver/ClassFactory.h"
#include "adminserver/Registration.h"
#include "adminserver/ServiceAdmin.h"
#include "classlib/ClassLibError.h"
#include "servicecontrol/AdminManager.h"

#include <olectl.h>

extern "C" {
BOOL WINAPI PrxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
HRESULT WINAPI PrxDllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object);
HRESULT WINAPI PrxDllCanUnloadNow();
HRESULT WINAPI PrxDllRegisterServer();
HRESULT WINAPI PrxDllUnregisterServer();
}

namespace {

HMODULE thisModule = nullptr;
vek::admin::TServiceAdminFactory factory;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
    }
    // The proxy code keeps the module handle its registration writes.
    return PrxDllMain(instance, reason, reserved);
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object) {
    if (IsEqualCLSID(classId, vek::CLSID_ServiceAdmin)) {
        return factory.QueryInterface(interfaceId, object);
    }
    return PrxDllGetClassObject(classId, interfaceId, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    if (vek::admin::ModuleInUse()) {
        return S_FALSE;
    }
    return PrxDllCanUnloadNow();
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    try {
        vek::admin::RegisterServer(thisModule);
    } catch (const vek::EClassLibError&) {
        vek::admin::UnregisterServer();
        return SELFREG_E_CLASS;
    }
    const HRESULT proxy = PrxDllRegisterServer();
    if (FAILED(proxy)) {
        vek::admin::UnregisterServer();
    }
    return proxy;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    vek::admin::UnregisterServer();
    return PrxDllUnregisterServer();
}
