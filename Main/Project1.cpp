// The program's main block.
#include "VEKGlobals.h"

#include "Seams.h"

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

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    seams::Random().Seed(RandomSeed());
    return 0;
}
