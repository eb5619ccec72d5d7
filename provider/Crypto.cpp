#include "provider/Crypto.h"

#include "common/Base64.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <atomic>
#include <charconv>
#include <stdexcept>
#include <vector>

namespace vek::provider {
namespace {

constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;
constexpr std::string_view kScheme = "pbkdf2-sha256";

std::string ToHex(const unsigned char* data, std::size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += kHex[data[i] >> 4];
        out += kHex[data[i] & 15];
    }
    return out;
}

std::atomic<std::uint64_t> passwordWork{0};

std::string Pbkdf2Hex(std::string_view password, std::string_view salt, int iterations) {
    passwordWork += static_cast<std::uint64_t>(iterations);
    unsigned char hash[kHashBytes];
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), kHashBytes,
                          hash) != 1) {
        throw std::runtime_error("password hashing failed");
    }
    return ToHex(hash, kHashBytes);
}

std::vector<std::string_view> SplitDollar(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find('$', start)) != std::string_view::npos;
         start = pos + 1) {
        parts.push_back(text.substr(start, pos - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// An HMAC-SHA1 context of one thread, its algorithms looked up once: OpenSSL's one-call HMAC()
// looks them up again on every call, under a lock that every thread shares.
class Sha1Mac {
public:
    Sha1Mac() {
        EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
        context_ = mac ? EVP_MAC_CTX_new(mac) : nullptr;
        EVP_MAC_free(mac); // the context holds its own reference
        char digest[] = "SHA1";
        const OSSL_PARAM params[] = {
            OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
            OSSL_PARAM_construct_end()};
        if (context_ == nullptr || EVP_MAC_CTX_set_params(context_, params) != 1)
            throw std::runtime_error("HMAC-SHA1 is not available");
    }
    Sha1Mac(const Sha1Mac&) = delete;
    Sha1Mac& operator=(const Sha1Mac&) = delete;
    ~Sha1Mac() { EVP_MAC_CTX_free(context_); }

    std::string_view Digest(std::string_view key, std::string_view data) {
        // A key pointer is always passed: without one, the previous call's key would be used.
        static constexpr unsigned char kNoKey = 0;
        const auto* keyBytes =
            key.empty() ? &kNoKey : reinterpret_cast<const unsigned char*>(key.data());
        std::size_t length = 0;
        if (EVP_MAC_init(context_, keyBytes, key.size(), nullptr) != 1 ||
            EVP_MAC_update(context_, reinterpret_cast<const unsigned char*>(data.data()),
                           data.size()) != 1 ||
            EVP_MAC_final(context_, digest_, &length, sizeof digest_) != 1) {
            throw std::runtime_error("HMAC failed");
        }
        return {reinterpret_cast<const char*>(digest_), length};
    }

private:
    EVP_MAC_CTX* context_ = nullptr;
    unsigned char digest_[EVP_MAX_MD_SIZE];
};

} // namespace

std::string HmacSha1Base64(std::string_view key, std::string_view data) {
    thread_local Sha1Mac mac;
    return Base64Encode(mac.Digest(key, data));
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string RandomHex(std::size_t bytes) {
    std::vector<unsigned char> buffer(bytes);
    if (RAND_bytes(buffer.data(), static_cast<int>(bytes)) != 1) {
        throw std::runtime_error("random generator failed");
    }
    return ToHex(buffer.data(), bytes);
}

std::string HashPassword(std::string_view password, int iterations) {
    const std::string salt = RandomHex(kSaltBytes);
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + salt + "$" +
           Pbkdf2Hex(password, salt, iterations);
}

int HashIterations(std::string_view stored) {
    const auto parts = SplitDollar(stored);
    if (parts.size() != 4 || parts[0] != kScheme)
        return 0;
    int iterations = 0;
    const auto [end, error] =
        std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    if (error != std::errc() || end != parts[1].data() + parts[1].size() || iterations < 1)
        return 0;
    return iterations;
}

bool VerifyPassword(std::string_view password, std::string_view stored) {
    const int iterations = HashIterations(stored);
    if (iterations == 0)
        return false;
    const auto parts = SplitDollar(stored);
    return ConstantTimeEquals(Pbkdf2Hex(password, parts[2], iterations), parts[3]);
}

std::string UnmatchableHash(int iterations) {
    // No hash is written with "-": the comparison fails whatever the password, after the work.
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" +
           std::string(kSaltBytes * 2, '0') + "$" + std::string(kHashBytes * 2, '-');
}

std::uint64_t PasswordWorkDone() { return passwordWork.load(); }

} // namespace vek::provider
