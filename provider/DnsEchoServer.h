#pragma once
// One DNS IP-echo server: a UDP socket on its own address and port, served by one thread that
// reads the queued datagrams in batches and answers each at once. Stop() wakes the thread
// through an eventfd.
#include "provider/EchoAddress.h"
#include "provider/Endpoint.h"

#include <thread>

namespace vek::provider {

class DnsEchoServer {
public:
    // Binds at once (throws std::runtime_error when it cannot); serving starts with Start().
    // echo: used by this server's thread alone.
    DnsEchoServer(const Endpoint& endpoint, EchoAddress& echo);
    DnsEchoServer(const DnsEchoServer&) = delete;
    DnsEchoServer& operator=(const DnsEchoServer&) = delete;
    ~DnsEchoServer();

    void Start();
    void Stop();
    Endpoint Bound() const { return bound_; }

private:
    void Serve();

    EchoAddress& echo_;
    int socket_ = -1;
    int wake_ = -1;
    Endpoint bound_;
    std::thread thread_;
};

} // namespace vek::provider
