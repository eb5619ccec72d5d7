// Which methods reach the exchanges and the pages, and the header lines every reply carries.
#include "tests/native/provider/ProviderFixture.h"

#include "common/UrlEncode.h"
#include "provider/Sqlite.h"

#include <httplib.h>

namespace vek::provider::test {
namespace {

class MethodsAndHeadersTest : public ProviderTest {
protected:
    httplib::Result Registration(const char* method, const std::string& password) {
        httplib::SSLClient https("localhost", bound_.https.port);
        https.set_url_encode(false);
        https.set_ca_cert_path(bound_.caCertPath.c_str());
        https.enable_server_certificate_verification(true);
        const std::string target =
            "/client/register.php?email=" + URLEncode(kEmail) + "&pass=" + URLEncode(password);
        return std::string(method) == "HEAD" ? https.Head(target) : https.Get(target);
    }
    std::int64_t Clients() {
        Database db(StorePath(dataDir_.path()));
        auto query = db.Prepare("SELECT COUNT(*) FROM clients");
        query.Step();
        return query.Int(0);
    }
    std::string Request(const char* method, const std::string& target) {
        return RawConversation(bound_.http, std::string(method) + " " + target +
                                                " HTTP/1.1\r\nHost: x\r\nUser-Agent: " +
                                                kUserAgent + "\r\nConnection: close\r\n\r\n");
    }
};

TEST_F(MethodsAndHeadersTest, OnlyGetReachesAnExchangeSoHeadActsOnNothing) {
    const auto registration = Registration("HEAD", kPassword);
    ASSERT_TRUE(registration);
    EXPECT_EQ(registration->status, 405);
    EXPECT_EQ(registration->get_header_value("Allow"), "GET");
    EXPECT_EQ(Clients(), 1);

    const std::string update = SignedTarget(
        "/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=203.0.113.7",
        client_.key);
    const std::string unregister =
        SignedTarget("/client/unregister.php?email=" + client_.id, client_.key);
    for (const char* method : {"HEAD", "PUT", "DELETE"}) {
        for (const std::string& target : {update, unregister}) {
            const std::string reply = Request(method, target);
            EXPECT_EQ(reply.rfind("HTTP/1.1 405 ", 0), 0u) << method << " " << reply;
            EXPECT_NE(reply.find("\r\nAllow: GET\r\n"), std::string::npos) << method;
        }
    }
    EXPECT_EQ(AddressOf("office.user.example"), "");
    EXPECT_EQ(Clients(), 1);

    EXPECT_EQ(Request("HEAD", "/support/").rfind("HTTP/1.1 200 ", 0), 0u);
    EXPECT_NE(Request("POST", "/support/").find("\r\nAllow: GET, HEAD\r\n"), std::string::npos);
}

TEST_F(MethodsAndHeadersTest, EveryReplyNamesItsCharsetAndForbidsSniffing) {
    const struct {
        const Endpoint& server;
        std::string target;
        const char* type;
    } cases[] = {
        {bound_.http,
         SignedTarget("/vekupdate.php?h[]=<b>.example&email=" + client_.id + "&ip=203.0.113.7",
                      client_.key),
         "text/plain; charset=utf-8"},
        {bound_.http,
         SignedTarget("/notices.php?email=" + client_.id + "&lastnotice=0&lastalert=0",
                      client_.key),
         "text/xml; charset=utf-8"},
        {bound_.http, "/", "text/html; charset=utf-8"},
        {bound_.echoHttp[0], "/ip.php", "text/plain; charset=utf-8"},
    };
    for (const auto& c : cases) {
        const std::string reply = RawConversation(
            c.server, "GET " + c.target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        EXPECT_NE(reply.find(std::string("\r\nContent-Type: ") + c.type + "\r\n"),
                  std::string::npos)
            << reply;
        EXPECT_NE(reply.find("\r\nX-Content-Type-Options: nosniff\r\n"), std::string::npos)
            << reply;
    }
    const auto registration = Registration("GET", kPassword);
    ASSERT_TRUE(registration);
    EXPECT_EQ(registration->get_header_value("Cache-Control"), "no-store");
    EXPECT_EQ(registration->get_header_value("X-Content-Type-Options"), "nosniff");
}

} // namespace
} // namespace vek::provider::test
