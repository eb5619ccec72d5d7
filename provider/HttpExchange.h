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

// Every body's type names its charset, so that no browser guesses it (nor the type: every reply
// also says "X-Content-Type-Options: nosniff").
inline constexpr const char* kPlainText = "text/plain; charset=utf-8";
inline constexpr const char* kXml = "text/xml; charset=utf-8";
inline constexpr const char* kHtml = "text/html; charset=utf-8";

struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = kPlainText;
    std::vector<std::pair<std::string, std::string>> headers{}; // beyond those every reply has
};

using Exchange = std::function<Reply(const HttpRequest&)>;
using ReplySink = std::function<void(Reply)>;
using DeferredExchange = std::function<void(const HttpRequest&, ReplySink)>;

// The exchanges of one server by path (the target up to "?"). An exchange answers GET alone,
// since it acts on the account whether or not its reply is read; a page answers HEAD too.
class Routes {
public:
    struct Route {
        Exchange exchange;         // set for a plain exchange
        DeferredExchange deferred; // set for a deferred one
        bool page = false;         // a web page, which HEAD may ask for

        bool Allows(std::string_view method) const {
            return method == "GET" || (page && method == "HEAD");
        }
        // The refusal of any other method.
        Reply MethodNotAllowed() const {
            return {405, "", "", {{"Allow", page ? "GET, HEAD" : "GET"}}};
        }
    };

    void Add(std::string path, Exchange exchange) {
        routes_.emplace_back(std::move(path), Route{std::move(exchange), {}});
    }
    void AddDeferred(std::string path, DeferredExchange exchange) {
        routes_.emplace_back(std::move(path), Route{{}, std::move(exchange)});
    }
    void AddPage(std::string path, Exchange page) {
        routes_.emplace_back(std::move(path), Route{std::move(page), {}, true});
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
