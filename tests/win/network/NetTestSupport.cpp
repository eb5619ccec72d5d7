#include "NetTestSupport.h"

#include "KeyValueFile.h"
#include "RawRegistry.h"
#include "WinHandles.h"

#include <ws2tcpip.h>

#include <cstdlib>
#include <map>

namespace vek::testing {
namespace {

const char kSettingsPath[] = "Software\\Halvenor\\VEK\\v3";

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
    ports.dns = static_cast<unsigned short>(std::atoi(values["DNS_PORT"].c_str()));
    ports.dnsQueryEcho =
        static_cast<unsigned short>(std::atoi(values["DNS_QUERY_ECHO_PORT"].c_str()));
    return ports;
}

class Winsock {
public:
    Winsock() { ::WSAStartup(MAKEWORD(2, 2), &data_); }
    ~Winsock() { ::WSACleanup(); }

private:
    WSADATA data_{};
};

} // namespace

const ServerPorts& Servers() {
    static const ServerPorts ports = LoadServers();
    EXPECT_FALSE(ports.http.empty()) << "VEK_NET_FIXTURE does not name the servers' ports file";
    return ports;
}

std::string HttpUrl(const std::string& path) { return "127.0.0.1:" + Servers().http + path; }

std::string ClosedPort() {
    const Winsock winsock;
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof local;
    ::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local);
    ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&local), &length);
    return std::to_string(::ntohs(local.sin_port));
}

BOOL FakeVersion::GetVersionExA(OSVERSIONINFOA* info) {
    requestedSize = info->dwOSVersionInfoSize;
    info->dwMajorVersion = major_;
    info->dwMinorVersion = minor_;
    info->dwBuildNumber = build_;
    return TRUE;
}

int RecordingBind::Bind(SOCKET socket, const sockaddr* address, int length) {
    const auto* local = reinterpret_cast<const sockaddr_in*>(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local->sin_addr, text, sizeof text);
    addresses.push_back(std::string(text) + ":" + std::to_string(::ntohs(local->sin_port)));
    if (refuse_) {
        ::WSASetLastError(WSAEADDRNOTAVAIL);
        return SOCKET_ERROR;
    }
    return ::bind(socket, address, length);
}

int ShortUdpWait::WaitReadable(SOCKET socket, DWORD milliseconds) {
    requested.push_back(milliseconds);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    const DWORD wait = std::min(milliseconds, limitMs_);
    timeval limit{static_cast<long>(wait / 1000), static_cast<long>((wait % 1000) * 1000)};
    return ::select(0, &readable, nullptr, nullptr, &limit);
}

NetworkTest::NetworkTest() {
    DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath);
    globals = std::make_unique<TVEKGlobals>(TVEKGlobalsOptions{{"-tests"}, nullptr});
}

NetworkTest::~NetworkTest() {
    globals.reset();
    DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath);
}

} // namespace vek::testing
