#include "provider/probe/ProviderProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vek::provider::probe {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartTimeout = std::chrono::seconds(30);
constexpr auto kExitPoll = std::chrono::milliseconds(5);
constexpr std::string_view kListening = "listening on ";

// The text after "label" on one of the provider's start lines.
std::optional<std::string> Field(const std::string& line, const std::string& label) {
    if (line.rfind(label, 0) != 0)
        return std::nullopt;
    return line.substr(line.find_first_not_of(' ', label.size()));
}

Endpoint EndpointOf(const std::string& text) {
    const auto endpoint = ParseEndpoint(text);
    if (!endpoint)
        throw std::runtime_error("the provider printed no endpoint: " + text);
    return *endpoint;
}

std::array<Endpoint, 2> PairOf(const std::string& text) {
    const auto comma = text.find(',');
    return {EndpointOf(text.substr(0, comma)), EndpointOf(text.substr(comma + 1))};
}

pid_t Spawn(const std::vector<std::string>& args, int out) {
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(out, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace

ProviderProcess::ProviderProcess(const std::string& program, const std::string& dataDir,
                                 const std::vector<std::string>& extraArgs,
                                 const ServerAddresses& addresses) {
    const std::string echoes = addresses.echo1 + ":0," + addresses.echo2 + ":0";
    std::vector<std::string> args = {program,
                                     "--data",
                                     dataDir,
                                     "serve",
                                     "--quiet",
                                     "--http",
                                     addresses.update + ":0",
                                     "--https",
                                     addresses.update + ":0",
                                     "--echo-http",
                                     echoes,
                                     "--echo-dns",
                                     echoes};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    pid_ = Spawn(args, fds[1]);
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        throw std::runtime_error("cannot start " + program);
    }
    std::string pending;
    bool ready = false;
    const auto deadline = Clock::now() + kStartTimeout;
    while (!ready && Clock::now() < deadline) {
        pollfd fd{fds[0], POLLIN, 0};
        if (poll(&fd, 1, 1000) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (auto text = Field(line, "update server (HTTP):")) {
                http = EndpointOf(*text);
            } else if (auto tls = Field(line, "update server (HTTPS):")) {
                // "localhost:8443 (listening on 127.0.0.1:8443)"
                const auto from = tls->find(kListening) + kListening.size();
                https = EndpointOf(tls->substr(from, tls->find(')', from) - from));
            } else if (auto echo = Field(line, "HTTP IP echo:")) {
                echoHttp = PairOf(*echo);
            } else if (auto dns = Field(line, "DNS IP echo:")) {
                echoDns = PairOf(*dns);
            } else if (line == "ready") {
                ready = true;
            }
        }
    }
    close(fds[0]);
    if (!ready) {
        StopWith(SIGKILL, std::chrono::seconds(5));
        throw std::runtime_error("the provider did not start");
    }
}

ProviderProcess::~ProviderProcess() {
    if (pid_ > 0)
        StopWith(SIGKILL, std::chrono::seconds(5));
}

std::optional<int> ProviderProcess::StopWith(int signal, std::chrono::milliseconds wait) {
    if (pid_ <= 0)
        return std::nullopt;
    kill(pid_, signal);
    const auto deadline = Clock::now() + wait;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return std::nullopt;
        }
        std::this_thread::sleep_for(kExitPoll);
    }
    pid_ = -1;
    return status;
}

long ProviderProcess::StatusKiB(const std::string& field) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(field.size()));
    }
    return -1;
}

long ProviderProcess::PeakMemoryKiB() const { return StatusKiB("VmHWM:"); }

long ProviderProcess::ResidentMemoryKiB() const { return StatusKiB("VmRSS:"); }

void ProviderProcess::ResetPeakMemory() const {
    std::ofstream("/proc/" + std::to_string(pid_) + "/clear_refs") << "5";
}

double ProviderProcess::CpuSeconds() const {
    std::ifstream file("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), {});
    // The fields after the command name in parentheses; utime and stime are the 12th and 13th.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i >= 12)
            ticks += std::stol(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace vek::provider::probe
