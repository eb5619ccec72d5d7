// The network test servers in one process: the scripted HTTP server, two HTTP IP-echo listeners
// (127.0.0.2 and 127.0.0.3, one port), HTTPS with a certificate of the trusted test CA and with
// one of an untrusted CA, a mute listener that accepts connections and never sends a byte (no
// status line, no TLS handshake), two scripted DNS-format responders (127.0.0.2 and 127.0.0.3,
// one port) and a responder that echoes the query. All ports are free ones; they are written, once
// every socket listens, to <dir>/ports.env as NAME=port lines. Ends on SIGTERM or after 30 minutes.
//
// Usage: vek_netfixture <dir>   (<dir>/trusted and <dir>/untrusted hold server.pem, server.key)
#include "tests/servers/DnsScript.h"
#include "tests/servers/HttpScript.h"
#include "tests/servers/Sockets.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace vek::servers {
namespace {

constexpr int kLifetimeSeconds = 1800;
constexpr int kConnectionTimeoutSeconds = 60;

class PlainStream final : public Stream {
public:
    explicit PlainStream(int fd) : fd_(fd) {}
    long Read(char* buffer, std::size_t size) override { return ::recv(fd_, buffer, size, 0); }
    bool Write(std::string_view data) override {
        while (!data.empty()) {
            const long sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

private:
    int fd_;
};

class TlsStream final : public Stream {
public:
    explicit TlsStream(SSL* ssl) : ssl_(ssl) {}
    long Read(char* buffer, std::size_t size) override {
        return SSL_read(ssl_, buffer, static_cast<int>(size));
    }
    bool Write(std::string_view data) override {
        return data.empty() || SSL_write(ssl_, data.data(), static_cast<int>(data.size())) > 0;
    }

private:
    SSL* ssl_;
};

SSL_CTX* TlsContext(const std::string& folder) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr ||
        SSL_CTX_use_certificate_chain_file(context, (folder + "/server.pem").c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, (folder + "/server.key").c_str(), SSL_FILETYPE_PEM) !=
            1) {
        ERR_print_errors_fp(stderr);
        return nullptr;
    }
    return context;
}

void LimitConnection(int fd) {
    const timeval limit{kConnectionTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

void ServeConnection(int fd, SSL_CTX* tls, bool answersWithOwnAddress, RequestLog& log) {
    LimitConnection(fd);
    ConnectionInfo info{PeerAddress(fd), LocalAddress(fd), answersWithOwnAddress};
    if (tls == nullptr) {
        PlainStream stream(fd);
        ServeHttp(stream, info, log);
    } else {
        SSL* ssl = SSL_new(tls);
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) == 1) {
            TlsStream stream(ssl);
            ServeHttp(stream, info, log);
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
    ::close(fd);
}

// Takes in whatever the client sends until it closes, and never answers.
void HoldSilently(int fd) {
    LimitConnection(fd);
    char buffer[4096];
    while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    ::close(fd);
}

void AcceptLoop(int listener, const std::function<void(int)>& serve) {
    for (;;) {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd >= 0) {
            std::thread(serve, fd).detach();
        }
    }
}

// Accepts on a thread of its own, each connection served on a thread of its own.
void Listen(int listener, std::function<void(int)> serve) {
    std::thread(AcceptLoop, listener, std::move(serve)).detach();
}

void ListenHttp(int listener, SSL_CTX* tls, bool answersWithOwnAddress, RequestLog& log) {
    Listen(listener, [tls, answersWithOwnAddress, &log](int fd) {
        ServeConnection(fd, tls, answersWithOwnAddress, log);
    });
}

// Answers datagrams on the socket; a scripted reply may leave from the sibling socket instead.
void UdpLoop(int socket, int sibling, bool echoQuery) {
    const std::string own = LocalAddress(socket);
    const auto ownLastByte = static_cast<std::uint8_t>(std::stoi(own.substr(own.rfind('.') + 1)));
    for (;;) {
        char buffer[2048];
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        const long count = ::recvfrom(socket, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (count < 0) {
            continue;
        }
        const std::string_view query(buffer, static_cast<std::size_t>(count));
        std::optional<std::string> reply;
        try {
            reply = echoQuery ? QueryEchoReply(query) : ScriptedDnsReply(query, ownLastByte);
        } catch (const std::exception&) {
            reply.reset();
        }
        if (reply) {
            const int from = !echoQuery && RepliesFromSibling(query) ? sibling : socket;
            ::sendto(from, reply->data(), reply->size(), 0, reinterpret_cast<sockaddr*>(&peer),
                     peerLength);
        }
    }
}

} // namespace
} // namespace vek::servers

int main(int argc, char** argv) {
    using namespace vek::servers;
    if (argc != 2) {
        std::fprintf(stderr, "usage: vek_netfixture <dir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SSL_CTX* trusted = TlsContext(dir + "/trusted");
    SSL_CTX* untrusted = TlsContext(dir + "/untrusted");
    const int http = OpenSocket("127.0.0.1", 0, true);
    const SocketPair echo = OpenPair("127.0.0.2", "127.0.0.3", true);
    const int https = OpenSocket("127.0.0.1", 0, true);
    const int httpsUntrusted = OpenSocket("127.0.0.1", 0, true);
    const int mute = OpenSocket("127.0.0.1", 0, true);
    const SocketPair dns = OpenPair("127.0.0.2", "127.0.0.3", false);
    const int queryEcho = OpenSocket("127.0.0.1", 0, false);
    if (trusted == nullptr || untrusted == nullptr || http < 0 || echo.first < 0 || https < 0 ||
        httpsUntrusted < 0 || mute < 0 || dns.first < 0 || queryEcho < 0) {
        std::fprintf(stderr, "vek_netfixture: cannot set up the servers\n");
        return 1;
    }

    static RequestLog log;
    ListenHttp(http, nullptr, false, log);
    ListenHttp(echo.first, nullptr, true, log);
    ListenHttp(echo.second, nullptr, true, log);
    ListenHttp(https, trusted, false, log);
    ListenHttp(httpsUntrusted, untrusted, false, log);
    Listen(mute, HoldSilently);
    std::thread(UdpLoop, dns.first, dns.second, false).detach();
    std::thread(UdpLoop, dns.second, dns.first, false).detach();
    std::thread(UdpLoop, queryEcho, queryEcho, true).detach();

    const std::string ports = dir + "/ports.env";
    {
        std::ofstream out(ports + ".tmp");
        out << "HTTP_PORT=" << LocalPort(http) << "\n"
            << "ECHO_PORT=" << echo.port << "\n"
            << "HTTPS_PORT=" << LocalPort(https) << "\n"
            << "HTTPS_UNTRUSTED_PORT=" << LocalPort(httpsUntrusted) << "\n"
            << "MUTE_PORT=" << LocalPort(mute) << "\n"
            << "DNS_PORT=" << dns.port << "\n"
            << "DNS_QUERY_ECHO_PORT=" << LocalPort(queryEcho) << "\n";
    }
    std::rename((ports + ".tmp").c_str(), ports.c_str());

    const timespec lifetime{kLifetimeSeconds, 0};
    sigtimedwait(&stop, nullptr, &lifetime);
    std::remove(ports.c_str());
    std::_Exit(0);
}
