// Request signing with the stored client key: the signed text, the suffix, and the failures.
#include "classlib/ClassLibError.h"
#include "tests/win/support/CoreFixture.h"

namespace vek::testing {
namespace {

// Key "mixedkey123" (stored as "MixedKey123"); the signatures were computed independently.
const std::string kSlashSignature = "08s7HDb/7dQUUyZghtKN%2B3CGXkM%3D";
const std::string kPathSignature = "oDqowuXTZcMZrIsgNTEYROXq2ho%3D";

class SigningTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        globals = MakeGlobals({"-unregister"});
    }
    std::unique_ptr<TVEKGlobals> globals;
};

TEST_F(SigningTest, HMACSignGivesTheBase64Digest) {
    EXPECT_EQ(globals->HMACSign("what do ya want for nothing?", "Jefe"),
              "7/zfauXrL6LSdBbV8YTfnCWafHk=");
}

TEST_F(SigningTest, HMACSignRejectsEmptyAndOverlongInput) {
    EXPECT_THROW(globals->HMACSign("data", ""), ERangeError);
    EXPECT_THROW(globals->HMACSign("", "key"), ERangeError);
    EXPECT_THROW(globals->HMACSign("data", std::string(65536, 'k')), ERangeError);
    EXPECT_THROW(globals->HMACSign(std::string(65536, 'd'), "key"), ERangeError);
    EXPECT_EQ(globals->HMACSign(std::string(65535, 'd'), std::string(65535, 'k')).size(), 28u);
}

TEST_F(SigningTest, AUrlWithoutSlashIsReturnedUnsigned) {
    // Not even the key is needed.
    EXPECT_EQ(globals->SignURL("host.example?a=1"), "host.example?a=1");
}

TEST_F(SigningTest, SignsFromTheFirstSlashWithTheLowerCasedKey) {
    globals->SetCKey("MixedKey123");
    EXPECT_EQ(globals->SignURL("host.example/"),
              "host.example/&pass=HMAC{" + kSlashSignature + "}");
    EXPECT_EQ(globals->SignURL("a.example/x/y?z=1/2"),
              "a.example/x/y?z=1/2&pass=HMAC{" + kPathSignature + "}");
    // The host is not signed.
    EXPECT_EQ(globals->SignURL("b.other:8080/x/y?z=1/2"),
              "b.other:8080/x/y?z=1/2&pass=HMAC{" + kPathSignature + "}");
}

TEST_F(SigningTest, SignatureIsTheUrlEncodedBase64Digest) {
    globals->SetCKey("MixedKey123");
    bool sawPlus = false;
    bool sawSlash = false;
    for (int i = 0; i < 60; ++i) {
        const std::string url = "host.example/p?i=" + std::to_string(i);
        const std::string signedUrl = globals->SignURL(url);
        ASSERT_EQ(signedUrl.rfind(url + "&pass=HMAC{", 0), 0u) << signedUrl;
        ASSERT_EQ(signedUrl.back(), '}');
        const std::string signature =
            signedUrl.substr(url.size() + 11, signedUrl.size() - url.size() - 12);
        std::size_t pluses = 0;
        for (std::size_t at = signature.find("%2B"); at != std::string::npos;
             at = signature.find("%2B", at + 1)) {
            ++pluses;
        }
        EXPECT_EQ(signature.size(), 30 + 2 * pluses) << signature;
        EXPECT_EQ(signature.substr(signature.size() - 3), "%3D");
        EXPECT_EQ(signature.find('+'), std::string::npos);
        EXPECT_EQ(signature.find('='), std::string::npos);
        const std::string base64 = globals->HMACSign(url.substr(url.find('/')), "mixedkey123");
        EXPECT_EQ(signature, globals->URLEncode(base64));
        sawPlus = sawPlus || pluses > 0;
        sawSlash = sawSlash || signature.find('/') != std::string::npos;
    }
    EXPECT_TRUE(sawPlus);
    EXPECT_TRUE(sawSlash);
}

TEST_F(SigningTest, SigningWithoutAKeyRaisesARangeError) {
    EXPECT_THROW(globals->SignURL("host.example/x"), ERangeError);
    globals->SetHostListLocked(false); // a record with the flag alone
    EXPECT_EQ(globals->GetCKey(), "");
    EXPECT_THROW(globals->SignURL("host.example/x"), ERangeError);
}

TEST_F(SigningTest, EncodingsAreThoseOfTheCodecs) {
    EXPECT_EQ(globals->URLEncode("100% a+b/c=d"), "100%25%20a%2Bb/c%3Dd");
    EXPECT_EQ(globals->Base64Encode("ab"), "YWI=");
    EXPECT_EQ(globals->Base64Decode("YW Jj\r\n"), "abc");
}

} // namespace
} // namespace vek::testing
