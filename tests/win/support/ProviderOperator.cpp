#include "tests/win/support/ProviderOperator.h"

#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/PollUntil.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace vek::testing {
namespace {

constexpr DWORD kCommandBound = 30000;

std::string Environment(const char* name) {
    char value[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// One word for the shell, whatever it holds.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The Windows name of a Linux path, through the drive that maps the root.
std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

} // namespace

// Wine gives no handle to wait on for a Linux process, so the shell hands the output over in a
// file that appears whole (written aside, then renamed), its last line the exit status.
OperatorResult RunProviderCommand(const std::vector<std::string>& arguments) {
    const std::string script = Environment("VEK_PROVIDER_SCRIPT");
    const std::string state = Environment("VEK_PROVIDER_STATE");
    if (script.empty() || state.empty()) {
        ADD_FAILURE() << "VEK_PROVIDER_SCRIPT and VEK_PROVIDER_STATE name the provider fixture";
        return {-1, ""};
    }
    static int serial = 0;
    const std::string result = state + "/operator-" + std::to_string(::GetCurrentProcessId()) +
                               "-" + std::to_string(++serial);
    std::string command = "bash " + ShellQuoted(script) + " cmd " + ShellQuoted(state);
    for (const std::string& argument : arguments) {
        command += " " + ShellQuoted(argument);
    }
    const std::string part = ShellQuoted(result + ".part");
    std::string commandLine = "/bin/sh -c \"{ " + command + "; echo $?; } >" + part +
                              " 2>&1 </dev/null; mv " + part + " " + ShellQuoted(result) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA("Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        ADD_FAILURE() << "the shell did not start: " << ::GetLastError();
        return {-1, ""};
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    const std::string file = WindowsPath(result);
    if (!PollUntil([&] { return FileExists(file); }, kCommandBound)) {
        ADD_FAILURE() << "the operator command did not end within 30 s";
        return {-1, ""};
    }
    std::string output = ReadFileBytes(file);
    ::DeleteFileA(file.c_str());
    if (output.size() < 2) {
        ADD_FAILURE() << "the operator command left no status";
        return {-1, output};
    }
    // The status is the last line.
    const std::size_t statusLine = output.find_last_of('\n', output.size() - 2);
    const std::size_t start = statusLine == std::string::npos ? 0 : statusLine + 1;
    const int status = std::atoi(output.c_str() + start);
    output.erase(start);
    return {status, output};
}

} // namespace vek::testing
