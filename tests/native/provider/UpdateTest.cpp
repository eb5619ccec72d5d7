// The update exchange: reply lines, stored addresses, and every refusal code.
#include "tests/native/provider/ProviderFixture.h"

#include <thread>

namespace vek::provider::test {
namespace {

class UpdateTest : public ProviderTest {
protected:
    std::string Update(const std::string& items, const std::string& ip,
                       const std::string& userAgent = kUserAgent) {
        const auto reply =
            Signed("/vekupdate.php?" + items + "&email=" + client_.id + "&ip=" + ip, userAgent);
        EXPECT_EQ(reply.status, 200);
        return reply.body;
    }
};

TEST_F(UpdateTest, HostUpdateChangesTheStoredAddressOnceThenReportsUnchanged) {
    EXPECT_EQ(Update("h[]=office.user.example", "203.0.113.7"), "office.user.example:1\n");
    EXPECT_EQ(AddressOf("office.user.example"), "203.0.113.7");
    EXPECT_EQ(Update("h[]=office.user.example", "203.0.113.7"), "office.user.example:0\n");
    EXPECT_EQ(Update("h[]=OFFICE.user.example", "198.51.100.1"), "OFFICE.user.example:1\n");
    EXPECT_EQ(AddressOf("office.user.example"), "198.51.100.1");
    EXPECT_EQ(AddressOf("home.user.example"), "");
}

TEST_F(UpdateTest, GroupUpdateChangesEveryMemberAndOnlyThem) {
    EXPECT_EQ(Update("g[]=family", "203.0.113.7"), "family:11\n");
    EXPECT_EQ(AddressOf("home.user.example"), "203.0.113.7");
    EXPECT_EQ(AddressOf("cabin.user.example"), "203.0.113.7");
    EXPECT_EQ(AddressOf("office.user.example"), "");
    EXPECT_EQ(Update("g[]=family", "203.0.113.7"), "family:12\n");
}

TEST_F(UpdateTest, EveryItemGetsOneLineInRequestOrder) {
    store().AddAccount("other@example.com", "other pass");
    store().AddHost("other@example.com", "their.other.example");
    EXPECT_EQ(Update("h[]=nobody.example&g[]=family&h[]=their.other.example&g[]=nogroup&"
                     "h[]=-.user.example&h[]=a:b.example",
                     "203.0.113.7"),
              "nobody.example:2\nfamily:11\ntheir.other.example:10\nnogroup:8\n"
              "-.user.example:1\na?b.example:2\n");
    EXPECT_EQ(AddressOf("their.other.example"), "not listed");
    EXPECT_EQ(store().ListHosts("other@example.com")[0].address, "");
}

TEST_F(UpdateTest, RefusedRequestsChangeNothing) {
    const std::string items = "h[]=office.user.example&g[]=family";
    const std::string tail = "&ip=203.0.113.7";
    const std::string good = "/vekupdate.php?" + items + "&email=" + client_.id + tail;
    const std::string other = good + "0";
    struct Case {
        const char* name;
        std::string target;
        std::string body;
    };
    const Case cases[] = {
        {"unknown client",
         SignedTarget("/vekupdate.php?" + items + "&email=00ff" + tail, client_.key),
         "office.user.example:3\nfamily:3\n"},
        {"no client id", SignedTarget("/vekupdate.php?" + items + tail, client_.key),
         "office.user.example:3\nfamily:3\n"},
        {"two client ids",
         SignedTarget("/vekupdate.php?" + items + "&email=" + client_.id + "&email=" + client_.id +
                          tail,
                      client_.key),
         "office.user.example:3\nfamily:3\n"},
        {"wrong key", SignedTarget(good, "0123456789abcdef0123456789abcdef"),
         "office.user.example:4\nfamily:4\n"},
        {"no signature", good, "office.user.example:4\nfamily:4\n"},
        {"signature of another request",
         good + SignedTarget(other, client_.key).substr(other.size()),
         "office.user.example:4\nfamily:4\n"},
        {"text added after signing", SignedTarget(good, client_.key) + "&h[]=home.user.example",
         "office.user.example:4\nfamily:4\nhome.user.example:4\n"},
        {"bytes added to the signature",
         SignedTarget(good, client_.key).insert(SignedTarget(good, client_.key).size() - 1, "AA"),
         "office.user.example:4\nfamily:4\n"},
        {"no items, bad signature", "/vekupdate.php?email=" + client_.id + tail + "&pass=HMAC{x}",
         "4\n"},
    };
    for (const auto& c : cases) {
        const auto reply = HttpGet(bound_.http, c.target);
        EXPECT_EQ(reply.status, 200) << c.name;
        EXPECT_EQ(reply.body, c.body) << c.name;
    }
    EXPECT_EQ(AddressOf("office.user.example"), "");
    EXPECT_EQ(AddressOf("home.user.example"), "");
}

TEST_F(UpdateTest, AccountAndClientStatesRefuseWithTheirCodes) {
    const std::string items = "h[]=office.user.example";
    store().SetClientEnabled(client_.id, false);
    EXPECT_EQ(Update(items, "203.0.113.7"), "office.user.example:98\n");
    store().SetClientEnabled(client_.id, true);

    store().SetBanned(kEmail, true);
    EXPECT_EQ(Update(items, "203.0.113.7"), "office.user.example:6\n");
    store().SetBanned(kEmail, false);

    store().SetVersionBarred("3.0.4", true);
    EXPECT_EQ(Update(items, "203.0.113.7", "VEK v3.0.4/6.1.7601 (Service)"),
              "office.user.example:99\n");
    EXPECT_EQ(Update(items, "203.0.113.7", "VEK v3.0.5/6.1.7601"), "office.user.example:1\n");
    store().SetVersionBarred("3.0.4", false);
    EXPECT_EQ(Update(items, "203.0.113.8"), "office.user.example:1\n");
    EXPECT_EQ(AddressOf("office.user.example"), "203.0.113.8");
}

TEST_F(UpdateTest, SignatureCoversTheTextBeforeTransportEscaping) {
    // A space and a byte above 127 travel as %20 and %E9; the server undoes exactly that before
    // checking the signature, so the valid item is updated and the odd names are not found.
    EXPECT_EQ(Update("h[]=bad name.example&h[]=caf\xE9.example&h[]=office.user.example&"
                     "g[]=fam ily",
                     "203.0.113.7"),
              "bad?name.example:2\ncaf?.example:2\noffice.user.example:1\nfam?ily:8\n");
    // A "%2B" that the signer itself wrote (URL-encoding is not undone) stays part of the text.
    EXPECT_EQ(Update("h[]=a%2Bb.example&h[]=office.user.example", "203.0.113.9"),
              "a%2Bb.example:2\noffice.user.example:1\n");
    // A "%20" in the signed text itself travels as "%2520" and comes back as "%20".
    EXPECT_EQ(Update("h[]=a%20b.example&h[]=office.user.example", "203.0.113.10"),
              "a%20b.example:2\noffice.user.example:1\n");
}

// A query of the update whose signed target, as sent, is `length` bytes long: padded, and
// each round under another name, until the escaped signature's length lets it fit.
std::string QueryOfTargetLength(const std::string& query, std::size_t length,
                                const std::string& key) {
    for (int round = 0; round < 200; ++round) {
        const std::string padded = query + "&pad" + std::to_string(round) + "=";
        const std::size_t sent = SignedTarget("/vekupdate.php?" + padded, key).size();
        const std::string candidate = padded + std::string(length - sent, 'p');
        if (SignedTarget("/vekupdate.php?" + candidate, key).size() == length)
            return candidate;
    }
    throw std::runtime_error("no padding fits");
}

TEST_F(UpdateTest, MalformedUpdatesGetAWellFormedRefusal) {
    const auto items = [](int count) {
        std::string items = "h[]=x0.example";
        for (int i = 1; i < count; ++i)
            items += "&h[]=x" + std::to_string(i) + ".example";
        return items;
    };
    const std::string many = items(300);
    const std::string tail = "&email=" + client_.id + "&ip=203.0.113.7";
    struct Case {
        const char* name;
        std::string query;
        int status;
    };
    const Case cases[] = {
        {"no ip", "h[]=office.user.example&email=" + client_.id, 400},
        {"ip not an address", "h[]=office.user.example&email=" + client_.id + "&ip=1.2.3", 400},
        {"ip with a field above 255",
         "h[]=office.user.example&email=" + client_.id + "&ip=1.2.3.256", 400},
        {"no items", "email=" + client_.id + "&ip=203.0.113.7", 400},
        {"too many items", many + "&email=" + client_.id + "&ip=203.0.113.7", 400},
        {"256 items", items(256) + tail, 200},
        {"257 items", items(257) + tail, 400},
        {"a target of 8192 bytes", QueryOfTargetLength("h[]=x.example" + tail, 8192, client_.key),
         200},
        {"a target of 8193 bytes", QueryOfTargetLength("h[]=x.example" + tail, 8193, client_.key),
         414},
        {"a target of 20000 bytes", QueryOfTargetLength("h[]=x.example" + tail, 20000, client_.key),
         414},
        {"oversized name",
         "h[]=" + std::string(3000, 'a') + ".example&email=" + client_.id + "&ip=203.0.113.7", 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Signed("/vekupdate.php?" + c.query).status, c.status) << c.name;
    }
    EXPECT_EQ(AddressOf("office.user.example"), "");
}

TEST_F(UpdateTest, ConcurrentUpdatesAndOperatorWritesAllCommit) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 20;
    for (int t = 0; t < kThreads; ++t)
        store().AddHost(kEmail, "c" + std::to_string(t) + ".example");
    // The operator's commands use their own connection to the same file.
    Store operatorStore(dataDir_.path() + "/provider.sqlite3");
    std::vector<std::thread> threads;
    std::vector<int> updated(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string host = "c" + std::to_string(t) + ".example";
            for (int round = 0; round < kRounds; ++round) {
                const std::string ip = "198.51.100." + std::to_string(round + 1);
                const auto reply =
                    Signed("/vekupdate.php?h[]=" + host + "&email=" + client_.id + "&ip=" + ip);
                updated[t] += reply.body == host + ":1\n";
            }
        });
    }
    for (int round = 0; round < kRounds; ++round) {
        operatorStore.PostMessage(MessageKind::Notice, "n", "b", "");
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(updated[t], kRounds);
        EXPECT_EQ(AddressOf("c" + std::to_string(t) + ".example"),
                  "198.51.100." + std::to_string(kRounds));
    }
    EXPECT_EQ(store().MessagesAfter(MessageKind::Notice, -1).size(), std::size_t{kRounds});
}

} // namespace
} // namespace vek::provider::test
