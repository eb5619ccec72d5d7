#pragma once
// One HTTP or HTTPS connection, served on one worker: requests read under the limits and
// deadlines, each answered by its exchange in the order they came, on a kept-alive connection
// until the peer closes it or lets it idle past its deadline.
#include "provider/ConnectionLimiter.h"
#include "provider/HttpExchange.h"
#include "provider/IoPool.h"
#include "provider/Limits.h"
#include "provider/ServerLog.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>

#include <string>

namespace vek::provider {

// What the connections of one listening endpoint share.
struct ServerSite {
    std::string name; // in the log: "update", "update-tls", "echo"
    const Limits& limits;
    ServerLog& log;
};

// Both start serving the accepted socket; call them on the worker's thread.
void ServePlain(Worker& worker, boost::asio::ip::tcp::socket socket, std::string peer,
                ConnectionLimiter::Admission admission, const ServerSite& site,
                const Routes& routes);
void ServeTls(Worker& worker, boost::asio::ip::tcp::socket socket, std::string peer,
              ConnectionLimiter::Admission admission, const ServerSite& site, const Routes& routes,
              boost::asio::ssl::context& tls);

} // namespace vek::provider
