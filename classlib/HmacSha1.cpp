#include "HmacSha1.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

namespace vek {
namespace {

struct Provider {
    HCRYPTPROV handle = 0;
    ~Provider() {
        if (handle != 0) {
            ::CryptReleaseContext(handle, 0);
        }
    }
};
struct Key {
    HCRYPTKEY handle = 0;
    ~Key() {
        if (handle != 0) {
            ::CryptDestroyKey(handle);
        }
    }
};
struct Hash {
    HCRYPTHASH handle = 0;
    ~Hash() {
        if (handle != 0) {
            ::CryptDestroyHash(handle);
        }
    }
};

} // namespace

std::optional<Sha1Digest> HmacSha1(std::string_view key, std::string_view data) {
    Provider provider;
    if (!::CryptAcquireContextA(&provider.handle, nullptr, nullptr, PROV_RSA_FULL,
                                CRYPT_VERIFYCONTEXT)) {
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

    Key hmacKey;
    if (!::CryptImportKey(provider.handle, blob.data(), static_cast<DWORD>(blob.size()), 0,
                          CRYPT_IPSEC_HMAC_KEY, &hmacKey.handle)) {
        return std::nullopt;
    }
    Hash hash;
    if (!::CryptCreateHash(provider.handle, CALG_HMAC, hmacKey.handle, 0, &hash.handle)) {
        return std::nullopt;
    }
    HMAC_INFO info{};
    info.HashAlgid = CALG_SHA1;
    if (!::CryptSetHashParam(hash.handle, HP_HMAC_INFO, reinterpret_cast<const BYTE*>(&info), 0) ||
        !::CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()), 0)) {
        return std::nullopt;
    }
    Sha1Digest digest{};
    DWORD length = digest.size();
    if (!::CryptGetHashParam(hash.handle, HP_HASHVAL, digest.data(), &length, 0) ||
        length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

} // namespace vek
