#include "provider/Serve.h"

#include "provider/Provider.h"
#include "provider/Store.h"

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <iostream>
#include <stdexcept>

namespace vek::provider {
namespace {

constexpr const char* kDemoEmail = "demo@example.com";
constexpr const char* kDemoPassword = "demo-pass";
// Files the servers hold besides their connections: the store, listeners, DNS sockets, ...
constexpr rlim_t kOtherFiles = 256;

Endpoint EndpointOption(const std::string& text) {
    const auto endpoint = ParseEndpoint(text);
    if (!endpoint)
        throw std::invalid_argument("not an address:port: " + text);
    return *endpoint;
}

std::array<Endpoint, 2> EndpointPair(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        throw std::invalid_argument("two address:port needed: " + text);
    return {EndpointOption(text.substr(0, comma)), EndpointOption(text.substr(comma + 1))};
}

std::size_t ThreadCount(const std::string& text) {
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > 256)
        throw std::invalid_argument("not a thread count from 1 to 256: " + text);
    return count;
}

ProviderConfig ConfigFrom(const ServeOptions& options) {
    ProviderConfig config;
    config.dataDir = options.dataDir;
    for (const auto& [name, value] : options.options) {
        if (name == "--http") {
            config.http = EndpointOption(value);
        } else if (name == "--https") {
            config.https = EndpointOption(value);
        } else if (name == "--https-host") {
            config.httpsHost = value;
        } else if (name == "--echo-http") {
            config.echoHttp = EndpointPair(value);
        } else if (name == "--echo-dns") {
            config.echoDns = EndpointPair(value);
        } else if (name == "--threads") {
            config.ioThreads = ThreadCount(value);
        } else if (name == "--quiet") {
            config.logRequests = false;
        } else {
            throw std::invalid_argument("unknown option " + name);
        }
    }
    return config;
}

// Every connection holds a file: the usual soft limit of 1024 would refuse connections long
// before the connection limit does. Raised as far as the hard limit allows.
void RaiseOpenFileLimit(std::size_t connections, std::ostream& err) {
    const rlim_t wanted = connections + kOtherFiles;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur < wanted) {
        err << "tarvo-provider: the open-file limit (" << limit.rlim_cur
            << ") allows fewer connections than the " << connections << " it may serve\n";
    }
}

void CreateDemo(Store& store, std::ostream& out) {
    try {
        store.AddAccount(kDemoEmail, kDemoPassword);
        for (const char* host :
             {"home.demo.example", "office.demo.example", "cabin.demo.example"}) {
            store.AddHost(kDemoEmail, host);
        }
        store.AddGroup(kDemoEmail, "family", {"home.demo.example", "cabin.demo.example"});
    } catch (const StoreRefusal&) {
        // The demo account exists from an earlier run; it is used as it is.
    }
    const ClientCredentials client = store.IssueClient(kDemoEmail);
    out << "demo account:          " << kDemoEmail << "  password: " << kDemoPassword << "\n"
        << "demo hosts:            home.demo.example office.demo.example cabin.demo.example\n"
        << "demo group:            family (home.demo.example, cabin.demo.example)\n"
        << "demo client id:        " << client.id << "\n"
        << "demo client key:       " << client.key << "\n";
}

void PrintEndpoints(const BoundEndpoints& bound, const ProviderConfig& config, std::ostream& out) {
    out << "update server (HTTP):  " << bound.http.ToString() << "\n"
        << "update server (HTTPS): " << config.httpsHost << ":" << bound.https.port
        << " (listening on " << bound.https.ToString() << ")\n"
        << "HTTP IP echo:          " << bound.echoHttp[0].ToString() << ","
        << bound.echoHttp[1].ToString() << "\n"
        << "DNS IP echo:           " << bound.echoDns[0].ToString() << ","
        << bound.echoDns[1].ToString() << "\n"
        << "CA certificate:        " << bound.caCertPath << "\n"
        << "data folder:           " << config.dataDir << "\n"
        << "ready" << std::endl;
}

} // namespace

int Serve(const ServeOptions& options, std::ostream& out, std::ostream& err) {
    const ProviderConfig config = ConfigFrom(options);
    // Blocked before any server thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    RaiseOpenFileLimit(config.limits.connections, err);

    Provider provider(config);
    if (options.demo)
        CreateDemo(provider.store(), out);
    PrintEndpoints(provider.Start(), config, out);
    int received = 0;
    sigwait(&signals, &received);
    err << "tarvo-provider: stopping\n";
    provider.Stop();
    return 0;
}

} // namespace vek::provider
