#pragma once
// Helpers of the tests against the real service control manager: the test service's program,
// installed with a copy of the admin server in a folder whose name holds a blank, bounded waits for
// the service's state, and a clean-up that removes whatever an action left behind.
#include "classlib/Seams.h"

#include <string>
#include <vector>

namespace vek::testing {

// The folder the tests install from, as the program and its admin server are installed together:
// "vek service test\" below the temporary folder, holding the test service program under the
// program's name "TarvoVEK.exe" and, when the test program has one beside it, a copy of the admin
// server "AdminManager.dll". Copied once per test process.
std::string InstalledFolder();
// The test service program in that folder.
std::string TestServicePath();

DWORD ServiceState();     // 0 when the service does not exist
DWORD ServiceProcessId(); // 0 when it does not run
bool WaitForServiceState(DWORD state);
// A deleted service may linger a moment before the manager lets it go.
bool WaitUntilServiceGone();

// Stops and deletes the service and deletes the machine-wide settings key.
void RemoveTestService();

bool MachineKeyExists();
std::string MachineValue(const std::string& name);
void WriteMachineValue(const std::string& name, const std::string& value);

// Stands in for the fixed waits of the service actions: returns as soon as the service has
// stopped or is gone, and after the asked time at most, so a test waits no longer than needed.
// Installed for its lifetime.
class PollingSleeper final : public seams::ISleeper {
public:
    void Sleep(DWORD milliseconds) override;
    std::vector<DWORD> calls;
    // The service's state when each wait ended.
    std::vector<DWORD> statesAfter;

private:
    seams::Seam<seams::ISleeper>::Override override_{*this};
};

} // namespace vek::testing
