// The web site's pages that the desktop client opens in the browser.
#include "tests/native/provider/ProviderFixture.h"

namespace vek::provider::test {
namespace {

using WebPagesTest = ProviderTest;

// On the update server's plain HTTP side.
TEST_F(WebPagesTest, TheUpdateServerServesTheWebSitesPages) {
    for (const char* page :
         {"/", "/getting_started.php", "/support/", "/legal/tos.php", "/domain-search.php",
          "/newUser.php", "/forgotPw.php", "/members/dns/"}) {
        const HttpReply reply = HttpGet(bound_.http, page);
        EXPECT_EQ(reply.status, 200) << page;
        EXPECT_NE(reply.body.find("<html>"), std::string::npos) << page;
    }
    EXPECT_EQ(HttpGet(bound_.http, "/members/").status, 404);
}

} // namespace
} // namespace vek::provider::test
