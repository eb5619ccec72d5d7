// Secrets stay out of the store's plain text and out of the request log.
#include "tests/native/provider/ProviderFixture.h"

#include "common/UrlEncode.h"
#include "provider/Certificates.h"
#include "provider/Commands.h"
#include "provider/Crypto.h"
#include "provider/Sqlite.h"

#include <httplib.h>

#include <filesystem>
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

TEST(DataFolder, TheFolderAndEveryFileInItAreOwnerOnlyWheneverTheyAreOpened) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string data = dir.path() + "/data";
    // What is not owner-only: the folder (0700) and its files (0600).
    const auto loose = [&] {
        std::string text = fs::status(data).permissions() == fs::perms::owner_all ? "" : "folder";
        for (const auto& entry : fs::directory_iterator(data)) {
            if (entry.status().permissions() != (fs::perms::owner_read | fs::perms::owner_write))
                text += " " + entry.path().filename().string();
        }
        return text;
    };
    const auto hostsList = [&] {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        const int code = RunCommand({"--data", data, "hosts", "list"}, in, out, err);
        return std::to_string(code) + " " + err.str();
    };
    Store(PrepareDataDir(data)).AddAccount("someone@example.com", "secret");
    EnsureCertificates(data, "localhost");
    EXPECT_EQ(loose(), "");

    fs::permissions(data, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    for (const auto& entry : fs::directory_iterator(data))
        fs::permissions(entry.path(), fs::perms::group_read | fs::perms::others_read,
                        fs::perm_options::add);
    EXPECT_EQ(hostsList(), "0 ");
    EXPECT_EQ(loose(), "");

    // A file whose permissions cannot be changed stops every command that opens the folder.
    fs::create_symlink("/proc/self/stat", data + "/unchangeable");
    const std::string refused = hostsList();
    EXPECT_EQ(refused.substr(0, 2), "1 ");
    EXPECT_NE(refused.find("owner-only"), std::string::npos) << refused;
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
