// Garbage, oversized and malformed requests get a well-formed refusal (or, for datagrams, no
// answer), and every server keeps answering afterwards.
#include "tests/native/provider/ProviderFixture.h"

#include "common/RequestLine.h"

#include <sstream>

namespace vek::provider::test {
namespace {

// A refused connection, an error status, "status=3", or update lines that all carry the
// credentials codes 3 or 4.
bool IsRefusal(const HttpReply& reply) {
    if (reply.status == -1 || reply.status >= 400 || reply.body == "status=3")
        return true;
    if (reply.status != 200 || reply.body.empty())
        return false;
    std::istringstream lines(reply.body);
    for (std::string line; std::getline(lines, line);) {
        const std::string code = line.substr(line.find(':') + 1);
        if (code != "3" && code != "4")
            return false;
    }
    return true;
}

class MalformedRequestTest : public ProviderTest {
protected:
    void ExpectUpdateServerAnswers() {
        EXPECT_EQ(
            Signed("/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=203.0.113.7")
                .body,
            "office.user.example:1\n");
    }
};

TEST_F(MalformedRequestTest, GarbageRequestLinesAreRefusedAndTheServerGoesOn) {
    const std::string requests[] = {
        "GARBAGE\r\n\r\n",
        "GET\r\n\r\n",
        "GET /vekupdate.php HTTP/9.9\r\n\r\n",
        "GET /vekupdate.php?" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n",
        "GET /vekupdate.php?h[]=\xFF\xFE&email=\x80 HTTP/1.1\r\nHost: x\r\n\r\n",
        "GET /notices.php HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(70000, 'b') + "\r\n\r\n",
        std::string("\0\0\0\0\r\n\r\n", 8),
        "POST /vekupdate.php HTTP/1.1\r\nHost: x\r\nContent-Length: 100000000\r\n\r\nabc",
    };
    for (const auto& request : requests) {
        const auto reply = RawHttp(bound_.http, request);
        EXPECT_TRUE(IsRefusal(reply)) << request.substr(0, 40) << " -> " << reply.status;
    }
    ExpectUpdateServerAnswers();
}

TEST_F(MalformedRequestTest, ABodyNotFramedByChunkedLastIsRefusedBeforeItIsRead) {
    // The body is a request of its own: read as one, it would be answered too.
    const std::string body = "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const std::string chunked = "0\r\n\r\n" + body;
    const struct {
        const char* codings;
        std::string rest;
        const char* statusLines;
    } cases[] = {
        {"chunked", chunked, "200 200"},
        {"gzip, chunked", chunked, "200 200"},
        {"Chunked;x=1", chunked, "200 200"},
        {"chunked, identity", body, "400"},
        {"gzip", body, "400"},
        {"chunked, chunked", chunked, "400"},
        {"", body, "400"},
        {"xchunked", body, "501"},
        {"chunked, br", chunked, "501"},
    };
    for (const auto& c : cases) {
        const std::string received = RawConversation(
            bound_.http, std::string("GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: ") +
                             c.codings + "\r\n\r\n" + c.rest);
        std::string statusLines;
        for (auto at = received.find("HTTP/1.1 "); at != std::string::npos;
             at = received.find("HTTP/1.1 ", at + 1)) {
            statusLines += (statusLines.empty() ? "" : " ") + received.substr(at + 9, 3);
        }
        EXPECT_EQ(statusLines, c.statusLines) << c.codings;
    }
    ExpectUpdateServerAnswers();
}

TEST_F(MalformedRequestTest, MissingAndOddParametersOfEverySignedExchangeAreRefused) {
    const std::string targets[] = {
        "/vekupdate.php",
        "/vekupdate.php?",
        "/vekupdate.php?&&&==&",
        "/list-hosts.php",
        "/list-hosts.php?email=",
        "/notices.php?email=" + std::string(5000, 'z'),
        "/client/unregister.php?email=\xC3\xA9t\xC3\xA9",
        "/vekupdate.php?h[]=" + std::string(6000, '\xE9') + "&email=" + client_.id,
        "/vekupdate.php?email=" + client_.id + "&pass=HMAC{",
        "/vekupdate.php?email=" + client_.id + "&pass=HMAC{}",
        "/vekupdate.php?email=" + client_.id + "&pass=HMAC{%%%%}",
    };
    for (const auto& target : targets) {
        const auto reply = HttpGet(bound_.http, EscapeRequestTarget(target));
        EXPECT_GT(reply.status, 0) << target.substr(0, 40);
        EXPECT_TRUE(IsRefusal(reply))
            << target.substr(0, 40) << " -> " << reply.status << " " << reply.body.substr(0, 80);
    }
    ExpectUpdateServerAnswers();
}

TEST_F(MalformedRequestTest, GarbageDatagramsGetNoAnswerAndTheNextQueryIsAnswered) {
    for (int server : {0, 1}) {
        DnsPeer peer(bound_.echoDns[server], "127.0.0.9");
        for (const std::string& garbage :
             {std::string(), std::string("\x01"), std::string(11, 'x'), std::string(512, '\0'),
              std::string(2000, '\xA5'), DnsQuery(1, "ip").substr(0, 15)}) {
            peer.Send(garbage);
        }
        peer.Send(DnsQuery(0xBEEF, "ip"));
        // Datagrams are answered in order, so an answer to any garbage would come first.
        const auto reply = peer.Receive();
        ASSERT_TRUE(reply) << server;
        EXPECT_EQ(reply->substr(0, 2), "\xBE\xEF");
        EXPECT_EQ(FirstAnswerAddress(*reply), "127.0.0.9");
    }
}

} // namespace
} // namespace vek::provider::test
