// Benchmark of a large update reply (not a test): one IP check whose update request is answered by
// 1 MiB of "name:2" lines, every name a different host reported missing, in a scrambled order. It
// is timed in the service role (no main window) and in the desktop role (a recording main window),
// from the check to the missing names' hint on the window. It writes the settings key of the
// prefix it runs in and removes it again:
//   <build>/wine-run <build>/tests/win/network/UpdateReplyBenchmark.exe
#include "Main/core/IPCheckCycle.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/CycleFakes.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScopedGlobals.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr std::size_t kReplyBytes = 1 << 20;

// The reply lines "h<n>.example:2", n running through a fixed permutation, up to kReplyBytes.
std::string MissingHostsReply(std::size_t& names) {
    std::string reply;
    names = 0;
    std::uint32_t n = 1;
    while (reply.size() < kReplyBytes) {
        // A full-period generator modulo 2^20 scrambles the order without repeating a name.
        n = (n * 1664525u + 1013904223u) & 0xFFFFFu;
        reply += "h" + std::to_string(n) + ".example:2\n";
        ++names;
    }
    return reply;
}

class QuietHooks final : public vek::IIPCheckHooks {
public:
    void Log(const std::string&, bool) override {}
    void ClientIdDisabled(vek::TIPCheckCycle&) override {}
};

// Milliseconds of one check with the reply, after which the core holds `names` missing hosts.
double TimeOneCheck(vek::TVEKGlobals& globals, const std::string& reply, std::size_t names) {
    vek::testing::ScriptedNetwork network;
    network.Answer("198.51.100.7");
    network.replies.push_back(reply);
    QuietHooks hooks;
    vek::TIPCheckCycle cycle(hooks, 600000);
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    cycle.CheckIP();
    // What the core posted for the message loop: the desktop's hint of the missing names.
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
    ::QueryPerformanceCounter(&end);
    if (globals.MissingHosts.Count() != names) {
        std::printf("expected %zu missing hosts, found %zu\n", names, globals.MissingHosts.Count());
        return -1;
    }
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int main() {
    const vek::testing::SettingsKeyGuard settings;
    vek::TVEKGlobals globals(vek::TVEKGlobalsOptions{{"-benchmark"}, nullptr});
    const vek::testing::ScopedGlobals installed(globals);
    globals.Endpoints.UpdateServer = "192.0.2.10:8080";
    globals.SetCID("client-7");
    globals.SetCKey("0123456789abcdef");
    globals.SetUpdateList("h[]=a.example");
    std::size_t names = 0;
    const std::string reply = MissingHostsReply(names);
    std::printf("reply: %zu bytes, %zu names\n", reply.size(), names);

    const double service = TimeOneCheck(globals, reply, names);
    std::printf("service role: %.1f ms\n", service);

    vek::testing::FakeMainWindow window;
    const vek::testing::ScopedMainWindow shown(globals, &window);
    double desktop = 0;
    // The first round also makes the message-only window that the hint is posted through.
    for (const char* round : {"first", "second"}) {
        globals.SetUpdateList("h[]=a.example");
        globals.CurrentIP.clear();
        desktop = TimeOneCheck(globals, reply, names);
        std::printf("desktop role, %s round: %.1f ms\n", round, desktop);
    }
    return service >= 0 && desktop >= 0 ? 0 : 1;
}
