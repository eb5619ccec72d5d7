// The HTTPS server's protocol versions and cipher suites, and the name its certificate carries.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Certificates.h"
#include "provider/Names.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace vek::provider::test {
namespace {

// Whether a handshake succeeds when the peer offers only up to that version and, for TLS 1.2
// and below, those suites.
bool Handshakes(const Endpoint& server, int maxVersion, const char* suites) {
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{2, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(server.port));
    inet_pton(AF_INET, server.address.c_str(), &to.sin_addr);
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_security_level(context, 0); // offers what the server should refuse
    SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(context, maxVersion);
    SSL_CTX_set_cipher_list(context, suites);
    SSL* ssl = SSL_new(context);
    bool done = false;
    if (connect(sock, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        SSL_set_fd(ssl, sock);
        done = SSL_connect(ssl) == 1;
    }
    SSL_free(ssl);
    SSL_CTX_free(context);
    close(sock);
    return done;
}

using TlsTest = ProviderTest;

TEST_F(TlsTest, OnlyTls12AndAboveWithForwardSecretSuitesAreAccepted) {
    const struct {
        int maxVersion;
        const char* suites;
        bool accepted;
    } cases[] = {
        {TLS1_1_VERSION, "ALL", false},
        {TLS1_2_VERSION, "AES128-SHA", false},
        {TLS1_2_VERSION, "AES256-GCM-SHA384", false},
        {TLS1_2_VERSION, "ECDHE-RSA-AES128-GCM-SHA256", true},
        {TLS1_3_VERSION, "AES128-SHA", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Handshakes(bound_.https, c.maxVersion, c.suites), c.accepted)
            << c.maxVersion << " " << c.suites;
    }
}

TEST(CertificateName, OnlyOneDnsHostNameGoesIntoTheCertificate) {
    const struct {
        std::string name;
        bool valid;
    } cases[] = {
        {"localhost", true},
        {"provider.example", true},
        {"", false},
        {"localhost,DNS:*.example.com", false},
        {"*.example.com", false},
        {"-a.example", false},
        {"a..example", false},
        {"a_b.example", false},
        {std::string(64, 'a') + ".example", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidDnsName(c.name), c.valid) << c.name;
    TempDir dir;
    EXPECT_THROW(EnsureCertificates(dir.path(), "localhost,DNS:*.example.com"), std::runtime_error);
}

} // namespace
} // namespace vek::provider::test
