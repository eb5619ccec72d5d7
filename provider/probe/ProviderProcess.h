#pragma once
// A tarvo-provider process serving on free loopback ports, for the benchmark and the tests that
// need the servers in a process of their own (to measure its memory, stop it with a signal or
// kill it). It dies with the thread that started it; its destructor kills it when still running.
#include "provider/Endpoint.h"

#include <sys/types.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vek::provider::probe {

// The loopback addresses the process serves on: the update server (HTTP and HTTPS), and the
// first and second echo servers (HTTP and DNS).
struct ServerAddresses {
    std::string update = "127.0.0.1";
    std::string echo1 = "127.0.0.2";
    std::string echo2 = "127.0.0.3";
};

class ProviderProcess {
public:
    // Runs `program --data dataDir serve --quiet` on port 0 of those addresses (plus extraArgs)
    // and waits at most 30 s for its "ready" line; throws std::runtime_error when it does not
    // come.
    ProviderProcess(const std::string& program, const std::string& dataDir,
                    const std::vector<std::string>& extraArgs = {},
                    const ServerAddresses& addresses = {});
    ProviderProcess(const ProviderProcess&) = delete;
    ProviderProcess& operator=(const ProviderProcess&) = delete;
    ~ProviderProcess();

    Endpoint http;
    Endpoint https;
    std::array<Endpoint, 2> echoHttp;
    std::array<Endpoint, 2> echoDns;

    pid_t pid() const { return pid_; }
    // Sends the signal and waits for the exit, at most `wait`; the exit status, or nothing when
    // it did not end in time (it is then killed).
    std::optional<int> StopWith(int signal, std::chrono::milliseconds wait);
    // The peak resident memory since start or the last reset, in KiB.
    long PeakMemoryKiB() const;
    // The resident memory now, in KiB.
    long ResidentMemoryKiB() const;
    void ResetPeakMemory() const;
    // User and system CPU time used so far.
    double CpuSeconds() const;

private:
    // A "Vm...:" field of the process's status, in KiB; -1 when missing.
    long StatusKiB(const std::string& field) const;

    pid_t pid_ = -1;
};

} // namespace vek::provider::probe
