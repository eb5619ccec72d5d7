#include "adminserver/ServiceCommandCheck.h"

#include "servicecontrol/ServiceActions.h"

#include <windows.h>

#include <string_view>

namespace vek::admin {
namespace {

constexpr std::string_view kServiceSwitch = " -service";

// The program path of "<path> -service" or "\"<path>\" -service"; none for anything else.
std::optional<std::string> RequestedProgram(std::string_view commandLine) {
    if (!commandLine.ends_with(kServiceSwitch)) {
        return std::nullopt;
    }
    std::string_view program = commandLine.substr(0, commandLine.size() - kServiceSwitch.size());
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
        program = program.substr(1, program.size() - 2);
    }
    if (program.empty() || program.find('"') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(program);
}

std::optional<std::string> FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    return std::string(full, length);
}

// The full path with every part in its long form; none when the file does not exist.
std::optional<std::string> LongFullPath(const std::string& path) {
    const std::optional<std::string> full = FullPath(path);
    char longPath[MAX_PATH] = {};
    const DWORD length = full ? ::GetLongPathNameA(full->c_str(), longPath, MAX_PATH) : DWORD{0};
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    return std::string(longPath, length);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                            b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

} // namespace

std::optional<std::string> OwnServiceCommandLine(const std::string& requested,
                                                 const std::string& serverFolder) {
    const std::optional<std::string> program = RequestedProgram(requested);
    const std::optional<std::string> full = program ? FullPath(*program) : std::nullopt;
    const std::optional<std::string> asked = program ? LongFullPath(*program) : std::nullopt;
    const std::optional<std::string> own =
        serverFolder.empty() ? std::nullopt : LongFullPath(serverFolder + kProgramFileName);
    if (!full || !asked || !own || !SameIgnoringCase(*asked, *own)) {
        return std::nullopt;
    }
    return ServiceCommandLine(*full);
}

std::string ServerFolder() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(&ServerFolder), &module)) {
        return {};
    }
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    const std::string file(path, length < MAX_PATH ? length : 0);
    return file.substr(0, file.find_last_of('\\') + 1);
}

} // namespace vek::admin
