// Failed registrations slow down the next ones per account and per peer, and an unknown e-mail
// address fails exactly as a known one does.
#include "tests/native/provider/ProviderFixture.h"

#include "provider/Crypto.h"
#include "provider/Exchanges.h"
#include "provider/RegistrationThrottle.h"

namespace vek::provider::test {
namespace {

using Clock = RegistrationThrottle::Clock;
using std::chrono::seconds;

class RegistrationThrottleTest : public ::testing::Test {
protected:
    seconds PausedFor(const char* email, const char* peer) {
        return std::chrono::duration_cast<seconds>(throttle_.Paused(email, peer, now_));
    }
    void Fail(const char* email, const char* peer, int times) {
        for (int i = 0; i < times; ++i)
            throttle_.Failed(email, peer, now_);
    }

    ServerLog log_{false};
    RegistrationThrottle throttle_{log_};
    Clock::time_point now_ = Clock::now();
};

TEST_F(RegistrationThrottleTest, FailuresBeyondTheFreeOnesPauseTheAccountForDoublingTimes) {
    Fail("a@example.com", "10.0.0.1", 5);
    EXPECT_EQ(PausedFor("a@example.com", "10.0.0.2"), seconds(0));
    const struct {
        int failures;
        seconds pause;
    } steps[] = {{1, seconds(2)}, {1, seconds(4)}, {3, seconds(32)}, {20, seconds(900)}};
    for (const auto& step : steps) {
        Fail("A@Example.com", "10.0.0.1", step.failures);
        EXPECT_EQ(PausedFor("a@example.com", "10.0.0.2"), step.pause);
    }
    now_ += seconds(900);
    EXPECT_EQ(PausedFor("a@example.com", "10.0.0.2"), seconds(0));
    EXPECT_EQ(PausedFor("b@example.com", "10.0.0.2"), seconds(0));
    // After a quiet hour the failures are forgotten: the next ones are free again.
    now_ += seconds(3600);
    Fail("a@example.com", "10.0.0.1", 5);
    EXPECT_EQ(PausedFor("a@example.com", "10.0.0.2"), seconds(0));
}

TEST_F(RegistrationThrottleTest, APeerThatSignedInIsNotHeldByItsAccountsPause) {
    throttle_.Succeeded("a@example.com", "10.0.0.9", now_);
    Fail("a@example.com", "10.0.0.1", 10);
    EXPECT_GT(PausedFor("a@example.com", "10.0.0.2"), seconds(0));
    EXPECT_EQ(PausedFor("a@example.com", "10.0.0.9"), seconds(0));
    throttle_.Succeeded("a@example.com", "10.0.0.9", now_);
    EXPECT_EQ(PausedFor("a@example.com", "10.0.0.2"), seconds(0));
}

TEST_F(RegistrationThrottleTest, APeerFailingOnManyAccountsIsPausedForAll) {
    for (int i = 0; i < 21; ++i)
        Fail(("u" + std::to_string(i) + "@example.com").c_str(), "10.0.0.1", 1);
    EXPECT_EQ(PausedFor("other@example.com", "10.0.0.1"), seconds(2));
    EXPECT_EQ(PausedFor("other@example.com", "10.0.0.2"), seconds(0));
}

class RegistrationWorkTest : public ProviderTest {
protected:
    struct Attempt {
        Reply reply;
        std::uint64_t work;
    };
    Attempt Register(const std::string& email, const std::string& password, const char* peer) {
        const std::uint64_t before = PasswordWorkDone();
        Reply reply = Exchanges(store()).Register(
            "/client/register.php?email=" + email + "&pass=" + password, peer, throttle_);
        return {std::move(reply), PasswordWorkDone() - before};
    }

    ServerLog log_{false};
    RegistrationThrottle throttle_{log_};
};

TEST_F(RegistrationWorkTest, AnUnknownAndAKnownAddressFailAlike) {
    for (int i = 0; i < 6; ++i) {
        const auto known = Register(kEmail, "wrong", "10.0.0.1");
        const auto unknown = Register("nobody@example.com", "wrong", "10.0.0.2");
        EXPECT_EQ(known.reply.status, unknown.reply.status) << i;
        EXPECT_EQ(known.reply.body, unknown.reply.body) << i;
        EXPECT_EQ(known.work, std::uint64_t{kTestPasswordIterations}) << i;
        EXPECT_EQ(unknown.work, known.work) << i;
    }
    const auto now = Clock::now();
    EXPECT_EQ(std::chrono::ceil<seconds>(throttle_.Paused(kEmail, "10.0.0.3", now)), seconds(2));
    EXPECT_EQ(std::chrono::ceil<seconds>(throttle_.Paused("nobody@example.com", "10.0.0.3", now)),
              seconds(2));
    // While paused, even the right password is refused, without a check.
    const auto right = Register(kEmail, "right%20pass%26%3D%25%2B", "10.0.0.3");
    EXPECT_EQ(right.reply.status, 403);
    EXPECT_EQ(right.work, 0u);
}

} // namespace
} // namespace vek::provider::test
