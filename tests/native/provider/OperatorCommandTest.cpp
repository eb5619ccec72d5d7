// Operator commands run by another process while the provider serves: the very next request
// sees each of them, whichever I/O thread serves it, and so do both DNS echo servers.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Commands.h"
#include "provider/probe/ProviderProcess.h"

#include <sstream>

namespace vek::provider::test {
namespace {

// Connections are dealt to the I/O threads in turn: this many in a row reach every thread.
constexpr int kIoThreads = 4;

class OperatorCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            Store store(PrepareDataDir(dataDir_.path()));
            store.AddAccount(kEmail, kPassword);
            store.AddHost(kEmail, "home.user.example");
            client_ = store.IssueClient(kEmail);
        }
        provider_.emplace(VEK_PROVIDER_PROGRAM, dataDir_.path(),
                          std::vector<std::string>{"--threads", std::to_string(kIoThreads)});
    }

    // The operator's command line, run in this process: another one than the provider's.
    void Operator(std::vector<std::string> words) {
        words.insert(words.begin(), {"--data", dataDir_.path()});
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(RunCommand(words, in, out, err), 0) << words[2] << ": " << err.str();
    }

    // The body each I/O thread answers, one fresh connection per thread.
    std::vector<std::string> FromEveryThread(const Endpoint& server, const std::string& target) {
        std::vector<std::string> bodies;
        for (int i = 0; i < kIoThreads; ++i)
            bodies.push_back(HttpGet(server, target).body);
        return bodies;
    }

    std::string Signed(const std::string& target) const {
        return SignedTarget(target + "email=" + client_.id, client_.key);
    }

    TempDir dataDir_;
    ClientCredentials client_;
    std::optional<probe::ProviderProcess> provider_;
};

TEST_F(OperatorCommandTest, EveryIoThreadSeesACommandAtItsVeryNextRequest) {
    const std::string update = Signed("/vekupdate.php?h[]=home.user.example&ip=203.0.113.5&");
    const std::string hostList = Signed("/list-hosts.php?");
    const std::string notices = Signed("/notices.php?lastnotice=0&lastalert=0&");
    const struct {
        std::vector<std::string> command;
        const std::string& target;
        std::string expected; // in every thread's answer
    } cases[] = {
        {{"ban", kEmail}, update, "home.user.example:6\n"},
        {{"unban", kEmail}, update, "home.user.example:0\n"},
        {{"client", "disable", client_.id}, update, "home.user.example:98\n"},
        {{"client", "enable", client_.id}, update, "home.user.example:0\n"},
        {{"version", "bar", "3.0.4"}, update, "home.user.example:99\n"},
        {{"version", "unbar", "3.0.4"}, update, "home.user.example:0\n"},
        {{"host", "add", kEmail, "late.user.example"}, hostList, "#,late.user.example"},
        {{"notice", "post", "Title", "Body"}, notices, "<notice id=\"1\" title=\"Title\""},
        {{"alert", "post", "Now", "Alert"}, notices, "<alert id=\"1\" title=\"Now\""},
        {{"account", "set", kEmail, "--error", "Pay up"}, notices, "<error>Pay up</error>"},
        {{"account", "set", kEmail, "--interval", "900000"}, notices, "900000</remoteinterval>"},
    };
    FromEveryThread(provider_->http, update); // the host at this address, so 0 when allowed
    for (const auto& c : cases) {
        FromEveryThread(provider_->http, c.target); // whatever a thread might keep is read now
        Operator(c.command);
        for (const auto& body : FromEveryThread(provider_->http, c.target))
            EXPECT_NE(body.find(c.expected), std::string::npos) << c.command[0] << ": " << body;
    }
}

TEST_F(OperatorCommandTest, EveryEchoServerThreadSeesTheOperatorsAddressAtOnce) {
    const auto dnsEcho = [this](int server) {
        DnsPeer peer(provider_->echoDns[server]);
        peer.Send(DnsQuery(7, "ip"));
        const auto reply = peer.Receive();
        return reply ? FirstAnswerAddress(*reply).value_or("no address") : "no reply";
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> steps = {
        {{"echo", "set", "203.0.113.8"}, "203.0.113.8"},
        {{"echo", "set", "198.51.100.9"}, "198.51.100.9"},
        {{"echo", "clear"}, "127.0.0.1"},
    };
    for (const auto& [command, expected] : steps) {
        for (int server : {0, 1}) { // whatever a thread might keep is read now
            FromEveryThread(provider_->echoHttp[server], "/ip.php");
            dnsEcho(server);
        }
        Operator(command);
        for (int server : {0, 1}) {
            for (const auto& body : FromEveryThread(provider_->echoHttp[server], "/ip.php"))
                EXPECT_EQ(body, expected) << command[1] << ", HTTP echo " << server;
            EXPECT_EQ(dnsEcho(server), expected) << command[1] << ", DNS echo " << server;
        }
    }
}

} // namespace
} // namespace vek::provider::test
