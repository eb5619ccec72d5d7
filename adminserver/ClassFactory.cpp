#include "adminserver/ClassFactory.h"

#include "adminserver/ServiceAdmin.h"
#include "classlib/WinHandles.h"

#include <new>

namespace vek::admin {

HRESULT STDMETHODCALLTYPE TServiceAdminFactory::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TServiceAdminFactory::CreateInstance(IUnknown* outer, REFIID interfaceId,
                                                               void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    const ComPtr<TServiceAdmin> admin(new (std::nothrow) TServiceAdmin());
    if (!admin) {
        return E_OUTOFMEMORY;
    }
    return admin->QueryInterface(interfaceId, object);
}

HRESULT STDMETHODCALLTYPE TServiceAdminFactory::LockServer(BOOL lock) {
    if (lock) {
        ModuleAddRef();
    } else {
        ModuleRelease();
    }
    return S_OK;
}

} // namespace vek::admin
