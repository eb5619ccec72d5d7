// Secrets stay out of the store's plain text and out of the request log.
#include "ProviderFixture.h"

#include "Crypto.h"
#include "Sqlite.h"
#include "UrlEncode.h"

#include <httplib.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace vek::provider::test {
namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(PasswordHash, VerifiesOnlyTheRightPasswordAndHoldsNoPlainText) {
    const std::string hash = HashPassword("correct horse");
    EXPECT_EQ(hash.find("correct horse"), std::string::npos);
    EXPECT_NE(hash, HashPassword("correct horse")); // salted
    EXPECT_TRUE(VerifyPassword("correct horse", hash));
    EXPECT_FALSE(VerifyPassword("correct horsE", hash));
    EXPECT_FALSE(VerifyPassword("", hash));
    for (const char* stored : {"", "pbkdf2-sha256$0$aa$bb", "pbkdf2-sha256$x$aa$bb", "plain"}) {
        EXPECT_FALSE(VerifyPassword("plain", stored)) << stored;
    }
}

TEST(PasswordHash, TheStoreFileNeverHoldsThePassword) {
    TempDir dir;
    const std::string path = dir.path() + "/store.sqlite3";
    {
        Store store(path);
        store.AddAccount("someone@example.com", "Unmistakable-Secret-42");
        EXPECT_TRUE(store.Authenticate("someone@example.com", "Unmistakable-Secret-42"));
        EXPECT_FALSE(store.Authenticate("someone@example.com", "unmistakable-secret-42"));
    }
    const std::string bytes = FileBytes(path) + FileBytes(path + "-wal");
    EXPECT_EQ(bytes.find("Unmistakable-Secret-42"), std::string::npos);
}

TEST(PasswordHash, AHashOfFewerIterationsIsReplacedAtTheNextRightPassword) {
    TempDir dir;
    const std::string path = dir.path() + "/store.sqlite3";
    const auto storedIterations = [&] {
        Database db(path);
        auto query = db.Prepare("SELECT password_hash FROM accounts");
        query.Step();
        return HashIterations(query.Text(0));
    };
    Store(path, 1000).AddAccount("someone@example.com", "secret");
    Store raised(path, 2000);
    EXPECT_FALSE(raised.Authenticate("someone@example.com", "wrong"));
    EXPECT_EQ(storedIterations(), 1000);
    EXPECT_TRUE(raised.Authenticate("someone@example.com", "secret"));
    EXPECT_EQ(storedIterations(), 2000);
    EXPECT_TRUE(Store(path, 1000).Authenticate("someone@example.com", "secret"));
    EXPECT_EQ(storedIterations(), 2000);
}

// The request log goes to stderr; capture it for the whole life of one provider.
class LoggedProviderTest : public ProviderTest {
protected:
    void SetUp() override {
        original_ = std::cerr.rdbuf(log_.rdbuf());
        logRequests_ = true;
        ProviderTest::SetUp();
    }
    void TearDown() override {
        ProviderTest::TearDown();
        std::cerr.rdbuf(original_);
    }
    std::ostringstream log_;
    std::streambuf* original_ = nullptr;
};

TEST_F(LoggedProviderTest, TheRequestLogHoldsNeitherPasswordsNorKeysNorQueries) {
    httplib::SSLClient https("localhost", bound_.https.port);
    https.set_ca_cert_path(bound_.caCertPath.c_str());
    https.enable_server_certificate_verification(true);
    https.set_url_encode(false);
    const auto registration = https.Get("/client/register.php?email=" + URLEncode(kEmail) +
                                        "&pass=" + URLEncode(kPassword));
    ASSERT_TRUE(registration);
    EXPECT_EQ(registration->status, 200);
    EXPECT_EQ(
        Signed("/vekupdate.php?h[]=office.user.example&email=" + client_.id + "&ip=203.0.113.7")
            .status,
        200);
    provider_->Stop();
    const std::string log = log_.str();
    EXPECT_NE(log.find("/client/register.php"), std::string::npos) << log;
    EXPECT_NE(log.find("/vekupdate.php"), std::string::npos) << log;
    for (const std::string& secret : {std::string("right pass"), URLEncode(kPassword), client_.key,
                                      std::string("HMAC"), std::string("pass=")}) {
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
    }
}

} // namespace
} // namespace vek::provider::test
