#include "provider/Provider.h"

#include "provider/Certificates.h"
#include "provider/DnsEchoServer.h"
#include "provider/EchoAddress.h"
#include "provider/Exchanges.h"
#include "provider/HttpListener.h"
#include "provider/ProviderRoutes.h"
#include "provider/Store.h"

#include <boost/asio/ssl/context.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace vek::provider {
namespace {

namespace asio = boost::asio;

// Registrations check a slow password hash; they share these threads, off the I/O threads.
constexpr std::size_t kPasswordCheckThreads = 2;

constexpr const char* kTls12Suites = "ECDHE+AESGCM:ECDHE+CHACHA20";
constexpr const char* kTls13Suites =
    "TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256:TLS_AES_128_GCM_SHA256";

asio::ssl::context TlsContext(const TlsFiles& files) {
    asio::ssl::context tls(asio::ssl::context::tls_server);
    tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_compression);
    // TLS 1.2 with forward-secret suites only (TLS 1.3's are all forward-secret), whatever the
    // system's defaults allow.
    if (SSL_CTX_set_min_proto_version(tls.native_handle(), TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_cipher_list(tls.native_handle(), kTls12Suites) != 1 ||
        SSL_CTX_set_ciphersuites(tls.native_handle(), kTls13Suites) != 1) {
        throw std::runtime_error("cannot set the TLS versions and cipher suites");
    }
    // An idle connection keeps no TLS buffers.
    SSL_CTX_set_mode(tls.native_handle(), SSL_MODE_RELEASE_BUFFERS);
    boost::system::error_code error;
    tls.use_certificate_chain_file(files.serverCert, error);
    if (!error)
        tls.use_private_key_file(files.serverKey, asio::ssl::context::pem, error);
    if (error)
        throw std::runtime_error("cannot load the server certificate: " + error.message());
    return tls;
}

// What one I/O thread serves with: a store connection of its own, so that the reads of a
// request never wait for another thread's.
struct WorkerSite {
    explicit WorkerSite(const std::string& storePath)
        : store(storePath), exchanges(store), echo(store) {}

    Store store;
    Exchanges exchanges;
    EchoAddress echo;
    Routes update;
    Routes updateTls;
    Routes echoRoutes;
};

// What one DNS echo server's thread reads the operator's address with.
struct DnsSite {
    explicit DnsSite(const std::string& storePath) : store(storePath), echo(store) {}

    Store store;
    EchoAddress echo;
};

} // namespace

// Declared in the order they may be destroyed in: the pool's connections hold places of the
// limiter and use the sites' routes, and the listeners use the pool.
struct Provider::Servers {
    Servers(const ProviderConfig& config, Store& store, const std::string& storePath,
            const TlsFiles& tlsFiles)
        : log(config.logRequests), limiter(config.limits, log),
          writer(storePath, config.limits.updatesPerCommit),
          passwordChecks(kPasswordCheckThreads, config.limits.passwordChecksPerPeer, log),
          registration(store), throttle(log), tls(TlsContext(tlsFiles)), pool(config.ioThreads) {
        for (std::size_t i = 0; i < pool.size(); ++i) {
            auto site = std::make_unique<WorkerSite>(storePath);
            const UpdateServerParts parts{site->exchanges, registration, throttle, passwordChecks,
                                          writer};
            site->update = UpdateRoutes(parts, false);
            site->updateTls = UpdateRoutes(parts, true);
            site->echoRoutes = EchoRoutes(site->echo);
            sites.push_back(std::move(site));
        }
    }

    std::vector<const Routes*> RoutesOf(Routes WorkerSite::*routes) const {
        std::vector<const Routes*> perWorker;
        for (const auto& site : sites)
            perWorker.push_back(&(*site.*routes));
        return perWorker;
    }

    HttpListener& Listen(const ServerSite& site, Routes WorkerSite::*routes,
                         asio::ssl::context* tlsContext) {
        listeners.push_back(
            std::make_unique<HttpListener>(pool, limiter, site, RoutesOf(routes), tlsContext));
        return *listeners.back();
    }

    ~Servers() { Stop(); }

