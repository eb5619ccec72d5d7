// TGDNSResolver against the scripted DNS-format responder: which replies give records, which
// raise, which are ignored, and the address text GetRemoteIP would build from them.
#include "tests/win/network/NetTestSupport.h"

#include "Main/core/GDNSResolver.h"

#include <gtest/gtest.h>

namespace vek::testing {
namespace {

enum class Outcome { Records, Nothing, Error };

struct ResolveCase {
    const char* domain;
    Outcome outcome;
    const char* text; // FirstRecordText
};

void PrintTo(const ResolveCase& c, std::ostream* os) { *os << c.domain; }

class ResolverCases : public ::testing::TestWithParam<ResolveCase> {
protected:
    TGDNSResolver Resolver() const {
        TGDNSResolver resolver;
        resolver.Host = "127.0.0.2";
        resolver.Port = Servers().dns;
        resolver.QueryType = {kDnsTypeA};
        return resolver;
    }
    ShortUdpWait wait{500};
};

TEST_P(ResolverCases, Resolve) {
    const ResolveCase& c = GetParam();
    TGDNSResolver resolver = Resolver();
    switch (c.outcome) {
    case Outcome::Records:
        resolver.Resolve(c.domain, "");
        EXPECT_FALSE(resolver.QueryResult.empty());
        break;
    case Outcome::Nothing:
        resolver.Resolve(c.domain, "");
        EXPECT_TRUE(resolver.QueryResult.empty());
        break;
    case Outcome::Error:
        EXPECT_THROW(resolver.Resolve(c.domain, ""), EDnsResolverError);
        break;
    }
    TGDNSResolver fresh = Resolver();
    EXPECT_EQ(FirstRecordText(fresh, c.domain, ""), c.text);
    EXPECT_EQ(wait.requested.back(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ResolverCases,
    ::testing::Values(ResolveCase{"a.test", Outcome::Records, "203.0.113.7"},
                      ResolveCase{"cname.test", Outcome::Records, "1.120.192.12"},
                      ResolveCase{"soa.test", Outcome::Records,
                                  "1.110.0.1.104.0.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1"},
                      ResolveCase{"aaaa.test", Outcome::Records,
                                  "32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1"},
                      ResolveCase{"zero.test", Outcome::Records, ""},
                      ResolveCase{"truncated.test", Outcome::Records, ""},
                      ResolveCase{"wrongid.test", Outcome::Error, ""},
                      ResolveCase{"otherq.test", Outcome::Error, ""},
                      // Sent from the other responder's address: the socket never takes it.
                      ResolveCase{"elsewhere.test", Outcome::Nothing, ""},
                      ResolveCase{"rcode3.test", Outcome::Error, ""},
                      ResolveCase{"loop.test", Outcome::Error, ""},
                      ResolveCase{"norecords.test", Outcome::Error, ""},
                      ResolveCase{"short0.test", Outcome::Nothing, ""},
                      ResolveCase{"short1.test", Outcome::Nothing, ""},
                      ResolveCase{"short4.test", Outcome::Nothing, ""},
                      ResolveCase{"short5.test", Outcome::Error, ""},
                      ResolveCase{"short11.test", Outcome::Error, ""},
                      ResolveCase{"silent.test", Outcome::Nothing, ""}),
    [](const auto& info) {
        std::string name = info.param.domain;
        return name.substr(0, name.find('.'));
    });

TEST(Resolver, FailsWithoutQueryTypeOrWithAnUnusableBind) {
    TGDNSResolver resolver;
    resolver.Host = "127.0.0.2";
    resolver.Port = Servers().dns;
    EXPECT_THROW(resolver.Resolve("a.test", ""), EDnsResolverError);
    resolver.QueryType = {kDnsTypeA};
    EXPECT_THROW(resolver.Resolve("a.test", "not an address"), EDnsResolverError);
    {
        const RecordingBind notLocal(true);
        EXPECT_THROW(resolver.Resolve("a.test", "192.0.2.1"), EDnsResolverError);
    }
    resolver.Host = "bad_host!name";
    EXPECT_THROW(resolver.Resolve("a.test", ""), EDnsResolverError);
}

TEST(Resolver, FailsWhenTheRandomSourceFails) {
    TGDNSResolver resolver;
    resolver.Host = "127.0.0.2";
    resolver.Port = Servers().dns;
    resolver.QueryType = {kDnsTypeA};
    const FixedSecureRandom failing("");
    EXPECT_THROW(resolver.Resolve("a.test", ""), EDnsResolverError);
}

} // namespace
} // namespace vek::testing
