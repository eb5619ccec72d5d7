#include "Main/program/UnregisterRoad.h"

#include "Main/core/VEKGlobals.h"
#include "classlib/WinHandles.h"

namespace vek {
namespace {

constexpr char kServiceName[] = "TarvoVEKService3";

// Opens the manager and the service with full access, runs the action, then closes the service
// and the manager; every result is ignored, as the road reports nothing.
template <class Action> void WithService(Action action) {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    UniqueService service(::OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS));
    action(service.get());
}

} // namespace

void UnregisterRoad() {
    Globals->Unregister();
    if (!Globals->IsServiceInstalled()) {
        return;
    }
    WithService([](SC_HANDLE service) {
        SERVICE_STATUS status;
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    });
    TRegistry machine(HKEY_LOCAL_MACHINE);
    machine.DeleteKey(kSettingsKey);
    WithService([](SC_HANDLE service) { ::DeleteService(service); });
}

} // namespace vek
