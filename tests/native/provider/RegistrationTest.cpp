// Registration over HTTPS, with a peer that checks the provider's certificate.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Certificates.h"

#include "common/RequestLine.h"
#include "common/UrlEncode.h"

#include <httplib.h>

namespace vek::provider::test {
namespace {

class RegistrationTest : public ProviderTest {
protected:
    httplib::Result Register(const std::string& email, const std::string& password,
                             const std::string& caPath) {
        // As the client's HTTPS path does: URL-encoded values, the target escaped for the
        // request line.
        return RegisterWith("email=" + URLEncode(email) + "&pass=" + URLEncode(password), caPath);
    }
    httplib::Result RegisterWith(const std::string& query, const std::string& caPath) {
        httplib::SSLClient https("localhost", bound_.https.port);
        https.set_url_encode(false);
        https.set_connection_timeout(2);
        https.set_read_timeout(5);
        https.enable_server_certificate_verification(true);
        if (!caPath.empty())
            https.set_ca_cert_path(caPath.c_str());
        return https.Get(EscapeRequestTarget("/client/register.php?" + query));
    }
};

TEST_F(RegistrationTest, RightPasswordIssuesAClientIdAndKey) {
    const auto reply = Register(kEmail, kPassword, bound_.caCertPath);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    const std::string& body = reply->body;
    ASSERT_EQ(body.rfind("<?xml version", 0), 0u);
    const auto id = body.substr(body.find("<id>") + 4, 20);
    const auto key = body.substr(body.find("<key>") + 5, 32);
    const auto client = store().FindClient(id);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->key, key);
    EXPECT_NE(id, client_.id);
}

TEST_F(RegistrationTest, EveryEncodedCharacterOfTheCredentialsArrivesIntact) {
    const std::string password = "% ~!@#$^&*()+`=[]\xE9/:x";
    const std::string email = "o&d=d+n%20a~me@example.com";
    store().AddAccount(email, password);
    const auto reply = Register(email, password, bound_.caCertPath);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    // Escapes decode in either case: "%6f" is "o" as "%6F" is.
    const auto lowerCase = RegisterWith(
        "email=us%65r%40ex%61mple.c%6fm&pass=right%20pass%26%3d%25%2b", bound_.caCertPath);
    ASSERT_TRUE(lowerCase);
    EXPECT_EQ(lowerCase->status, 200);
}

TEST_F(RegistrationTest, RefusalsAreNotRegistrations) {
    store().AddAccount("banned@example.com", "pass");
    store().SetBanned("banned@example.com", true);
    const struct {
        const char* email;
        const char* password;
    } cases[] = {{kEmail, "wrong"},
                 {kEmail, "right pass&=%"},
                 {"nobody@example.com", "x"},
                 {"banned@example.com", "pass"},
                 {"", ""},
                 {"not an address", kPassword}};
    for (const auto& c : cases) {
        const auto reply = Register(c.email, c.password, bound_.caCertPath);
        ASSERT_TRUE(reply) << c.email;
        EXPECT_EQ(reply->status, 403) << c.email << " " << c.password;
        EXPECT_EQ(reply->body.find("<key>"), std::string::npos);
    }
}

TEST_F(RegistrationTest, MissingParametersAndPlainHttpAreRefused) {
    httplib::SSLClient https("localhost", bound_.https.port);
    https.set_ca_cert_path(bound_.caCertPath.c_str());
    https.enable_server_certificate_verification(true);
    for (const char* target : {"/client/register.php", "/client/register.php?email=a%40b.example",
                               "/client/register.php?pass=x&pass=y&email=user%40example.com"}) {
        const auto reply = https.Get(target);
        ASSERT_TRUE(reply) << target;
        EXPECT_EQ(reply->status, 400) << target;
    }
    const auto plain = HttpGet(bound_.http, "/client/register.php?email=" + URLEncode(kEmail) +
                                                "&pass=" + URLEncode(kPassword));
    EXPECT_EQ(plain.status, 403);
    EXPECT_EQ(plain.body.find("<key>"), std::string::npos);
}

TEST_F(RegistrationTest, APeerThatDoesNotTrustTheProvidersCaCannotConnect) {
    TempDir elsewhere;
    const TlsFiles otherCa = EnsureCertificates(elsewhere.path(), "localhost");
    EXPECT_FALSE(Register(kEmail, kPassword, otherCa.caCert));
    EXPECT_TRUE(Register(kEmail, kPassword, bound_.caCertPath));
}

} // namespace
} // namespace vek::provider::test
