// The program's main block: seeds the pseudo-random generator, then runs the road of the role
// that the first command-line argument names. Globals already exists (module initialisation).
#include "Main/core/VEKGlobals.h"
#include "Main/forms/Unit1.h"
#include "Main/program/SingleInstance.h"
#include "Main/program/UnregisterRoad.h"
#include "Main/service/VEKService.h"

#include "classlib/HandlerBoundary.h"
#include "classlib/MessagePump.h"
#include "classlib/Seams.h"
#include "classlib/ServiceApplication.h"
#include "classlib/SystemLibrary.h"
#include "classlib/WinHandles.h"

namespace {

// The seed of the pseudo-random generator: the low 32 bits of the performance counter, or the
// tick count when the system has no such counter.
std::uint32_t RandomSeed() {
    LARGE_INTEGER counter;
    if (::QueryPerformanceCounter(&counter)) {
        return static_cast<std::uint32_t>(counter.QuadPart);
    }
    return ::GetTickCount();
}

// The desktop client: one instance per session; a second one hands over and ends.
int DesktopClientRoad() {
    vek::SingleInstance singleInstance;
    if (!singleInstance.ShouldRun()) {
        return 0;
    }
    vek::ComInit com;
    // An error that reaches a handler's boundary is logged, and shown when a user action raised it.
    vek::SetHandlerErrorReporting(vek::kApplicationTitle,
                                  [](const std::string& text) { vek::Globals->Log(text, false); });
    vek::TVEK mainWindow;
    return vek::RunMessageLoop();
}

// The service: its module's timers tick on this thread until the service control manager stops
// it; the module is destroyed before Globals.
int ServiceRoad() {
    vek::TServiceApplication application;
    vek::TTarvoVEKService3 module;
    return static_cast<int>(application.Run(module));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // First of all: no library loaded from here on comes from the program's folder or the
    // current one, where a user could have put one for the service to run as the system account.
    vek::RestrictDllSearch();
    seams::Random().Seed(RandomSeed());
    // Only the first argument counts, compared exactly.
    const std::string first = __argc > 1 ? __argv[1] : "";
    if (__argc > 1 && first == "-service") {
        return ServiceRoad();
    }
    if (__argc > 1 && first == "-unregister") {
        vek::UnregisterRoad();
        return 0;
    }
    return DesktopClientRoad();
}
