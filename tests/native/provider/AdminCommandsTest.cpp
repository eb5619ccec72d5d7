// The operator's command line on a store that a running provider serves.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Commands.h"

#include <sstream>

namespace vek::provider::test {
namespace {

class AdminCommandsTest : public ProviderTest {
protected:
    struct Outcome {
        int code;
        std::string out;
        std::string err;
    };
    Outcome Run(std::vector<std::string> words, const std::string& input = "") {
        words.insert(words.begin(), {"--data", dataDir_.path()});
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        const int code = RunCommand(words, in, out, err);
        return {code, out.str(), err.str()};
    }
};

TEST_F(AdminCommandsTest, AnAccountMadeOnTheCommandLineRegistersAndUpdates) {
    ASSERT_EQ(Run({"account", "add", "cli@example.com", "-", "--host", "a.cli.example", "--host",
                   "b.cli.example", "--group", "both=a.cli.example,b.cli.example"},
                  "typed secret\n")
                  .code,
              0);
    EXPECT_TRUE(store().Authenticate("cli@example.com", "typed secret"));
    const auto issued = Run({"client", "issue", "cli@example.com"});
    ASSERT_EQ(issued.code, 0);
    const std::string id = issued.out.substr(issued.out.find("client id:") + 12, 20);
    const std::string key = issued.out.substr(issued.out.find("client key:") + 12, 32);
    EXPECT_EQ(HttpGet(bound_.http,
                      SignedTarget("/vekupdate.php?g[]=both&email=" + id + "&ip=203.0.113.7", key))
                  .body,
              "both:11\n");
    const auto hosts = Run({"hosts", "list", "cli@example.com"});
    EXPECT_EQ(hosts.code, 0);
    EXPECT_NE(hosts.out.find("a.cli.example  203.0.113.7  20"), std::string::npos) << hosts.out;
    EXPECT_NE(hosts.out.find("b.cli.example  203.0.113.7"), std::string::npos) << hosts.out;
}

TEST_F(AdminCommandsTest, OperatorStatesReachTheRunningServer) {
    const std::string update =
        "/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=203.0.113.7";
    const struct {
        std::vector<std::string> command;
        std::vector<std::string> undo;
        std::string body;
    } cases[] = {
        {{"ban", kEmail}, {"unban", kEmail}, "office.user.example:6\n"},
        {{"client", "disable", client_.id},
         {"client", "enable", client_.id},
         "office.user.example:98\n"},
        {{"version", "bar", "3.0.4"}, {"version", "unbar", "3.0.4"}, "office.user.example:99\n"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Run(c.command).code, 0) << c.command[0];
        EXPECT_EQ(Signed(update).body, c.body);
        ASSERT_EQ(Run(c.undo).code, 0) << c.undo[0];
    }
    EXPECT_EQ(Signed(update).body, "office.user.example:1\n");

    ASSERT_EQ(Run({"notice", "post", "Title", "Body", "--link", "http://x.example/"}).code, 0);
    ASSERT_EQ(Run({"alert", "post", "Alert", "Now"}).code, 0);
    ASSERT_EQ(Run({"account", "set", kEmail, "--interval", "1200000", "--enhanced", "on"}).code, 0);
    const auto notices =
        Signed("/notices.php?email=" + client_.id + "&lastnotice=0&lastalert=0").body;
    EXPECT_NE(notices.find("<notice id=\"1\" title=\"Title\" link=\"http://x.example/\">Body"),
              std::string::npos);
    EXPECT_NE(notices.find("<alert id=\"1\" title=\"Alert\""), std::string::npos);
    EXPECT_NE(notices.find("<remoteinterval>1200000</remoteinterval>"), std::string::npos);
    EXPECT_NE(notices.find("<enhanced>true</enhanced>"), std::string::npos);

    ASSERT_EQ(Run({"echo", "set", "198.51.100.4"}).code, 0);
    EXPECT_EQ(HttpGet(bound_.echoHttp[0], "/ip.php").body, "198.51.100.4");
    ASSERT_EQ(Run({"echo", "clear"}).code, 0);
    EXPECT_EQ(HttpGet(bound_.echoHttp[0], "/ip.php").body, "127.0.0.1");
}

TEST_F(AdminCommandsTest, RefusedAndMistypedCommandsSaySoAndChangeNothing) {
    const struct {
        std::vector<std::string> words;
        int code;
    } cases[] = {
        {{}, 2},
        {{"frobnicate"}, 2},
        {{"ban"}, 2},
        {{"group", "add", kEmail}, 2},
        {{"account", "set", kEmail, "--enhanced", "maybe"}, 2},
        {{"account", "set", kEmail, "--interval", "soon"}, 2},
        {{"ban", "nobody@example.com"}, 1},
        {{"account", "add", kEmail, "again"}, 1},
        {{"account", "add", "bad address", "x"}, 1},
        {{"account", "add", "@example.com", "x"}, 1},
        {{"account", "add", "user@", "x"}, 1},
        {{"host", "add", kEmail, "no_dot"}, 1},
        {{"host", "add", kEmail, "office.user.example"}, 1},
        {{"group", "add", kEmail, "g", "missing.example"}, 1},
        {{"group", "add", kEmail, "bad|name", "office.user.example"}, 1},
        {{"echo", "set", "256.1.1.1"}, 1},
        {{"client", "disable", "unknown"}, 1},
        {{"ban", kEmail, "extra"}, 2},
        {{"echo", "clear", "--force"}, 2},
        {{"serve", "--htpp", "127.0.0.1:0"}, 2},
        {{"account", "set", kEmail, "--intreval", "5"}, 2},
        {{"account", "set", kEmail, "--interval", "1e9"}, 2},
        {{"account", "set", kEmail, "--interval", "5", "--interval", "6"}, 2},
        {{"account", "set", kEmail, "--interval", "5", "--enhanced", "maybe"}, 2},
        {{"account", "set", kEmail, "--error", "x", "--no-error"}, 2},
        {{"account", "add", "new@example.com", "pw", "--host", "bad name"}, 1},
        {{"account", "add", "new@example.com", "pw", "--host", "office.user.example"}, 1},
        {{"account", "add", "new@example.com", "pw", "--host", "a.new.example", "--group",
          "g=a.new.example,b.new.example"},
         1},
    };
    for (const auto& c : cases) {
        const auto outcome = Run(c.words);
        EXPECT_EQ(outcome.code, c.code) << (c.words.empty() ? "" : c.words[0]);
        EXPECT_FALSE(outcome.err.empty());
    }
    EXPECT_EQ(Signed("/list-hosts.php?email=" + client_.id).body,
              "#,-.user.example|#,lake.other.example|#,office.user.example|"
              "all,home.user.example|family,cabin.user.example|family,home.user.example\n");
    EXPECT_NE(Signed("/notices.php?email=" + client_.id + "&lastnotice=0&lastalert=0")
                  .body.find("<remoteinterval>600000</remoteinterval>"),
              std::string::npos);
    EXPECT_EQ(Run({"ban", "new@example.com"}).code, 1); // no account was made
}

} // namespace
} // namespace vek::provider::test
