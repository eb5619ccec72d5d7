#include "tests/win/network/NetTestSupport.h"

#include "tests/win/support/KeyValueFile.h"
#include "tests/win/support/LoopbackSocket.h"

#include <cstdlib>
#include <map>

namespace vek::testing {
namespace {

std::map<std::string, std::string> ReadPortsFile() {
    const char* path = std::getenv("VEK_NET_FIXTURE");
    return path == nullptr ? std::map<std::string, std::string>() : ReadKeyValueFile(path);
}

ServerPorts LoadServers() {
    auto values = ReadPortsFile();
    ServerPorts ports;
    ports.http = values["HTTP_PORT"];
    ports.echo = values["ECHO_PORT"];
    ports.https = values["HTTPS_PORT"];
    ports.httpsUntrusted = values["HTTPS_UNTRUSTED_PORT"];
    ports.mute = values["MUTE_PORT"];
    ports.dns = static_cast<unsigned short>(std::atoi(values["DNS_PORT"].c_str()));
    ports.dnsQueryEcho =
        static_cast<unsigned short>(std::atoi(values["DNS_QUERY_ECHO_PORT"].c_str()));
    return ports;
}

} // namespace

const ServerPorts& Servers() {
    static const ServerPorts ports = LoadServers();
    EXPECT_FALSE(ports.http.empty()) << "VEK_NET_FIXTURE does not name the servers' ports file";
    return ports;
}

std::string HttpUrl(const std::string& path) { return "127.0.0.1:" + Servers().http + path; }

std::string ClosedPort() { return std::to_string(LoopbackSocket(SOCK_STREAM).Port()); }

} // namespace vek::testing
