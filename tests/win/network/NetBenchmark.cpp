// Benchmark of the public-IP detection (not a test): 1000 DNS-format detections and 1000 HTTP-echo
// detections against the network test servers on loopback, with the median and 99th percentile
// of one detection and the process's peak working set. It sets AlternateIP in the prefix's
// settings key as it goes. With the servers running (tests/servers/fixture.sh start <dir> ...):
//   <build>/wine-run <build>/tests/win/network/NetBenchmark.exe Z:<dir>/ports.env
#include "Main/core/VEKGlobals.h"
#include "tests/win/support/KeyValueFile.h"

#include <windows.h>
// After windows.h, which defines its types.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 1000;

// Times `rounds` detections; false when one of them failed.
bool Measure(const char* name, const std::function<std::string()>& detect) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> millis;
    for (int i = 0; i < kRounds; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        const std::string address = detect();
        ::QueryPerformanceCounter(&end);
        if (address.empty()) {
            std::printf("%s: detection %d failed\n", name, i + 1);
            return false;
        }
        millis.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                         static_cast<double>(frequency.QuadPart));
    }
    std::sort(millis.begin(), millis.end());
    std::printf("%-10s %d detections: median %.3f ms, 99th percentile %.3f ms\n", name, kRounds,
                millis[millis.size() / 2], millis[millis.size() * 99 / 100]);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: NetBenchmark <ports.env of the test servers>\n");
        return 2;
    }
    auto ports = vek::testing::ReadKeyValueFile(argv[1]);
    if (ports["DNS_PORT"].empty() || ports["ECHO_PORT"].empty()) {
        std::fprintf(stderr, "NetBenchmark: no server ports in %s\n", argv[1]);
        return 1;
    }
    vek::TVEKGlobals globals(vek::TVEKGlobalsOptions{{"-benchmark"}, nullptr});
    globals.Endpoints.DnsEcho1 = "127.0.0.2";
    globals.Endpoints.DnsEcho2 = "127.0.0.3";
    globals.Endpoints.DnsEchoPort = static_cast<std::uint16_t>(std::stoi(ports["DNS_PORT"]));
    globals.Endpoints.HttpEcho1 = "127.0.0.2:" + ports["ECHO_PORT"];
    globals.Endpoints.HttpEcho2 = "127.0.0.3:" + ports["ECHO_PORT"];

    globals.SetAlternateIP(false);
    const bool dns = Measure("DNS", [&] { return globals.GetRemoteIP(""); });
    globals.SetAlternateIP(true);
    const bool http = Measure("HTTP echo", [&] { return globals.GetRemoteIP(""); });
    globals.SetAlternateIP(false);

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) {
        std::printf("peak working set: %.1f MiB\n",
                    static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
    }
    return dns && http ? 0 : 1;
}
