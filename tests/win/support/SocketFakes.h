#pragma once
// The socket seams of the network code, recorded: the bind of a client socket to its local
// address and the wait for a datagram. Each is installed for its lifetime.
#include "Seams.h"

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

} // namespace vek::testing