    void Stop() {
        // The running password checks finish while the connections close.
        passwordChecks.Close();
        if (running) {
            for (auto& listener : listeners)
                listener->Close();
            pool.Stop();
            running = false;
        }
        // With the connections' threads ended, the checks still waiting can be dropped.
        passwordChecks.Stop();
        writer.Stop();
        for (auto& server : dns)
            server->Stop();
    }

    ServerLog log;
    ConnectionLimiter limiter;
    UpdateWriter writer;
    PasswordCheckPool passwordChecks;
    Exchanges registration;
    RegistrationThrottle throttle;
    asio::ssl::context tls;
    std::vector<std::unique_ptr<WorkerSite>> sites;
    IoPool pool;
    std::vector<std::unique_ptr<HttpListener>> listeners;
    std::vector<std::unique_ptr<DnsSite>> dnsSites;
    std::vector<std::unique_ptr<DnsEchoServer>> dns;
    bool running = false; // the pool's threads run
};

std::string DefaultDataDir() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/tarvo-provider";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/tarvo-provider";
}

std::string StorePath(const std::string& dataDir) { return dataDir + "/provider.sqlite3"; }

namespace {

// Takes every permission of the group and of others away; throws when that cannot be done.
void KeepToOwner(const std::filesystem::path& path) {
    const auto permissions = std::filesystem::status(path).permissions();
    constexpr auto kOthers = std::filesystem::perms::group_all | std::filesystem::perms::others_all;
    if ((permissions & kOthers) == std::filesystem::perms::none)
        return;
    std::error_code error;
    std::filesystem::permissions(path, kOthers, std::filesystem::perm_options::remove, error);
    if (error)
        throw std::runtime_error("cannot make " + path.string() +
                                 " owner-only: " + error.message());
}

} // namespace

std::string PrepareDataDir(const std::string& dataDir) {
    std::filesystem::create_directories(dataDir);
    const std::string path = StorePath(dataDir);
    // The store holds the client keys and the folder the CA's key: owner-only, however they were
    // left, and SQLite gives the store's -wal and -shm files the store's permissions.
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    close(fd);
    KeepToOwner(dataDir);
    for (const auto& entry : std::filesystem::directory_iterator(dataDir))
        KeepToOwner(entry.path());
    return path;
}

Provider::Provider(ProviderConfig config)
    : config_(std::move(config)),
      store_(std::make_unique<Store>(PrepareDataDir(config_.dataDir), config_.passwordIterations)) {
}

Provider::~Provider() { Stop(); }

Store& Provider::store() { return *store_; }

BoundEndpoints Provider::Start() {
    Stop();
    const TlsFiles tls = EnsureCertificates(config_.dataDir, config_.httpsHost);
    // Not PrepareDataDir: closing a descriptor of the open store would drop this process's
    // SQLite locks on it, and the other processes would then take the store for unused.
    const std::string storePath = StorePath(config_.dataDir);
    auto servers = std::make_unique<Servers>(config_, *store_, storePath, tls);
    BoundEndpoints bound;
    bound.caCertPath = tls.caCert;
    const Limits& limits = config_.limits;
    ServerLog& log = servers->log;

    bound.http =
        servers->Listen({"update", limits, log}, &WorkerSite::update, nullptr).Bind(config_.http);
    bound.https =
        servers->Listen({"update-tls", limits, log}, &WorkerSite::updateTls, &servers->tls)
            .Bind(config_.https);
    for (std::size_t i = 0; i < 2; ++i) {
        bound.echoHttp[i] = servers->Listen({"echo", limits, log}, &WorkerSite::echoRoutes, nullptr)
                                .Bind(config_.echoHttp[i]);
        servers->dnsSites.push_back(std::make_unique<DnsSite>(storePath));
        servers->dns.push_back(
            std::make_unique<DnsEchoServer>(config_.echoDns[i], servers->dnsSites.back()->echo));
        bound.echoDns[i] = servers->dns.back()->Bound();
    }
    servers->writer.Start();
    servers->pool.Start();
    servers->running = true;
    for (auto& listener : servers->listeners)
        listener->Start();
    for (auto& server : servers->dns)
        server->Start();
    servers_ = std::move(servers);
    return bound;
}

void Provider::Stop() {
    if (servers_) {
        servers_->Stop();
        servers_.reset();
    }
}

} // namespace vek::provider
