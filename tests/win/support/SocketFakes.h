#pragma once
// The socket seams of the network code, recorded: the bind of a client socket to its local
// address and the wait for a datagram; and the random source of the DNS query id. Each is
// installed for its lifetime.
#include "classlib/Seams.h"

#include <cstring>
#include <string>
#include <vector>

namespace vek::testing {

// The real bind, with each requested local address recorded ("a.b.c.d:port"); or, refusing, a
// bind that fails as Windows does for an address that is not local (Wine accepts any address for
// a datagram socket).
class RecordingBind final : public seams::ISocketBind {
public:
    explicit RecordingBind(bool refuse = false) : refuse_(refuse) {}
    int Bind(SOCKET socket, const sockaddr* address, int length) override;
    std::vector<std::string> addresses;

private:
    bool refuse_;
    seams::Seam<seams::ISocketBind>::Override override_{*this};
};

// The real UDP wait, cut to at most `limitMs`, with each requested wait recorded.
class ShortUdpWait final : public seams::IUdpWait {
public:
    explicit ShortUdpWait(DWORD limitMs) : limitMs_(limitMs) {}
    int WaitReadable(SOCKET socket, DWORD milliseconds) override;
    std::vector<DWORD> requested;

private:
    DWORD limitMs_;
    seams::Seam<seams::IUdpWait>::Override override_{*this};
};

// A random source that gives the same bytes each time (a DNS query id 0xABCD from "\xAB\xCD"),
// or fails when given none.
class FixedSecureRandom final : public seams::ISecureRandom {
public:
    explicit FixedSecureRandom(std::string bytes) : bytes_(std::move(bytes)) {}
    bool Fill(void* buffer, unsigned long length) override {
        if (bytes_.size() < length) {
            return false;
        }
        std::memcpy(buffer, bytes_.data(), length);
        return true;
    }

private:
    std::string bytes_;
    seams::Seam<seams::ISecureRandom>::Override override_{*this};
};

} // namespace vek::testing
