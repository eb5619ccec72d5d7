// ImportRootCA <certificate file>: adds a CA certificate (PEM or DER) to the machine's trusted
// root store (LocalMachine\Root), so that the system's TLS checks accept servers it signed.
// The reference provider's CA and the test CA are imported this way into a Wine prefix.
#include "classlib/CryptHandles.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> CertificateBytes(const std::string& content) {
    // PEM is Base64 between its header and footer lines; anything else is taken as DER.
    DWORD size = 0;
    if (::CryptStringToBinaryA(content.c_str(), static_cast<DWORD>(content.size()),
                               CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::vector<BYTE> der(size);
        if (::CryptStringToBinaryA(content.c_str(), static_cast<DWORD>(content.size()),
                                   CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                                   nullptr)) {
            der.resize(size);
            return der;
        }
    }
    return std::vector<BYTE>(content.begin(), content.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ImportRootCA <certificate.pem|certificate.der>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "ImportRootCA: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    const std::vector<BYTE> der = CertificateBytes(content);

    const vek::UniqueCertStore store(
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root"));
    if (!store) {
        std::fprintf(stderr, "ImportRootCA: cannot open LocalMachine\\Root (error %lu)\n",
                     ::GetLastError());
        return 1;
    }
    if (!::CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                            static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "ImportRootCA: the certificate was not added (error 0x%08lx)\n",
                     ::GetLastError());
        return 1;
    }
    return 0;
}
