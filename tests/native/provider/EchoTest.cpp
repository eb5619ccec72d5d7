// Both IP-echo methods on both servers: the peer's address, or the operator's.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/DnsEcho.h"

namespace vek::provider::test {
namespace {

class EchoTest : public ProviderTest {
protected:
    std::optional<std::string> DnsEcho(int server, const std::string& source) {
        DnsPeer peer(bound_.echoDns[server], source);
        peer.Send(DnsQuery(0x1234, "ip"));
        const auto reply = peer.Receive();
        if (!reply || reply->substr(0, 2) != "\x12\x34")
            return std::nullopt;
        return FirstAnswerAddress(*reply);
    }
    std::string HttpEcho(int server, const std::string& source) {
        return HttpGet(bound_.echoHttp[server], "/ip.php", kUserAgent, source).body;
    }
};

TEST_F(EchoTest, BothServersOfBothMethodsEchoThePeersAddress) {
    for (int server : {0, 1}) {
        EXPECT_EQ(HttpEcho(server, "127.0.0.9"), "127.0.0.9") << server;
        EXPECT_EQ(DnsEcho(server, "127.0.0.9"), "127.0.0.9") << server;
        EXPECT_EQ(DnsEcho(server, "127.0.0.10"), "127.0.0.10") << server;
    }
}

TEST_F(EchoTest, TheOperatorsAddressStandsForThePeersUntilCleared) {
    store().SetEchoAddress("203.0.113.7");
    for (int server : {0, 1}) {
        EXPECT_EQ(HttpEcho(server, "127.0.0.9"), "203.0.113.7") << server;
        EXPECT_EQ(DnsEcho(server, "127.0.0.9"), "203.0.113.7") << server;
    }
    store().SetEchoAddress(std::nullopt);
    EXPECT_EQ(HttpEcho(1, "127.0.0.9"), "127.0.0.9");
    EXPECT_EQ(DnsEcho(1, "127.0.0.9"), "127.0.0.9");
}

TEST_F(EchoTest, HttpEchoAnswersOnlyIpPhp) {
    EXPECT_EQ(HttpGet(bound_.echoHttp[0], "/other.php").status, 404);
    EXPECT_EQ(HttpGet(bound_.echoHttp[0], "/ip.php?x=1").status, 200);
}

TEST(DnsEchoReply, AnswersOnlyTheQueryForIpTypeA) {
    const std::array<std::uint8_t, 4> address{203, 0, 113, 7};
    struct Case {
        const char* name;
        std::string query;
        std::optional<std::string> answer; // the A record's address
        int rcode;
    };
    std::string edns = DnsQuery(7, "ip");
    edns[11] = 1; // ARCOUNT 1: an OPT record follows
    edns += std::string("\0\0\x29\x10\0\0\0\0\0\0\0", 11);
    const Case cases[] = {
        {"ip A IN", DnsQuery(7, "ip"), "203.0.113.7", 0},
        {"IP in capitals", DnsQuery(7, "IP"), "203.0.113.7", 0},
        {"with an EDNS record", edns, "203.0.113.7", 0},
        {"type AAAA", DnsQuery(7, "ip", 28), std::nullopt, 0},
        {"class CH", DnsQuery(7, "ip", 1, 3), std::nullopt, 0},
        {"another name", DnsQuery(7, "ip.example"), std::nullopt, 3},
    };
    for (const auto& c : cases) {
        const auto reply = DnsEchoReply(c.query, address);
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(reply->substr(0, 2), c.query.substr(0, 2)) << c.name;
        EXPECT_EQ(static_cast<std::uint8_t>((*reply)[2]) & 0x80, 0x80) << c.name;
        EXPECT_EQ((*reply)[3] & 0x0F, c.rcode) << c.name;
        EXPECT_EQ(FirstAnswerAddress(*reply), c.answer) << c.name;
    }
}

TEST(DnsEchoReply, GivesNoAnswerToWhatIsNotAStandardQuery) {
    const std::array<std::uint8_t, 4> address{203, 0, 113, 7};
    std::string response = DnsQuery(7, "ip");
    response[2] = static_cast<char>(0x81);
    std::string twoQuestions = DnsQuery(7, "ip");
    twoQuestions[5] = 2;
    std::string pointer = DnsQuery(7, "ip");
    pointer[12] = static_cast<char>(0xC0);
    pointer[13] = 12; // a compression pointer to itself
    const std::string garbage[] = {
        "",
        "\x01\x02\x03\x04\x05",
        DnsQuery(7, "ip").substr(0, 17), // cut inside the question
        response,
        twoQuestions,
        pointer,
        DnsQuery(7, "ip").substr(0, 12) + "\x40" + std::string(70, 'a'), // label over 63
        std::string(600, '\xFF'),
    };
    for (const auto& datagram : garbage) {
        EXPECT_FALSE(DnsEchoReply(datagram, address)) << datagram.size();
    }
}

} // namespace
} // namespace vek::provider::test
