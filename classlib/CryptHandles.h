#pragma once
// Owners of CryptoAPI handles: providers, keys, hashes and certificate stores. They are apart
// from WinHandles.h because the build leaves wincrypt.h out of windows.h.
#include "classlib/WinHandles.h"

#include <wincrypt.h>

namespace vek {

struct CryptProviderTraits {
    static HCRYPTPROV Invalid() { return 0; }
    static void Close(HCRYPTPROV provider) { ::CryptReleaseContext(provider, 0); }
};
struct CryptKeyTraits {
    static HCRYPTKEY Invalid() { return 0; }
    static void Close(HCRYPTKEY key) { ::CryptDestroyKey(key); }
};
struct CryptHashTraits {
    static HCRYPTHASH Invalid() { return 0; }
    static void Close(HCRYPTHASH hash) { ::CryptDestroyHash(hash); }
};
struct CertStoreTraits {
    static HCERTSTORE Invalid() { return nullptr; }
    static void Close(HCERTSTORE store) { ::CertCloseStore(store, 0); }
};

using UniqueCryptProvider = UniqueOwner<HCRYPTPROV, CryptProviderTraits>;
using UniqueCryptKey = UniqueOwner<HCRYPTKEY, CryptKeyTraits>;
using UniqueCryptHash = UniqueOwner<HCRYPTHASH, CryptHashTraits>;
using UniqueCertStore = UniqueOwner<HCERTSTORE, CertStoreTraits>;

} // namespace vek
