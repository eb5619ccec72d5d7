#pragma once
// The service application: runs one service module under the service control manager.
//
// Threads:
// - the main thread runs the message loop, so the module's timers (thread timers of the thread
//   that created the module) tick there, without any window or display;
// - the dispatcher thread calls StartServiceCtrlDispatcherA; the manager's control requests
//   arrive on it, and the control handler does nothing there but report STOP_PENDING and signal;
// - the service thread (the one the dispatcher starts for ServiceMain) runs the module's start
//   and stop events.
#include "classlib/WinHandles.h"

#include <memory>
#include <string>

namespace vek {

// A service module: its names, its start and stop events, and the code it reports when it
// refuses to start.
class TService {
public:
    TService(std::string name, std::string displayName)
        : Name(std::move(name)), DisplayName(std::move(displayName)) {}
    virtual ~TService() = default;
    TService(const TService&) = delete;
    TService& operator=(const TService&) = delete;

    const std::string Name;
    const std::string DisplayName;

    // Run on the service thread. A start refused (started = false) is reported as a stop with
    // the service-specific exit code ErrCode; a stop refused keeps the service running.
    virtual void ServiceStart(bool& started) { started = true; }
    virtual void ServiceStop(bool& stopped) { stopped = true; }

    DWORD ErrCode = 0;
};

class TServiceApplication {
public:
    // How long the main thread waits to learn whether the manager connected; its own time-out
    // for a starting service is 30 s.
    static constexpr DWORD kConnectTimeout = 30000;
    // How long the end waits for the dispatcher to return after the service stopped.
    static constexpr DWORD kDispatcherEndTimeout = 10000;

    // Initialises COM for the main thread (the elevated service control of the core needs it).
    TServiceApplication();
    ~TServiceApplication();
    TServiceApplication(const TServiceApplication&) = delete;
    TServiceApplication& operator=(const TServiceApplication&) = delete;

    // Runs the module until the manager stops it; must be called on the thread that created the
    // module. Returns 0 after a normal stop, or the dispatcher's error (1063 when the program was
    // not started by the service control manager, in which case the loop never runs).
    DWORD Run(TService& module);

    struct State;

private:
    ComInit com_;
    // Freed with the application, unless a dispatcher thread that never returned may still use
    // it (see Run).
    std::unique_ptr<State> state_;
};

} // namespace vek
