// TVEKGlobals::HttpGet against the native test servers: the result convention, the user agent,
// the bound address, the time-outs of servers that never answer, the request-line escaping and the
// HTTPS checks.
#include "tests/win/network/NetTestSupport.h"

#include "classlib/HttpClient.h"
#include "classlib/WinHttpGet.h"
#include "tests/win/support/FakeMainWindow.h"
#include "tests/win/support/ScopedGlobals.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

struct GetCase {
    const char* name;
    std::string path;
    std::string expected;
};

void PrintTo(const GetCase& c, std::ostream* os) { *os << c.name; }

class HttpGetCases : public NetworkTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(HttpGetCases, PlainHttp) {
    EXPECT_EQ(globals->HttpGet(HttpUrl(GetParam().path), "", false), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, HttpGetCases,
    ::testing::Values(GetCase{"Body", "/body", "hello body"}, GetCase{"EmptyBody", "/empty", ""},
                      GetCase{"NotFound", "/missing", "404"},
                      GetCase{"CutAfterStatusLine", "/cut-status", "200"},
                      GetCase{"CutBody", "/cut-body", "200"},
                      GetCase{"Chunked", "/chunked", "hello chunked"},
                      GetCase{"ChunkedCut", "/chunked-cut", "200"},
                      GetCase{"CloseDelimited", "/close", "body until close"},
                      GetCase{"CloseDelimitedTooLarge", "/sized-close/4194305", "-1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkTest, RedirectIsReturnedNotFollowed) {
    const std::string landing = "/landing/r" + std::to_string(::GetCurrentProcessId());
    const std::string before = globals->HttpGet(HttpUrl("/count" + landing), "", false);
    EXPECT_EQ(globals->HttpGet(HttpUrl("/redirect/r" + std::to_string(::GetCurrentProcessId())), "",
                               false),
              "302");
    EXPECT_EQ(globals->HttpGet(HttpUrl("/count" + landing), "", false), before);
}

TEST_F(NetworkTest, NoStatusLineGivesMinusOne) {
    EXPECT_EQ(globals->HttpGet("127.0.0.1:" + ClosedPort() + "/body", "", false), "-1");
    // Not a host name at all: refused before any lookup.
    EXPECT_EQ(globals->HttpGet("bad_host!name/body", "", false), "-1");
    EXPECT_EQ(globals->HttpGet("127.0.0.1:99999/body", "", false), "-1");
    // TEST-NET-1 is no local address: the bind fails.
    EXPECT_EQ(globals->HttpGet(HttpUrl("/body"), "192.0.2.1", false), "-1");
}

TEST_F(NetworkTest, BoundAddressIsTheSourceTheServerSees) {
    RecordingBind bind;
    EXPECT_EQ(globals->HttpGet(HttpUrl("/peer"), "127.0.0.7", false), "127.0.0.7");
    EXPECT_EQ(bind.addresses, std::vector<std::string>{"127.0.0.7:0"});
    EXPECT_EQ(globals->HttpGet(HttpUrl("/peer"), "", false), "127.0.0.1");
    EXPECT_EQ(bind.addresses.size(), 1u);
}

TEST_F(NetworkTest, UserAgentCarriesServiceSuffixOnlyWithoutMainWindow) {
    EXPECT_EQ(globals->HttpGet(HttpUrl("/agent"), "", false), "VEK v3.0.4/5.1.2600 (Service)");
    FakeMainWindow window;
    const ScopedMainWindow installed(*globals, &window);
    EXPECT_EQ(globals->HttpGet(HttpUrl("/agent"), "", false), "VEK v3.0.4/5.1.2600");
    EXPECT_EQ(globals->HttpGet("localhost:" + Servers().https + "/agent", "", true),
              "VEK v3.0.4/5.1.2600");
}

TEST_F(NetworkTest, UnsafeRequestBytesArriveAsOneWellFormedRequest) {
    EXPECT_EQ(globals->HttpGet(HttpUrl("/request-line/a b\r\nX-Injected: 1\r\n\r\nGET /x\xE9"), "",
                               false),
              "GET /request-line/a%20b%0D%0AX-Injected:%201%0D%0A%0D%0AGET%20/x%E9 HTTP/1.1");
}

TEST_F(NetworkTest, HttpsSendsTheTargetAsThePlainRoadDoes) {
    // The registration's URL-encoding leaves "/", "?" and bytes 128 to 255 (an ANSI "é") as they
    // are; both roads escape what cannot stand in a request line byte by byte.
    const std::string target = "/request-line/p?pass=p%26w%20d%2B%25?/\xE9{}|";
    const std::string plain = globals->HttpGet(HttpUrl(target), "", false);
    EXPECT_NE(plain.find("/%E9{}| HTTP/1.1"), std::string::npos) << plain;
    EXPECT_EQ(globals->HttpGet("localhost:" + Servers().https + target, "", true), plain);
}

TEST_F(NetworkTest, BodiesBeyondTheLimitFailOnBothRoadsAndAreLogged) {
    FakeMainWindow window;
    const ScopedMainWindow installed(*globals, &window);
    const std::string servers[] = {HttpUrl(""), "localhost:" + Servers().https};
    for (const bool tls : {false, true}) {
        const std::string& server = servers[tls];
        EXPECT_EQ(globals->HttpGet(server + "/sized/4194304", "", tls).size(), 4194304u) << tls;
        window.statusText.clear();
        EXPECT_EQ(globals->HttpGet(server + "/sized/4194305", "", tls), "-1") << tls;
        const std::string host = server.substr(0, server.find('/'));
        EXPECT_NE(window.statusText.find(": Reply from " + host +
                                         " is larger than 4194304 bytes, request failed."),
                  std::string::npos)
            << window.statusText;
        EXPECT_EQ(globals->HttpGet(server + "/length-wraps", "", tls), "-1") << tls;
    }
}

TEST_F(NetworkTest, OSVersionIsMajorMinorBuildUnsigned) {
    EXPECT_EQ(globals->GetOSVersion(), "5.1.2600");
    EXPECT_EQ(version.requestedSize, 148u);
    FakeVersion large(10, 0, 4294967295u);
    EXPECT_EQ(globals->GetOSVersion(), "10.0.4294967295");
}

// A server that stops answering: the request ends at its total time, well before the server
// gives up on the connection (60 s).
struct SilentCase {
    const char* name;
    bool tls;
    std::string ServerPorts::*port;
    const char* path;
    const char* result;
};

void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.name; }

class SilentServerCases : public NetworkTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentServerCases, TimesOutWithoutStatusLine) {
    const SilentCase& c = GetParam();
    const std::string url =
        (c.tls ? "localhost:" : "127.0.0.1:") + Servers().*c.port + std::string(c.path);
    const HttpTimeouts timeouts{2000, 1500};
    const ULONGLONG start = ::GetTickCount64();
    const HttpReply reply =
        c.tls ? HttpsGet(url, "test", timeouts) : HttpGetPlain(url, "", "test", timeouts);
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_EQ(HttpGetResultText(reply), c.result);
    EXPECT_GE(took, 1400u);
    EXPECT_LT(took, 2500u);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SilentServerCases,
    ::testing::Values(
        SilentCase{"HttpNoReply", false, &ServerPorts::http, "/silent", "-1"},
        SilentCase{"HttpMute", false, &ServerPorts::mute, "/body", "-1"},
        SilentCase{"HttpStalledBody", false, &ServerPorts::http, "/stall-body", "200"},
        SilentCase{"HttpsNoReply", true, &ServerPorts::https, "/silent", "-1"},
        SilentCase{"HttpsNoHandshake", true, &ServerPorts::mute, "/body", "-1"},
        SilentCase{"HttpsStalledBody", true, &ServerPorts::https, "/stall-body", "200"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkTest, HttpsWithTrustedCertificate) {
    const std::string server = "localhost:" + Servers().https;
    EXPECT_EQ(globals->HttpGet(server + "/body", "", true), "hello body");
    EXPECT_EQ(globals->HttpGet(server + "/missing", "", true), "404");
    EXPECT_EQ(globals->HttpGet(server + "/redirect/tls", "", true), "302");
    EXPECT_EQ(globals->HttpGet(server + "/cut-body", "", true), "200");
}

TEST_F(NetworkTest, HttpsWithUntrustedCertificateFails) {
    EXPECT_EQ(globals->HttpGet("localhost:" + Servers().httpsUntrusted + "/body", "", true), "-1");
}

} // namespace
} // namespace vek::testing
