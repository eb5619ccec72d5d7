// The store writer's group commit: each update in a savepoint of its own, and nothing of any
// update when the transaction's commit fails; addresses stored in canonical form.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Names.h"
#include "provider/Sqlite.h"
#include "provider/UpdateWriter.h"

#include <future>
#include <thread>

namespace vek::provider::test {
namespace {

// Updates to these addresses fail: the first at once, the second only at the commit, where a
// deferred foreign key it broke is checked.
constexpr const char* kFailingAddress = "192.0.2.99";
constexpr const char* kFailingCommitAddress = "192.0.2.66";

class GroupCommitTest : public ::testing::Test {
protected:
    void SetUp() override {
        Store store(path_);
        accountId_ = store.AddAccount(kEmail, kPassword);
        for (const char* host : {"a.user.example", "b.user.example", "c.user.example"})
            store.AddHost(kEmail, host);
        Database db(path_);
        db.Exec("CREATE TABLE poison (host_id INTEGER REFERENCES hosts(id) "
                "DEFERRABLE INITIALLY DEFERRED)");
        db.Exec("CREATE TRIGGER fail_now BEFORE UPDATE ON hosts WHEN NEW.address = '192.0.2.99' "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        db.Exec("CREATE TRIGGER fail_at_commit AFTER UPDATE ON hosts "
                "WHEN NEW.address = '192.0.2.66' BEGIN INSERT INTO poison VALUES (-1); END");
    }

    PendingUpdate Update(const std::string& host, const std::string& address) const {
        return {accountId_, {{false, host}}, address, 1700000000};
    }
    std::string AddressOf(const std::string& host) {
        for (const auto& status : Store(path_).ListHosts(kEmail)) {
            if (status.name == host)
                return status.address;
        }
        return "not listed";
    }

    TempDir dir_;
    const std::string path_ = dir_.path() + "/store.sqlite3";
    std::int64_t accountId_ = 0;
};

TEST_F(GroupCommitTest, AFailingUpdateIsRolledBackAloneAndTheOthersCommit) {
    Store store(path_);
    const auto outcomes = store.ApplyUpdates({Update("a.user.example", "198.51.100.1"),
                                              Update("b.user.example", kFailingAddress),
                                              Update("c.user.example", "198.51.100.3")});
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0], std::vector<ReplyCode>{ReplyCode::HostUpdated});
    EXPECT_EQ(outcomes[1], std::nullopt);
    EXPECT_EQ(outcomes[2], std::vector<ReplyCode>{ReplyCode::HostUpdated});
    EXPECT_EQ(AddressOf("a.user.example"), "198.51.100.1");
    EXPECT_EQ(AddressOf("b.user.example"), "");
    EXPECT_EQ(AddressOf("c.user.example"), "198.51.100.3");
}

TEST_F(GroupCommitTest, AFailedCommitGivesEveryUpdateOfItNothingAndWritesNothing) {
    UpdateWriter writer(path_, Limits{}.updatesPerCommit);
    std::vector<UpdateOutcome> outcomes;
    const auto note = [&outcomes](const PendingUpdate&, UpdateOutcome outcome) {
        outcomes.push_back(std::move(outcome));
    };
    // Submitted before the writer starts, they wait for it together and share one transaction.
    writer.Submit(Update("a.user.example", "198.51.100.1"), note);
    writer.Submit(Update("b.user.example", kFailingCommitAddress), note);
    writer.Start();
    writer.Stop();
    EXPECT_EQ(outcomes, (std::vector<UpdateOutcome>{std::nullopt, std::nullopt}));
    EXPECT_EQ(AddressOf("a.user.example"), "");

    // The writer goes on with the next transaction.
    UpdateWriter next(path_, Limits{}.updatesPerCommit);
    next.Submit(Update("a.user.example", "198.51.100.1"), note);
    next.Start();
    next.Stop();
    EXPECT_EQ(outcomes.back(), std::vector<ReplyCode>{ReplyCode::HostUpdated});
    EXPECT_EQ(AddressOf("a.user.example"), "198.51.100.1");
}

TEST_F(GroupCommitTest, UpdatesBeyondOneCommitsShareAreCommittedInTheNext) {
    UpdateWriter writer(path_, 2);
    std::vector<std::string> committed;
    for (const char* host : {"a.user.example", "b.user.example", "c.user.example"}) {
        writer.Submit(Update(host, "203.0.113.9"),
                      [&committed](const PendingUpdate& update, UpdateOutcome outcome) {
                          if (outcome == std::vector<ReplyCode>{ReplyCode::HostUpdated})
                              committed.push_back(update.items[0].name);
                      });
    }
    writer.Start();
    writer.Stop();
    EXPECT_EQ(committed,
              (std::vector<std::string>{"a.user.example", "b.user.example", "c.user.example"}));
    EXPECT_EQ(AddressOf("c.user.example"), "203.0.113.9");
}

TEST_F(GroupCommitTest, AnUpdateFindingNoCommitUnderWayIsCommittedOnItsOwnThreadAtOnce) {
    UpdateWriter writer(path_, Limits{}.updatesPerCommit);
    writer.Start();
    std::optional<std::thread::id> handedOn;
    UpdateOutcome outcome;
    writer.Submit(Update("a.user.example", "198.51.100.1"),
                  [&](const PendingUpdate&, UpdateOutcome committed) {
                      handedOn = std::this_thread::get_id();
                      outcome = std::move(committed);
                  });
    EXPECT_EQ(handedOn, std::this_thread::get_id()); // before Submit returned, on this thread
    EXPECT_EQ(outcome, std::vector<ReplyCode>{ReplyCode::HostUpdated});
    writer.Stop();
}

TEST_F(GroupCommitTest, AnUpdateFindingTheStoreLockedLeavesItsThreadAndWaitsForTheLock) {
    UpdateWriter writer(path_, Limits{}.updatesPerCommit);
    writer.Start();
    Database operatorConnection(path_);
    auto locked = std::make_optional<WriteTransaction>(operatorConnection);
    std::promise<UpdateOutcome> handed;
    auto outcome = handed.get_future();
    auto submitting = std::async(std::launch::async, [&] {
        writer.Submit(Update("a.user.example", "198.51.100.1"),
                      [&handed](const PendingUpdate&, UpdateOutcome committed) {
                          handed.set_value(std::move(committed));
                      });
    });
    // The submitting thread (an I/O thread in the servers) is back at once, the update waiting.
    EXPECT_EQ(submitting.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(outcome.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    locked->Commit();
    locked.reset();
    ASSERT_EQ(outcome.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(outcome.get(), std::vector<ReplyCode>{ReplyCode::HostUpdated});
    writer.Stop();
}

TEST(CanonicalIPv4, DropsLeadingZerosAndRefusesAnythingElse) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"1.2.3.4", "1.2.3.4"},
        {"001.002.003.004", "1.2.3.4"},
        {"010.000.000.001", "10.0.0.1"},
        {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3.256", std::nullopt},
        {"0001.2.3.4", std::nullopt},
        {"1..3.4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, canonical] : cases)
        EXPECT_EQ(CanonicalIPv4(text), canonical) << text;
}

class CanonicalAddressTest : public ProviderTest {};

TEST_F(CanonicalAddressTest, AnAddressWithLeadingZerosIsStoredCanonicallyAndCountsAsTheSame) {
    const auto update = [this](const std::string& ip) {
        return Signed("/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=" + ip)
            .body;
    };
    EXPECT_EQ(update("198.051.100.007"), "office.user.example:1\n");
    EXPECT_EQ(AddressOf("office.user.example"), "198.51.100.7");
    EXPECT_EQ(update("198.51.100.7"), "office.user.example:0\n");
}

} // namespace
} // namespace vek::provider::test
