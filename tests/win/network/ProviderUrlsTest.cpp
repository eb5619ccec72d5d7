// The request URLs of every exchange with the provider, on another endpoint set.
#include "Main/core/ProviderUrls.h"

#include <gtest/gtest.h>

namespace vek {
namespace {

ProviderEndpoints TestEndpoints() {
    ProviderEndpoints endpoints;
    endpoints.UpdateServer = "192.0.2.5:81";
    endpoints.UpdateServerTls = "update.example:444";
    return endpoints;
}

TEST(ProviderUrls, EveryExchange) {
    const ProviderEndpoints e = TestEndpoints();
    EXPECT_EQ(RegistrationUrl(e, "me+1@example.org", "p&ss=w rd%"),
              "update.example:444/client/register.php?email=me%2B1%40example.org"
              "&pass=p%26ss%3Dw%20rd%25");
    // The client id is never encoded.
    EXPECT_EQ(UnregistrationUrl(e, "a+b&c"), "192.0.2.5:81/client/unregister.php?email=a+b&c");
    EXPECT_EQ(HostListUrl(e, "cid7"), "192.0.2.5:81/list-hosts.php?email=cid7");
    EXPECT_EQ(NoticesUrl(e, "cid7", -1, 42),
              "192.0.2.5:81/notices.php?email=cid7&lastnotice=-1&lastalert=42");
    EXPECT_EQ(UpdateUrl(e, "h[]=a.example&g[]=home", "cid7", "203.0.113.9"),
              "192.0.2.5:81/vekupdate.php?h[]=a.example&g[]=home&email=cid7&ip=203.0.113.9");
    EXPECT_EQ(IpEchoUrl("198.51.100.1:8881"), "198.51.100.1:8881/ip.php");
}

} // namespace
} // namespace vek
