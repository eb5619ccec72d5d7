#include "provider/HttpConnection.h"

#include "provider/RequestParser.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/status.hpp>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace vek::provider {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using asio::ip::tcp;
using boost::system::error_code;

constexpr std::size_t kReadSize = 4096;
constexpr std::size_t kLingerBytes = 1024 * 1024;

// The whole reply in one piece, so it leaves in one write.
std::string ReplyBytes(const Reply& reply, bool withBody, bool close) {
    const auto reason = http::obsolete_reason(static_cast<http::status>(reply.status));
    std::string out;
    out.reserve(128 + reply.body.size());
    out.append("HTTP/1.1 ").append(std::to_string(reply.status)).append(" ");
    out.append(reason.data(), reason.size());
    out.append("\r\nContent-Length: ").append(std::to_string(reply.body.size())).append("\r\n");
    if (!reply.body.empty())
        out.append("Content-Type: ").append(reply.contentType).append("\r\n");
    out.append("X-Content-Type-Options: nosniff\r\n");
    for (const auto& [name, value] : reply.headers)
        out.append(name).append(": ").append(value).append("\r\n");
    if (close)
        out.append("Connection: close\r\n");
    out.append("\r\n");
    if (withBody)
        out.append(reply.body);
    return out;
}

// A connection served over TLS or not. Over TLS it holds no TLS stream until the peer's first
// bytes arrive: the stream's buffers (about 34 KB) would otherwise be held by every idle peer.
template <bool kTls>
class HttpConnection final : public TrackedConnection,
                             public std::enable_shared_from_this<HttpConnection<kTls>> {
public:
    HttpConnection(Worker& worker, tcp::socket socket, std::string peer,
                   ConnectionLimiter::Admission admission, const ServerSite& site,
                   const Routes& routes, asio::ssl::context* tls)
        : worker_(worker), socket_(std::move(socket)), tlsContext_(tls), peer_(std::move(peer)),
          admission_(std::move(admission)), site_(site), routes_(routes),
          buffer_(site.limits.headerBlock + kReadSize) {
        worker_.Track(*this);
    }
    ~HttpConnection() override { worker_.Untrack(*this); }

    void Start() {
        // The first request counts from the accept, the TLS handshake included.
        deadline_ = SteadyClock::now() + site_.limits.requestHead;
        admission_.Serve(worker_.context(), this->weak_from_this());
        if constexpr (kTls) {
            admission_.Idle();
            socket_.async_wait(tcp::socket::wait_read,
                               [self = this->shared_from_this()](const error_code& error) {
                                   self->Handshake(error);
                               });
        } else {
            WaitForRequest();
        }
    }

    void CloseIfLate(SteadyClock::time_point now) override {
        if (now >= deadline_)
            Close();
    }

    void Close() override {
        if (closed_)
            return;
        closed_ = true;
        error_code ignored;
        socket().shutdown(tcp::socket::shutdown_both, ignored);
        socket().close(ignored);
    }

private:
    using TlsStream = asio::ssl::stream<tcp::socket>;
    struct NoTls {};

    tcp::socket& socket() {
        if constexpr (kTls) {
            if (tls_)
                return tls_->next_layer();
        }
        return socket_;
    }

    decltype(auto) stream() {
        if constexpr (kTls) {
            return (*tls_);
        } else {
            return (socket_);
        }
    }

    // Over TLS, once the peer's first bytes have come.
    void Handshake(const error_code& error) {
        if (error || !admission_.Busy())
            return Close();
        tls_.emplace(std::move(socket_), *tlsContext_);
        tls_->async_handshake(asio::ssl::stream_base::server,
                              [self = this->shared_from_this()](const error_code& failed) {
                                  if (failed)
                                      return self->Close();
                                  self->WaitForRequest();
                              });
    }

    // After a reply on a kept-alive connection.
    void NextRequest() {
        firstRequest_ = false;
        deadline_ = SteadyClock::now() +
                    (buffer_.size() > 0 ? site_.limits.requestHead : site_.limits.keepAliveIdle);
        WaitForRequest();
    }

    void WaitForRequest() {
        parser_.emplace(site_.limits);
        started_ = buffer_.size() > 0; // pipelined bytes are the next request's first
        if (!started_)
            admission_.Idle();
        Parse();
    }

    void Parse() {
        while (!parser_->is_done()) {
            if (buffer_.size() == 0)
                return ReadMore();
            error_code error;
            const std::size_t used = parser_->Put(buffer_.data(), error);
            buffer_.consume(used);
            if (error == http::error::need_more) {
                if (used == 0)
                    return ReadMore();
            } else if (error) {
                return Refuse(parser_->RefusalStatus(error));
            }
        }
        Dispatch();
    }

    void ReadMore() {
        const std::size_t room = buffer_.max_size() - buffer_.size();
        if (room == 0) // a chunk header or field that does not fit
            return Refuse(431);
        stream().async_read_some(
            buffer_.prepare(std::min(room, kReadSize)),
            [self = this->shared_from_this()](const error_code& error, std::size_t size) {
                self->OnRead(error, size);
            });
    }

    void OnRead(const error_code& error, std::size_t size) {
        if (error)
            return Close();
        if (!started_) {
            started_ = true;
            if (!admission_.Busy())
                return Close();
            if (!firstRequest_)
                deadline_ = SteadyClock::now() + site_.limits.requestHead;
        }
        buffer_.commit(size);
        Parse();
    }

    void Dispatch() {
        const RequestParser& parser = *parser_;
        keepAlive_ = parser.keep_alive();
        head_ = parser.method() == "HEAD";
        const std::string_view target = parser.target();
        const Routes::Route* route = routes_.Find(target.substr(0, target.find('?')));
        if (route == nullptr)
            return Send({404, "", ""});
        if (!route->Allows(parser.method()))
            return Send(route->MethodNotAllowed());
        const HttpRequest request{parser.method(), target, parser.userAgent(), peer_};
        // An exchange waits for the store only, whose own waits are bounded.
        deadline_ = SteadyClock::time_point::max();
        try {
            if (route->exchange)
                return Send(route->exchange(request));
            route->deferred(request, [self = this->shared_from_this()](Reply reply) mutable {
                // The connection goes back to its worker with the reply and keeps no reference
                // here: the thread that hands the reply over must never be the one that ends
                // the connection, whose worker alone may touch what it tracks.
                auto& context = self->worker_.context();
                asio::dispatch(context,
                               [self = std::move(self), reply = std::move(reply)]() mutable {
                                   self->Send(std::move(reply));
                               });
            });
        } catch (const std::exception&) {
            Send({500, "internal error\n"});
        }
    }

    void Refuse(int status) {
        keepAlive_ = false;
        refused_ = true;
        Send({status, "", ""});
    }

    void Send(Reply reply) {
        if (closed_)
            return;
        site_.log.Request(site_.name, peer_, parser_->method(), parser_->target(), reply.status);
        out_ = ReplyBytes(reply, !head_, !keepAlive_);
        deadline_ = SteadyClock::now() + site_.limits.replyWrite;
        asio::async_write(stream(), asio::buffer(out_),
                          [self = this->shared_from_this()](const error_code& error, std::size_t) {
                              self->OnWritten(error);
                          });
    }

    void OnWritten(const error_code& error) {
        out_.clear();
        if (error)
            return Close();
        if (keepAlive_)
            return NextRequest();
        if (!refused_ && buffer_.size() == 0)
            return Close();
        // Bytes of the peer are left unread: closing now would reset the connection and could
        // destroy the reply before the peer reads it. Read and drop them for a short while.
        error_code ignored;
        socket().shutdown(tcp::socket::shutdown_send, ignored);
        deadline_ = SteadyClock::now() + site_.limits.lingerAfterRefusal;
        buffer_.clear();
        Linger();
    }

    void Linger() {
        socket().async_read_some(
            buffer_.prepare(kReadSize),
            [self = this->shared_from_this()](const error_code& error, std::size_t size) {
                self->lingered_ += size;
                if (error || self->lingered_ > kLingerBytes)
                    return self->Close();
                self->Linger();
            });
    }

    Worker& worker_;
    tcp::socket socket_; // over TLS: until the handshake begins
    [[no_unique_address]] std::conditional_t<kTls, std::optional<TlsStream>, NoTls> tls_;
    asio::ssl::context* tlsContext_;
    const std::string peer_;
    ConnectionLimiter::Admission admission_;
    const ServerSite& site_;
    const Routes& routes_;
    boost::beast::flat_buffer buffer_;
    std::optional<RequestParser> parser_;
    std::string out_;
    SteadyClock::time_point deadline_{};
    bool firstRequest_ = true;
    bool started_ = false;   // a byte of the current request has arrived
    bool keepAlive_ = false; // the connection stays open after this reply
    bool head_ = false;      // a HEAD request: the reply goes without its body
    bool refused_ = false;   // the request broke a limit or did not parse
    bool closed_ = false;
    std::size_t lingered_ = 0;
};

} // namespace

void ServePlain(Worker& worker, tcp::socket socket, std::string peer,
                ConnectionLimiter::Admission admission, const ServerSite& site,
                const Routes& routes) {
    std::make_shared<HttpConnection<false>>(worker, std::move(socket), std::move(peer),
                                            std::move(admission), site, routes, nullptr)
        ->Start();
}

void ServeTls(Worker& worker, tcp::socket socket, std::string peer,
              ConnectionLimiter::Admission admission, const ServerSite& site, const Routes& routes,
              asio::ssl::context& tls) {
    std::make_shared<HttpConnection<true>>(worker, std::move(socket), std::move(peer),
                                           std::move(admission), site, routes, &tls)
        ->Start();
}

} // namespace vek::provider
