#pragma once
// What the network tests share: the ports of the native test servers (from the file that the
// ctest fixture writes) and a core object with a clean settings key. The fakes of the seams they
// use come from the test-support library.
#include "Main/core/VEKGlobals.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/ServiceFakes.h"
#include "tests/win/support/SocketFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vek::testing {

struct ServerPorts {
    std::string http;                // scripted HTTP server on 127.0.0.1
    std::string echo;                // HTTP IP-echo listeners on 127.0.0.2 and 127.0.0.3
    std::string https;               // HTTPS, certificate of the CA imported into the prefix
    std::string httpsUntrusted;      // HTTPS, certificate of a CA imported nowhere
    std::string mute;                // accepts connections and never sends a byte
    unsigned short dns = 0;          // scripted DNS-format responders on 127.0.0.2 and 127.0.0.3
    unsigned short dnsQueryEcho = 0; // DNS-format responder on 127.0.0.1 echoing the query
};

// Read once from the file named by VEK_NET_FIXTURE; a test fails when it is missing.
const ServerPorts& Servers();

// "127.0.0.1:<http port>" + path.
std::string HttpUrl(const std::string& path);

// A TCP port on 127.0.0.1 where nothing listens.
std::string ClosedPort();

// A test with a core object of the desktop role (no log), whose settings key is deleted before
// and after, and the version seam fixed at 5.1.2600.
class NetworkTest : public ::testing::Test {
protected:
    SettingsKeyGuard settings;
    FakeVersion version{5, 1, 2600};
    std::unique_ptr<TVEKGlobals> globals =
        std::make_unique<TVEKGlobals>(TVEKGlobalsOptions{{"-tests"}, nullptr});
};

} // namespace vek::testing
