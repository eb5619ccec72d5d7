#pragma once
// What the HTTP transport hands an exchange and takes back, independent of how the bytes travel:
// an exchange is a plain function from a request to a reply. One whose reply must wait (for a
// store commit) is deferred: it hands its reply to a sink, once, from any thread; the sink then
// holds nothing of the connection any more.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vek::provider {

// Valid only during the call of the exchange: a deferred exchange copies what it keeps.
struct HttpRequest {
    std::string_view method;
    std::string_view target; // as it stood in the request line
    std::string_view userAgent;
    std::string_view peer; // the peer's dotted address
};

struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain";
};

using Exchange = std::function<Reply(const HttpRequest&)>;
using ReplySink = std::function<void(Reply)>;
using DeferredExchange = std::function<void(const HttpRequest&, ReplySink)>;

// The exchanges of one server by path (the target up to "?"); GET and HEAD reach them.
class Routes {
public:
    struct Route {
        Exchange exchange;         // set for a plain exchange
        DeferredExchange deferred; // set for a deferred one
    };

    void Add(std::string path, Exchange exchange) {
        routes_.emplace_back(std::move(path), Route{std::move(exchange), {}});
    }
    void AddDeferred(std::string path, DeferredExchange exchange) {
        routes_.emplace_back(std::move(path), Route{{}, std::move(exchange)});
    }
    const Route* Find(std::string_view path) const {
        for (const auto& [routePath, route] : routes_) {
            if (routePath == path)
                return &route;
        }
        return nullptr;
    }

private:
    std::vector<std::pair<std::string, Route>> routes_;
};

} // namespace vek::provider
