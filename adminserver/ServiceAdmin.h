#pragma once
// The admin server's object: carries out one service action for its caller with the rights of
// the process it runs in (elevated on Windows from version 6 on).
#include "servicecontrol/AdminManager.h"

namespace vek::admin {

// Objects and locks alive in this module; the module may be unloaded when none is.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

class TServiceAdmin final : public IServiceAdmin {
public:
    TServiceAdmin();
    TServiceAdmin(const TServiceAdmin&) = delete;
    TServiceAdmin& operator=(const TServiceAdmin&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    LONG STDMETHODCALLTYPE ManageService(LONG action, const char* commandLine) override;

private:
    ~TServiceAdmin();
    LONG references_ = 1;
};

} // namespace vek::admin
