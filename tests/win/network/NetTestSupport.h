#pragma once
// What the network tests share: the ports of the native test servers (from the file that the
// ctest fixture writes), a core object with a clean settings key, and recording seams.
#include "Seams.h"
#include "VEKGlobals.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vek::testing {

struct ServerPorts {
    std::string http;                // scripted HTTP server on 127.0.0.1
    std::string echo;                // HTTP IP-echo listeners on 127.0.0.2 and 127.0.0.3
    std::string https;               // HTTPS, certificate of the CA imported into the prefix
    std::string httpsUntrusted;      // HTTPS, certificate of a CA imported nowhere
    unsigned short dns = 0;          // scripted DNS-format responders on 127.0.0.2 and 127.0.0.3
    unsigned short dnsQueryEcho = 0; // DNS-format responder on 127.0.0.1 echoing the query
};

// Read once from the file named by VEK_NET_FIXTURE; a test fails when it is missing.
const ServerPorts& Servers();

// "127.0.0.1:<http port>" + path.
std::string HttpUrl(const std::string& path);

// A TCP port on 127.0.0.1 where nothing listens.
std::string ClosedPort();

// GetVersionExA reporting a fixed version.
class FakeVersion final : public seams::IVersionApi {
public:
    FakeVersion(DWORD major, DWORD minor, DWORD build)
        : major_(major), minor_(minor), build_(build) {}
    BOOL GetVersionExA(OSVERSIONINFOA* info) override;
    DWORD requestedSize = 0;

private:
    DWORD major_, minor_, build_;
    seams::Seam<seams::IVersionApi>::Override override_{*this};
};

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

// A test with a core object of the desktop role (no log), whose settings key is deleted before
// and after, and the version seam fixed at 5.1.2600.
class NetworkTest : public ::testing::Test {
protected:
    NetworkTest();
    ~NetworkTest() override;

    FakeVersion version{5, 1, 2600};
    std::unique_ptr<TVEKGlobals> globals;
};

} // namespace vek::testing
