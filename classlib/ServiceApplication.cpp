#include "classlib/ServiceApplication.h"

#include "classlib/MessagePump.h"

#include <atomic>
#include <mutex>

namespace vek {
namespace {

constexpr DWORD kStartWaitHint = 10000;
// The stop event tells the desktop client with a wait of at most 5 s.
constexpr DWORD kStopWaitHint = 10000;

enum class Outcome { Pending, Connected, Failed };

} // namespace

struct TServiceApplication::State {
    State(TService& serviceModule, DWORD mainThread)
        : module(serviceModule), mainThreadId(mainThread),
          decided(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          stopRequested(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

    // The first decision wins: whether the manager connected, or why not.
    void Decide(Outcome value, DWORD error) {
        Outcome expected = Outcome::Pending;
        if (outcome.compare_exchange_strong(expected, value)) {
            failure = error;
            ::SetEvent(decided.get());
        }
    }

    // The one place that tells the manager the service's state.
    void ReportStatus(DWORD state, DWORD waitHint = 0, DWORD win32ExitCode = NO_ERROR,
                      DWORD serviceExitCode = 0) {
        std::lock_guard lock(statusMutex);
        ReportStatusLocked(state, waitHint, win32ExitCode, serviceExitCode);
    }

    // From the control handler: STOP_PENDING first, then the service thread is woken. Only a
    // running service can be asked to stop; a repeated request changes nothing.
    void RequestStop() {
        std::lock_guard lock(statusMutex);
        if (status.dwCurrentState != SERVICE_RUNNING) {
            return;
        }
        ReportStatusLocked(SERVICE_STOP_PENDING, kStopWaitHint, NO_ERROR, 0);
        ::SetEvent(stopRequested.get());
    }

    void ReportStatusLocked(DWORD state, DWORD waitHint, DWORD win32ExitCode,
                            DWORD serviceExitCode) {
        const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
        status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status.dwCurrentState = state;
        status.dwControlsAccepted =
            state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
        status.dwWin32ExitCode = win32ExitCode;
        status.dwServiceSpecificExitCode = serviceExitCode;
        status.dwCheckPoint = pending ? status.dwCheckPoint + 1 : 0;
        status.dwWaitHint = pending ? waitHint : 0;
        ::SetServiceStatus(statusHandle, &status);
    }

    TService& module;
    const DWORD mainThreadId;
    UniqueHandle decided;
    UniqueHandle stopRequested;
    std::atomic<Outcome> outcome{Outcome::Pending};
    DWORD failure = 0;
    std::atomic<DWORD> exitCode{0};
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    std::mutex statusMutex;
    SERVICE_STATUS status{};
};

namespace {

// ServiceMain gets no context from the dispatcher table; one service runs per process.
std::atomic<TServiceApplication::State*> running{nullptr};

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void* context) {
    auto& state = *static_cast<TServiceApplication::State*>(context);
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        state.RequestStop();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// An event that raises is taken as a refusal: a start, so the service stops with an exit code,
// or a stop, never, so the service does stop.
bool RunStart(TService& module) {
    bool started = false;
    try {
        module.ServiceStart(started);
    } catch (...) {
        started = false;
    }
    return started;
}

bool RunStop(TService& module) {
    bool stopped = false;
    try {
        module.ServiceStop(stopped);
    } catch (...) {
        stopped = true;
    }
    return stopped;
}

// The service thread: the dispatcher starts it for the service, apart from both the main thread
// and the thread the control handler runs on.
void WINAPI ServiceMain(DWORD, LPSTR*) {
    TServiceApplication::State& state = *running.load();
    state.statusHandle =
        ::RegisterServiceCtrlHandlerExA(state.module.Name.c_str(), &ControlHandler, &state);
    if (state.statusHandle == nullptr) {
        state.Decide(Outcome::Failed, ::GetLastError());
        return;
    }
    state.Decide(Outcome::Connected, NO_ERROR);
    state.ReportStatus(SERVICE_START_PENDING, kStartWaitHint);
    if (!RunStart(state.module)) {
        state.exitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        state.ReportStatus(SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, state.module.ErrCode);
        return;
    }
    state.ReportStatus(SERVICE_RUNNING);
    while (true) {
        ::WaitForSingleObject(state.stopRequested.get(), INFINITE);
        if (RunStop(state.module)) {
            break;
        }
        state.ReportStatus(SERVICE_RUNNING);
    }
    state.ReportStatus(SERVICE_STOPPED);
}

// The dispatcher returns when the service has stopped, which ends the main loop, or at once when
// the program was not started by the manager, before the loop ever ran.
DWORD WINAPI DispatcherThread(void* parameter) {
    auto& state = *static_cast<TServiceApplication::State*>(parameter);
    std::string name = state.module.Name;
    SERVICE_TABLE_ENTRYA table[] = {{name.data(), &ServiceMain}, {nullptr, nullptr}};
    const DWORD error = ::StartServiceCtrlDispatcherA(table) ? NO_ERROR : ::GetLastError();
    state.Decide(Outcome::Failed, error);
    if (state.outcome == Outcome::Connected) {
        ::PostThreadMessageA(state.mainThreadId, WM_QUIT, 0, 0);
    }
    return 0;
}

} // namespace

TServiceApplication::TServiceApplication() = default;
TServiceApplication::~TServiceApplication() = default;

DWORD TServiceApplication::Run(TService& module) {
    // The queue must exist before the dispatcher thread can post the end of the loop to it.
    MSG peeked;
    ::PeekMessageA(&peeked, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    state_ = std::make_unique<State>(module, ::GetCurrentThreadId());
    running = state_.get();
    UniqueHandle dispatcher(
        ::CreateThread(nullptr, 0, &DispatcherThread, state_.get(), 0, nullptr));
    if (!dispatcher) {
        return ::GetLastError();
    }

    // The module's timers were armed when it was created, and thread timers tick only while
    // this thread takes messages. The loop therefore starts only once the manager has called
    // ServiceMain: when the dispatcher fails (the program was not started by the manager), no
    // timer event, so no check and no request, ever runs.
    const bool decided =
        ::WaitForSingleObject(state_->decided.get(), kConnectTimeout) == WAIT_OBJECT_0;
    const bool connected = decided && state_->outcome == Outcome::Connected;
    if (connected) {
        RunMessageLoop();
    }
    const DWORD result = !decided    ? ERROR_SERVICE_REQUEST_TIMEOUT
                         : connected ? state_->exitCode.load()
                                     : state_->failure;
    if (::WaitForSingleObject(dispatcher.get(), kDispatcherEndTimeout) != WAIT_OBJECT_0) {
        // A dispatcher that never returned may still call into the state: it is left to the
        // end of the process rather than freed under it.
        static_cast<void>(state_.release());
        return result;
    }
    running = nullptr;
    return result;
}

} // namespace vek
