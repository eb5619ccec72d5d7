#pragma once
// The whole reference provider in one object: the store in the data folder, the update server
// over HTTP and HTTPS, two HTTP IP-echo servers and two DNS IP-echo servers. Start() binds every
// endpoint (port 0 takes a free port); the HTTP servers share a few I/O threads, each DNS server
// has its own. Stop() ends them all.
#include "provider/Crypto.h"
#include "provider/Endpoint.h"
#include "provider/Limits.h"
#include "provider/ProviderEndpoints.h"

#include <array>
#include <memory>
#include <string>

namespace vek::provider {

class Store;

struct ProviderConfig {
    std::string dataDir;
    // By default the endpoints the program is built to use.
    Endpoint http{defaults::kHttpAddress, defaults::kHttpPort};
    std::string httpsHost = defaults::kHttpsHost; // the name in the server certificate
    Endpoint https{defaults::kHttpsAddress, defaults::kHttpsPort};
    std::array<Endpoint, 2> echoHttp{
        Endpoint{defaults::kEchoHttp1Address, defaults::kEchoHttp1Port},
        Endpoint{defaults::kEchoHttp2Address, defaults::kEchoHttp2Port}};
    std::array<Endpoint, 2> echoDns{Endpoint{defaults::kEchoDns1Address, defaults::kEchoDnsPort},
                                    Endpoint{defaults::kEchoDns2Address, defaults::kEchoDnsPort}};
    bool logRequests = true;   // one line per request on stderr: peer, method, path, status
    std::size_t ioThreads = 0; // the HTTP servers' I/O threads; 0: one per processor core
    int passwordIterations = kPasswordIterations; // of new password hashes (tests lower it)
    Limits limits;
};

struct BoundEndpoints {
    Endpoint http;
    Endpoint https;
    std::array<Endpoint, 2> echoHttp;
    std::array<Endpoint, 2> echoDns;
    std::string caCertPath;
};

// The data folder's default: $XDG_DATA_HOME/tarvo-provider or ~/.local/share/tarvo-provider.
std::string DefaultDataDir();
// Creates the folder when it is missing and the store in it, makes the folder and everything in
// it owner-only (throws when it cannot); returns the store's path.
std::string PrepareDataDir(const std::string& dataDir);
// The store's path in the data folder.
std::string StorePath(const std::string& dataDir);

class Provider {
public:
    explicit Provider(ProviderConfig config);
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    ~Provider();

    // Throws std::runtime_error when an endpoint cannot be bound; nothing then keeps running.
    BoundEndpoints Start();
    // Closes every listener and connection, commits the updates that wait for the store, and
    // joins every thread.
    void Stop();
    Store& store();

private:
    struct Servers;
    ProviderConfig config_;
    std::unique_ptr<Store> store_;
    std::unique_ptr<Servers> servers_;
};

} // namespace vek::provider
