// TVEKGlobals::GetRemoteIP: the echo-server rule of both methods told apart by the address that
// answered, LastIPCheckTick written last from a fresh tick read, the query as sent, the bound
// address, and every failure as an empty result.
#include "tests/win/network/NetTestSupport.h"

#include "common/PseudoRandom.h"
#include "tests/win/support/FakeClock.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

struct RuleCase {
    const char* name;
    std::uint32_t lastTick;
    std::uint32_t now;
    bool firstServer;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class EchoRuleTest : public NetworkTest, public ::testing::WithParamInterface<RuleCase> {
protected:
    EchoRuleTest() {
        globals->Endpoints.HttpEcho1 = "127.0.0.2:" + Servers().echo;
        globals->Endpoints.HttpEcho2 = "127.0.0.3:" + Servers().echo;
        globals->Endpoints.DnsEcho1 = "127.0.0.2";
        globals->Endpoints.DnsEcho2 = "127.0.0.3";
        globals->Endpoints.DnsEchoPort = Servers().dns;
    }

    // Runs one detection; the tick count reads `now` for the choice and now + 7 at the end.
    std::string Detect(bool http, const RuleCase& c) {
        globals->SetAlternateIP(http);
        globals->LastIPCheckTick = c.lastTick;
        ScriptedTicks ticks({c.now, c.now + 7});
        const std::string result = globals->GetRemoteIP("");
        EXPECT_EQ(globals->LastIPCheckTick, c.now + 7);
        return result;
    }
};

class HttpEchoRule : public EchoRuleTest {};
class DnsEchoRule : public EchoRuleTest {};

TEST_P(HttpEchoRule, ChoosesByElapsedTime) {
    EXPECT_EQ(Detect(true, GetParam()), GetParam().firstServer ? "127.0.0.2" : "127.0.0.3");
}

TEST_P(DnsEchoRule, ChoosesByElapsedTime) {
    EXPECT_EQ(Detect(false, GetParam()), GetParam().firstServer ? "198.51.100.2" : "198.51.100.3");
}

constexpr std::uint32_t kNearWrap = 0xFFFFFFFFu - 4999u; // 2^32 - 5000

INSTANTIATE_TEST_SUITE_P(Limits, HttpEchoRule,
                         ::testing::Values(RuleCase{"Over", 50000, 60001, true},
                                           RuleCase{"AtLimit", 50000, 60000, false},
                                           RuleCase{"FirstCallLate", 0, 10001, true},
                                           RuleCase{"FirstCallEarly", 0, 4000, false},
                                           RuleCase{"AcrossWrapWithin", kNearWrap, 3000, false},
                                           RuleCase{"AcrossWrapOver", kNearWrap, 5001, true}),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Limits, DnsEchoRule,
                         ::testing::Values(RuleCase{"Over", 50000, 70001, true},
                                           RuleCase{"AtLimit", 50000, 70000, false},
                                           RuleCase{"FirstCallLate", 0, 20001, true},
                                           RuleCase{"FirstCallEarly", 0, 19000, false},
                                           RuleCase{"AcrossWrapWithin", kNearWrap, 8000, false},
                                           RuleCase{"AcrossWrapOver", kNearWrap, 15001, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkTest, FailedDetectionsGiveEmptyAndStillMoveTheTick) {
    globals->Endpoints.HttpEcho1 = globals->Endpoints.HttpEcho2 = "127.0.0.1:" + ClosedPort();
    globals->SetAlternateIP(true);
    {
        ScriptedTicks ticks({40000, 40100});
        EXPECT_EQ(globals->GetRemoteIP(""), "");
        EXPECT_EQ(globals->LastIPCheckTick, 40100u);
    }
    // A status text ("404") is shorter than an address.
    globals->Endpoints.HttpEcho1 = globals->Endpoints.HttpEcho2 = HttpUrl("/missing");
    EXPECT_EQ(globals->GetRemoteIP(""), "");

    globals->SetAlternateIP(false);
    globals->Endpoints.DnsEcho1 = globals->Endpoints.DnsEcho2 = "127.0.0.2";
    globals->Endpoints.DnsEchoPort = Servers().dns;
    const RecordingBind notLocal(true);
    ScriptedTicks ticks({90000, 90200});
    EXPECT_EQ(globals->GetRemoteIP("192.0.2.1"), "");
    EXPECT_EQ(globals->LastIPCheckTick, 90200u);
    EXPECT_EQ(notLocal.addresses, std::vector<std::string>{"192.0.2.1:0"});
}

TEST_F(NetworkTest, HttpEchoTrimsTheBodyAndSendsFromTheBoundAddress) {
    globals->Endpoints.HttpEcho1 = globals->Endpoints.HttpEcho2 = HttpUrl("");
    globals->SetAlternateIP(true);
    RecordingBind bind;
    // The scripted server's ip.php answers " \t" + the peer's address + " \r\n".
    EXPECT_EQ(globals->GetRemoteIP("127.0.0.9"), "127.0.0.9");
    EXPECT_EQ(bind.addresses, std::vector<std::string>{"127.0.0.9:0"});
}

TEST_F(NetworkTest, HttpEchoKeepsATrimmedBodyOfSevenCharactersOrMore) {
    globals->SetAlternateIP(true);
    const struct {
        const char* body;
        const char* result;
    } cases[] = {{"1.2.3.4", "1.2.3.4"}, {"1.2.34", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        // The scripted server answers " \t" + the text after "/padded/" + " \r\n".
        globals->Endpoints.HttpEcho1 = globals->Endpoints.HttpEcho2 =
            HttpUrl("/padded/" + std::string(c.body));
        EXPECT_EQ(globals->GetRemoteIP(""), c.result);
    }
}

TEST_F(NetworkTest, DnsQueryIsTheTwentyBytesWithAnIdFromTheSecureRandomSource) {
    globals->Endpoints.DnsEcho1 = globals->Endpoints.DnsEcho2 = "127.0.0.1";
    globals->Endpoints.DnsEchoPort = Servers().dnsQueryEcho;
    const FixedSecureRandom source("\xAB\xCD");
    seams::Random().Seed(20240917);
    PseudoRandom untouched;
    untouched.Seed(20240917);
    // The responder answers with the query's own bytes as the record's data.
    EXPECT_EQ(globals->GetRemoteIP(""), "171.205.1.0.0.1.0.0.0.0.0.0.2.105.112.0.0.1.0.1");
    EXPECT_EQ(seams::Random().Next(65535), untouched.Next(65535))
        << "the program's generator is not drawn from";
}

TEST_F(NetworkTest, DnsSocketIsBoundToTheGivenAddressOnly) {
    globals->Endpoints.DnsEcho1 = globals->Endpoints.DnsEcho2 = "127.0.0.2";
    globals->Endpoints.DnsEchoPort = Servers().dns;
    RecordingBind bind;
    EXPECT_EQ(globals->GetRemoteIP(""), "198.51.100.2");
    EXPECT_TRUE(bind.addresses.empty());
    // Wine sends a datagram from any address whatever the bind asked, so the bind is checked
    // here, at the seam.
    EXPECT_EQ(globals->GetRemoteIP("127.0.0.1"), "198.51.100.2");
    EXPECT_EQ(bind.addresses, std::vector<std::string>{"127.0.0.1:0"});
}

} // namespace
} // namespace vek::testing
