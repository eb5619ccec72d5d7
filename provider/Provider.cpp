#include "Provider.h"

#include "Certificates.h"
#include "DnsEchoServer.h"
#include "EchoAddress.h"
#include "Exchanges.h"
#include "Store.h"

#include <httplib.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

namespace vek::provider {
namespace {

constexpr std::size_t kUpdateServerThreads = 16;
constexpr std::size_t kKeepAliveRequests = 100;
constexpr time_t kSocketTimeoutSeconds = 5;
constexpr auto kStartWait = std::chrono::seconds(5);

using Exchange = std::function<Reply(const httplib::Request&)>;

void Answer(httplib::Response& res, const Reply& reply) {
    res.status = reply.status;
    res.set_content(reply.body, reply.contentType.c_str());
}

// Every handler answers, whatever goes wrong inside it.
httplib::Server::Handler Guarded(Exchange exchange) {
    return [exchange = std::move(exchange)](const httplib::Request& req, httplib::Response& res) {
        try {
            Answer(res, exchange(req));
        } catch (const std::exception&) {
            Answer(res, {500, "internal error\n"});
        }
    };
}

void Configure(httplib::Server& server, bool logRequests, const char* name) {
    server.set_keep_alive_max_count(kKeepAliveRequests);
    server.set_read_timeout(kSocketTimeoutSeconds);
    server.set_write_timeout(kSocketTimeoutSeconds);
    server.set_payload_max_length(4096);
    // The header and the body leave in separate writes; without this, Nagle's algorithm holds
    // the body back for the peer's delayed acknowledgement (40 ms a request on keep-alive).
    server.set_tcp_nodelay(true);
    if (logRequests) {
        // The path only: a query can hold a password (registration), never logged.
        server.set_logger([name](const httplib::Request& req, const httplib::Response& res) {
            std::cerr << name << " " << req.remote_addr << " " << req.method << " " << req.path
                      << " " << res.status << "\n";
        });
    }
}

void AddUpdateRoutes(httplib::Server& server, Exchanges& exchanges, bool secure) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kUpdateServerThreads); };
    server.Get("/client/register\\.php", Guarded([&exchanges, secure](const httplib::Request& req) {
                   if (!secure)
                       return Reply{403, "registration needs HTTPS\n"};
                   return exchanges.Register(req.target);
               }));
    server.Get("/client/unregister\\.php", Guarded([&exchanges](const httplib::Request& req) {
                   return exchanges.Unregister(req.target);
               }));
    server.Get("/list-hosts\\.php", Guarded([&exchanges](const httplib::Request& req) {
                   return exchanges.ListHosts(req.target);
               }));
    server.Get("/notices\\.php", Guarded([&exchanges](const httplib::Request& req) {
                   return exchanges.Notices(req.target);
               }));
    server.Get("/vekupdate\\.php", Guarded([&exchanges](const httplib::Request& req) {
                   return exchanges.Update(req.target, req.get_header_value("User-Agent"));
               }));
}

void AddEchoRoute(httplib::Server& server, EchoAddress& echo) {
    server.Get("/ip\\.php", Guarded([&echo](const httplib::Request& req) {
                   return Reply{200, echo.For(req.remote_addr)};
               }));
}

} // namespace

// One HTTP(S) server with its listening thread.
class HttpListener {
public:
    explicit HttpListener(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {}
    ~HttpListener() { Stop(); }

    httplib::Server& server() { return *server_; }

    Endpoint Bind(const Endpoint& endpoint) {
        const int port =
            endpoint.port == 0
                ? server_->bind_to_any_port(endpoint.address)
                : (server_->bind_to_port(endpoint.address, endpoint.port) ? endpoint.port : -1);
        if (port < 0)
            throw std::runtime_error("cannot bind TCP " + endpoint.ToString());
        return {endpoint.address, port};
    }

    void Start() {
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // stop() only reaches a server that is already listening.
        const auto deadline = std::chrono::steady_clock::now() + kStartWait;
        while (!server_->is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Stop() {
        if (!thread_.joinable())
            return;
        server_->stop();
        thread_.join();
    }

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
};

struct Provider::Servers {
    Servers(Store& store, std::chrono::milliseconds echoRefresh)
        : exchanges(store), echo(store, echoRefresh) {}

    Exchanges exchanges;
    EchoAddress echo;
    std::vector<std::unique_ptr<HttpListener>> http;
    std::vector<std::unique_ptr<DnsEchoServer>> dns;

    void Stop() {
        for (auto& listener : http)
            listener->Stop();
        for (auto& server : dns)
            server->Stop();
    }
};

std::string DefaultDataDir() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/tarvo-provider";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/tarvo-provider";
}

std::string PrepareDataDir(const std::string& dataDir) {
    if (!std::filesystem::exists(dataDir)) {
        std::filesystem::create_directories(dataDir);
        std::filesystem::permissions(dataDir, std::filesystem::perms::owner_all);
    }
    const std::string path = dataDir + "/provider.sqlite3";
    // The store holds the client keys: owner-only, and SQLite gives its -wal and -shm files the
    // same permissions.
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    close(fd);
    return path;
}

Provider::Provider(ProviderConfig config)
    : config_(std::move(config)), store_(std::make_unique<Store>(PrepareDataDir(config_.dataDir))) {
}

Provider::~Provider() { Stop(); }

Store& Provider::store() { return *store_; }

BoundEndpoints Provider::Start() {
    Stop();
    const TlsFiles tls = EnsureCertificates(config_.dataDir, config_.httpsHost);
    auto servers = std::make_unique<Servers>(*store_, config_.echoRefresh);
    BoundEndpoints bound;
    bound.caCertPath = tls.caCert;

    auto addListener = [&](std::unique_ptr<httplib::Server> server, const char* name) {
        servers->http.push_back(std::make_unique<HttpListener>(std::move(server)));
        Configure(servers->http.back()->server(), config_.logRequests, name);
        return servers->http.back().get();
    };
    auto* http = addListener(std::make_unique<httplib::Server>(), "update");
    AddUpdateRoutes(http->server(), servers->exchanges, false);
    bound.http = http->Bind(config_.http);

    auto ssl = std::make_unique<httplib::SSLServer>(tls.serverCert.c_str(), tls.serverKey.c_str());
    if (!ssl->is_valid())
        throw std::runtime_error("cannot load the server certificate");
    auto* https = addListener(std::move(ssl), "update-tls");
    AddUpdateRoutes(https->server(), servers->exchanges, true);
    bound.https = https->Bind(config_.https);

    for (std::size_t i = 0; i < 2; ++i) {
        auto* echo = addListener(std::make_unique<httplib::Server>(), "echo");
        AddEchoRoute(echo->server(), servers->echo);
        bound.echoHttp[i] = echo->Bind(config_.echoHttp[i]);
        servers->dns.push_back(std::make_unique<DnsEchoServer>(config_.echoDns[i], servers->echo));
        bound.echoDns[i] = servers->dns.back()->Bound();
    }
    for (auto& listener : servers->http)
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
