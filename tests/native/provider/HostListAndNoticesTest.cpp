// The host list, the notices and the unregistration: signed reads of the account.
#include "tests/native/provider/ProviderFixture.h"

namespace vek::provider::test {
namespace {

class AccountReadTest : public ProviderTest {
protected:
    HttpReply HostList() { return Signed("/list-hosts.php?email=" + client_.id); }
    HttpReply Notices(int lastNotice, int lastAlert) {
        return Signed("/notices.php?email=" + client_.id + "&lastnotice=" +
                      std::to_string(lastNotice) + "&lastalert=" + std::to_string(lastAlert));
    }
};

TEST_F(AccountReadTest, HostListHasOneRecordPerGroupMembershipAndHashForUngroupedHosts) {
    const auto reply = HostList();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "#,-.user.example|#,lake.other.example|#,office.user.example|"
                          "all,home.user.example|family,cabin.user.example|"
                          "family,home.user.example\n");
}

TEST_F(AccountReadTest, HostListOfAnAccountWithoutHostsIsOnlyTheFinalCharacter) {
    store().AddAccount("empty@example.com", "pass");
    const auto client = store().IssueClient("empty@example.com");
    EXPECT_EQ(
        HttpGet(bound_.http, SignedTarget("/list-hosts.php?email=" + client.id, client.key)).body,
        "\n");
}

TEST_F(AccountReadTest, HostListRefusalsAreStatus3) {
    const std::string target = "/list-hosts.php?email=" + client_.id;
    EXPECT_EQ(HttpGet(bound_.http, SignedTarget(target, "wrong")).body, "status=3");
    EXPECT_EQ(HttpGet(bound_.http, target).body, "status=3");
    EXPECT_EQ(HttpGet(bound_.http, SignedTarget("/list-hosts.php?email=abc", client_.key)).body,
              "status=3");
    store().SetClientEnabled(client_.id, false);
    EXPECT_EQ(HostList().body, "status=3");
    store().SetClientEnabled(client_.id, true);
    store().SetBanned(kEmail, true);
    EXPECT_EQ(HostList().body, "status=3");
}

TEST_F(AccountReadTest, NoticesCarryOnlyIdsNewerThanTheRequestsAndTheAccountValues) {
    store().PostMessage(MessageKind::Notice, "old", "seen", "");
    store().PostMessage(MessageKind::Notice, "Fish & <chips>", "body \"2\"",
                        "http://x.example/?a=1&b=2");
    store().PostMessage(MessageKind::Alert, "alert one", "first alert", "");
    store().SetRemoteInterval(kEmail, 900000);
    store().SetEnhanced(kEmail, true);
    const auto reply = Notices(1, 0);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<user><enhanced>true</enhanced>"
              "<alerts><alert id=\"1\" title=\"alert one\" link=\"\">first alert</alert></alerts>"
              "<notices><notice id=\"2\" title=\"Fish &amp; &lt;chips&gt;\" "
              "link=\"http://x.example/?a=1&amp;b=2\">body &quot;2&quot;</notice></notices>"
              "<remoteinterval>900000</remoteinterval><email>user@example.com</email></user>\n");
    EXPECT_EQ(Notices(2, 1).body.find("<notice "), std::string::npos);
    EXPECT_NE(Notices(-1, -1).body.find("<notice id=\"1\""), std::string::npos);
}

TEST_F(AccountReadTest, NoticesShowTheAccountErrorAndABan) {
    store().SetError(kEmail, "payment overdue");
    EXPECT_NE(Notices(0, 0).body.find("<error>payment overdue</error>"), std::string::npos);
    store().SetError(kEmail, std::nullopt);
    EXPECT_EQ(Notices(0, 0).body.find("<error>"), std::string::npos);
    store().SetBanned(kEmail, true);
    EXPECT_NE(Notices(0, 0).body.find("<error>account banned</error>"), std::string::npos);
}

TEST_F(AccountReadTest, NoticesOfADisabledClientHaveRootDisabled) {
    store().SetClientEnabled(client_.id, false);
    EXPECT_EQ(Notices(0, 0).body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<disabled/>\n");
}

TEST_F(AccountReadTest, NoticesRefusalsAreNotXml) {
    const std::string base = "/notices.php?email=" + client_.id;
    EXPECT_EQ(
        HttpGet(bound_.http, SignedTarget(base + "&lastnotice=0&lastalert=0", "wrong")).status,
        403);
    for (const char* ids : {"&lastnotice=x&lastalert=0", "&lastnotice=0&lastalert=-2",
                            "&lastnotice=214748365&lastalert=0", "&lastnotice=&lastalert=0"}) {
        const auto reply = Signed(base + ids);
        EXPECT_EQ(reply.status, 400) << ids;
        EXPECT_NE(reply.body.rfind("<?xml version", 0), 0u) << ids;
    }
}

TEST_F(AccountReadTest, UnregisterRemovesTheClientOnlyWhenSigned) {
    const std::string target = "/client/unregister.php?email=" + client_.id;
    EXPECT_EQ(HttpGet(bound_.http, SignedTarget(target, "wrong")).status, 403);
    EXPECT_TRUE(store().FindClient(client_.id));
    EXPECT_EQ(Signed(target).status, 200);
    EXPECT_FALSE(store().FindClient(client_.id));
    EXPECT_EQ(
        Signed("/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=203.0.113.7")
            .body,
        "office.user.example:3\n");
}

} // namespace
} // namespace vek::provider::test
