#pragma once
// The reference provider's operator commands from inside a Windows test: Wine starts the Linux
// shell, which runs `provider.sh cmd <state> ...` of the provider fixture, named by the
// environment's VEK_PROVIDER_SCRIPT and VEK_PROVIDER_STATE (Linux paths).
#include <string>
#include <vector>

namespace vek::testing {

struct OperatorResult {
    // The command's exit status; -1 when it did not run or did not end in time.
    int status;
    // Its standard output and standard error.
    std::string output;
};

// Runs one operator command, e.g. {"echo", "set", "203.0.113.7"}, and waits at most 30 s for it.
// An argument may hold any character but the double quote.
OperatorResult RunProviderCommand(const std::vector<std::string>& arguments);

} // namespace vek::testing
