// A minimal service for the tests of the service's installation: started with "-service" (as the
// registered command line passes it) it reports running until the manager tells it to stop.
#include "servicecontrol/ServiceActions.h"

#include <cstring>

namespace {

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopRequested = nullptr;

void Report(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? 2000 : 0;
    ::SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP) {
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(stopRequested);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, char**) {
    statusHandle = ::RegisterServiceCtrlHandlerExA(vek::kServiceName, Control, nullptr);
    if (statusHandle == nullptr) {
        return;
    }
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(stopRequested, INFINITE);
    Report(SERVICE_STOPPED);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "-service") != 0) {
        return 2;
    }
    stopRequested = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char name[] = "TarvoVEKService3";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
