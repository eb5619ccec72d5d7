// The program's main block: seeds the pseudo-random generator, then runs the road of the role
// that the first command-line argument names. Globals already exists (module initialisation).
#include "SingleInstance.h"
#include "VEKGlobals.h"
#include "forms/Unit1.h"

#include "Seams.h"
#include "WinHandles.h"

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

int RunMessageLoop() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

// The desktop client: one instance per session; a second one hands over and ends.
int DesktopClientRoad(HINSTANCE instance) {
    vek::SingleInstance singleInstance;
    if (!singleInstance.ShouldRun()) {
        return 0;
    }
    vek::ComInit com;
    vek::TVEK mainWindow(instance);
    return RunMessageLoop();
}

std::string FirstArgument() { return __argc > 1 ? __argv[1] : ""; }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    seams::Random().Seed(RandomSeed());
    const std::string first = FirstArgument();
    if (__argc > 1 && (first == "-service" || first == "-unregister")) {
        return 0;
    }
    return DesktopClientRoad(instance);
}
