#pragma once
// One listening endpoint of the HTTP or HTTPS servers: it accepts connections, admits them
// under the connection limits, and hands each to the next worker in turn, which serves it with
// its own routes.
#include "provider/ConnectionLimiter.h"
#include "provider/Endpoint.h"
#include "provider/HttpConnection.h"
#include "provider/IoPool.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <vector>

namespace vek::provider {

class HttpListener {
public:
    // routes: one table per worker of the pool. tls: nullptr for plain HTTP.
    HttpListener(IoPool& pool, ConnectionLimiter& limiter, ServerSite site,
                 std::vector<const Routes*> routes, boost::asio::ssl::context* tls);
    HttpListener(const HttpListener&) = delete;
    HttpListener& operator=(const HttpListener&) = delete;

    // Binds and listens at once; throws std::runtime_error when it cannot.
    Endpoint Bind(const Endpoint& endpoint);
    void Start();
    // Stops accepting; returns when the listening socket is closed.
    void Close();

private:
    void Accept();
    void OnAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket,
                  std::size_t workerIndex);

    IoPool& pool_;
    ConnectionLimiter& limiter_;
    const ServerSite site_;
    const std::vector<const Routes*> routes_;
    boost::asio::ssl::context* tls_;
    Worker& home_; // the worker whose thread accepts
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer retry_;
};

} // namespace vek::provider
