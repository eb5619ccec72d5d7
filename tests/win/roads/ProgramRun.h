#pragma once
// The built program run as a process of its own, as a user or the service control manager
// starts it: a copy in a folder whose name holds a blank, a bounded wait for its end, and the
// desktop client's window found and ended the way the window honours (log-off, then close).
#include "classlib/WinHandles.h"

#include <optional>
#include <string>

namespace vek::testing {

// The program (TarvoVEK.exe) copied once into "<temp>\vek roads test\"; the build names the
// original through the environment variable VEK_PROGRAM.
std::string ProgramCopyPath();

class ProgramRun {
public:
    // Starts the program with the text after its quoted path as the rest of its command line.
    explicit ProgramRun(const std::string& arguments);
    // A process still running is ended (and waited for, bounded).
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD ProcessId() const { return processId_; }
    // The exit code once the process has ended within the bound; nothing while it still runs.
    std::optional<DWORD> WaitForExit(DWORD boundMs);
    bool Running();

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
};

// The desktop client's main window (class "TVEK", caption "Tarvo VEK v3.0.4"), or null.
HWND FindClientWindow();
// Polls for it for at most boundMs.
HWND WaitForClientWindow(DWORD boundMs);
// How many top-level windows of that class and caption exist.
int CountClientWindows();
// Tells the window that the session ends (WM_QUERYENDSESSION), then asks it to close, since a
// plain close only hides it.
void EndDesktopClient(HWND window);

} // namespace vek::testing
