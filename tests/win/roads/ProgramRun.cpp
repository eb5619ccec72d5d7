#include "tests/win/roads/ProgramRun.h"

#include "tests/win/support/PollUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vek::testing {
namespace {

constexpr char kWindowClass[] = "TVEK";
constexpr char kWindowCaption[] = "Tarvo VEK v3.0.4";
constexpr DWORD kTerminateWaitMs = 10000;
constexpr DWORD kQueryEndSessionTimeoutMs = 5000;

std::string WindowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

// The test and the programs it starts live on a desktop of their own: Wine starts the default
// desktop's process for whichever program needs it first, and a test running beside this one
// without a display would leave the program without a window.
constexpr char kTestDesktop[] = "vek-roads-test";

void EnterTestDesktop() {
    static const bool entered = [] {
        HDESK desktop = ::CreateDesktopA(kTestDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        EXPECT_NE(desktop, nullptr) << "error " << ::GetLastError();
        EXPECT_TRUE(desktop != nullptr && ::SetThreadDesktop(desktop))
            << "error " << ::GetLastError();
        return true;
    }();
    static_cast<void>(entered);
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    char className[64] = {};
    char caption[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowTextA(window, caption, sizeof caption);
    if (std::string(className) == kWindowClass && std::string(caption) == kWindowCaption) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

} // namespace

std::string ProgramCopyPath() {
    static const std::string path = [] {
        const char* original = std::getenv("VEK_PROGRAM");
        if (original == nullptr) {
            ADD_FAILURE() << "VEK_PROGRAM does not name the program";
            return std::string();
        }
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        const std::string folder = std::string(temp) + "vek roads test\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        const std::string copy = folder + "TarvoVEK.exe";
        EXPECT_TRUE(::CopyFileA(WindowsPath(original).c_str(), copy.c_str(), FALSE))
            << original << " error " << ::GetLastError();
        return copy;
    }();
    return path;
}

ProgramRun::ProgramRun(const std::string& arguments) {
    const std::string program = ProgramCopyPath();
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    EnterTestDesktop();
    std::string desktop = kTestDesktop;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << ::GetLastError();
        return;
    }
    const UniqueHandle thread(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
}

ProgramRun::~ProgramRun() {
    if (Running()) {
        ADD_FAILURE() << "process " << processId_ << " was still running and is ended";
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), kTerminateWaitMs);
    }
}

std::optional<DWORD> ProgramRun::WaitForExit(DWORD boundMs) {
    if (!process_ || ::WaitForSingleObject(process_.get(), boundMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool ProgramRun::Running() {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND FindClientWindow() {
    EnterTestDesktop();
    return ::FindWindowA(kWindowClass, kWindowCaption);
}

HWND WaitForClientWindow(DWORD boundMs) {
    HWND window = nullptr;
    PollUntil([&window] { return (window = FindClientWindow()) != nullptr; }, boundMs);
    return window;
}

int CountClientWindows() {
    EnterTestDesktop();
    int count = 0;
    ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void EndDesktopClient(HWND window) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                          kQueryEndSessionTimeoutMs, &answer);
    EXPECT_EQ(answer, 1u) << "the window agrees to the end of the session";
    ::PostMessageA(window, WM_CLOSE, 0, 0);
}

} // namespace vek::testing
