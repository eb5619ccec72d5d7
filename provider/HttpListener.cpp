#include "provider/HttpListener.h"

#include <boost/asio/post.hpp>

#include <future>
#include <stdexcept>

namespace vek::provider {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;

// After a failed accept (no file descriptor left, for one), the next try waits this long.
constexpr auto kAcceptRetry = std::chrono::milliseconds(50);

// Listeners take turns for the worker that accepts.
std::size_t NextHome(IoPool& pool) {
    static std::atomic<std::size_t> next{0};
    return next++ % pool.size();
}

} // namespace

HttpListener::HttpListener(IoPool& pool, ConnectionLimiter& limiter, ServerSite site,
                           std::vector<const Routes*> routes, asio::ssl::context* tls)
    : pool_(pool), limiter_(limiter), site_(std::move(site)), routes_(std::move(routes)), tls_(tls),
      home_(pool.worker(NextHome(pool))), acceptor_(home_.context()), retry_(home_.context()) {}

Endpoint HttpListener::Bind(const Endpoint& endpoint) {
    boost::system::error_code error;
    const auto address = asio::ip::make_address_v4(endpoint.address, error);
    const tcp::endpoint local(address, static_cast<unsigned short>(endpoint.port));
    if (!error)
        acceptor_.open(tcp::v4(), error);
    if (!error)
        acceptor_.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error)
        acceptor_.bind(local, error);
    if (!error)
        acceptor_.listen(asio::socket_base::max_listen_connections, error);
    if (error)
        throw std::runtime_error("cannot bind TCP " + endpoint.ToString() + ": " + error.message());
    return {endpoint.address, acceptor_.local_endpoint().port()};
}

void HttpListener::Start() {
    asio::post(home_.context(), [this] { Accept(); });
}

void HttpListener::Close() {
    std::promise<void> closed;
    asio::post(home_.context(), [this, &closed] {
        boost::system::error_code ignored;
        acceptor_.close(ignored);
        retry_.cancel();
        closed.set_value();
    });
    closed.get_future().wait();
}

void HttpListener::Accept() {
    if (!acceptor_.is_open())
        return;
    const std::size_t index = pool_.NextIndex();
    acceptor_.async_accept(
        pool_.worker(index).context(),
        [this, index](const boost::system::error_code& error, tcp::socket socket) {
            OnAccept(error, std::move(socket), index);
        });
}

void HttpListener::OnAccept(const boost::system::error_code& error, tcp::socket socket,
                            std::size_t workerIndex) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open())
        return;
    if (error) {
        site_.log.Throttled(site_.name + ": cannot accept a connection: " + error.message());
        retry_.expires_after(kAcceptRetry);
        retry_.async_wait([this](const boost::system::error_code& waited) {
            if (!waited)
                Accept();
        });
        return;
    }
    boost::system::error_code peerError;
    const auto peer = socket.remote_endpoint(peerError).address().to_v4();
    if (peerError)
        return Accept(); // the peer is gone already; the socket closes with it
    const std::string peerText = peer.to_string();
    auto admission = limiter_.Admit(peer.to_uint(), peerText, site_.name);
    if (admission) {
        socket.set_option(tcp::no_delay(true), peerError);
        Worker& worker = pool_.worker(workerIndex);
        asio::post(worker.context(),
                   [this, &worker, socket = std::move(socket), peerText,
                    admission = std::move(*admission), routes = routes_[workerIndex]]() mutable {
                       if (tls_ != nullptr) {
                           ServeTls(worker, std::move(socket), std::move(peerText),
                                    std::move(admission), site_, *routes, *tls_);
                       } else {
                           ServePlain(worker, std::move(socket), std::move(peerText),
                                      std::move(admission), site_, *routes);
                       }
                   });
    }
    Accept();
}

} // namespace vek::provider
