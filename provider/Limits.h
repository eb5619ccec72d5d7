#pragma once
// Every limit of the provider's HTTP and HTTPS servers, its password checks and its store writer,
// in one place (README.md lists them). A peer that passes one is refused or cut off; no peer can
// hold a thread, and none can make the process grow beyond what these bound.
#include <chrono>
#include <cstddef>

namespace vek::provider {

struct Limits {
    // From the first byte of a request (for a connection's first request, from its accept, the
    // TLS handshake included) to its last byte, however the bytes trickle in.
    std::chrono::milliseconds requestHead{10'000};
    // From the end of a reply to the first byte of the next request on a kept-alive connection.
    std::chrono::milliseconds keepAliveIdle{30'000};
    // For a whole reply to leave.
    std::chrono::milliseconds replyWrite{10'000};
    // After a refusal, the time the rest of the peer's request is read and dropped, so that the
    // peer can read the refusal before the connection closes.
    std::chrono::milliseconds lingerAfterRefusal{1'000};

    std::size_t requestLine = 8 * 1024;  // the request target (longer: 414)
    std::size_t headerBlock = 16 * 1024; // request line and header fields (longer: 431)
    std::size_t headerCount = 64;        // header fields (more: 431)
    std::size_t body = 1024;             // any transfer encoding (more: 413, connection closed)

    // Open at once, every server together; beyond it the connection idle longest is closed, or
    // the newcomer when none is idle.
    std::size_t connections = 4096;
    std::size_t connectionsPerPeer = 256; // open at once from one peer address

    // Registrations of one peer address waiting for their password check (more: 503).
    std::size_t passwordChecksPerPeer = 8;

    std::size_t updatesPerCommit = 1024; // update requests committed in one store transaction
};

} // namespace vek::provider
