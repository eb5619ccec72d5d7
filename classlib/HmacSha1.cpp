#include "classlib/HmacSha1.h"

#include "classlib/CryptHandles.h"

#include <cstring>
#include <vector>

namespace vek {
namespace {

bool AcquireProvider(UniqueCryptProvider& provider) {
    return ::CryptAcquireContextA(provider.put(), nullptr, nullptr, PROV_RSA_FULL,
                                  CRYPT_VERIFYCONTEXT) != FALSE;
}

// Hashes the data and reads the digest.
std::optional<Sha1Digest> Finish(HCRYPTHASH hash, std::string_view data) {
    if (!::CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()), 0)) {
        return std::nullopt;
    }
    Sha1Digest digest{};
    DWORD length = digest.size();
    if (!::CryptGetHashParam(hash, HP_HASHVAL, digest.data(), &length, 0) ||
        length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

} // namespace

std::optional<Sha1Digest> Sha1(std::string_view data) {
    UniqueCryptProvider provider;
    UniqueCryptHash hash;
    if (!AcquireProvider(provider) ||
        !::CryptCreateHash(provider.get(), CALG_SHA1, 0, 0, hash.put())) {
        return std::nullopt;
    }
    return Finish(hash.get(), data);
}

std::optional<Sha1Digest> HmacSha1(std::string_view key, std::string_view data) {
    UniqueCryptProvider provider;
    if (!AcquireProvider(provider)) {
        return std::nullopt;
    }
    // A plain-text key blob; CRYPT_IPSEC_HMAC_KEY lets the key be longer than 16 bytes.
    std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(DWORD) + key.size());
    auto* header = reinterpret_cast<BLOBHEADER*>(blob.data());
    header->bType = PLAINTEXTKEYBLOB;
    header->bVersion = CUR_BLOB_VERSION;
    header->reserved = 0;
    header->aiKeyAlg = CALG_RC2;
    const DWORD keyLength = static_cast<DWORD>(key.size());
    std::memcpy(blob.data() + sizeof(BLOBHEADER), &keyLength, sizeof keyLength);
    std::memcpy(blob.data() + sizeof(BLOBHEADER) + sizeof keyLength, key.data(), key.size());

    UniqueCryptKey hmacKey;
    if (!::CryptImportKey(provider.get(), blob.data(), static_cast<DWORD>(blob.size()), 0,
                          CRYPT_IPSEC_HMAC_KEY, hmacKey.put())) {
        return std::nullopt;
    }
    UniqueCryptHash hash;
    if (!::CryptCreateHash(provider.get(), CALG_HMAC, hmacKey.get(), 0, hash.put())) {
        return std::nullopt;
    }
    HMAC_INFO info{};
    info.HashAlgid = CALG_SHA1;
    if (!::CryptSetHashParam(hash.get(), HP_HMAC_INFO, reinterpret_cast<const BYTE*>(&info), 0)) {
        return std::nullopt;
    }
    return Finish(hash.get(), data);
}

} // namespace vek
