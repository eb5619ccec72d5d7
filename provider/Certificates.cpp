#include "provider/Certificates.h"

#include "provider/Names.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace vek::provider {
namespace {

constexpr long kCaDays = 3650;
constexpr long kServerDays = 825; // the longest lifetime TLS clients commonly accept
constexpr int kRenewDays = 30;

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
struct KeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using FilePtr = std::unique_ptr<FILE, FileClose>;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("certificate: " + what);
}

FilePtr Open(const std::string& path, const char* mode) {
    if (mode[0] == 'w') {
        // Owner-only from the start, so a key is never readable by others, even briefly.
        std::filesystem::remove(path);
        const mode_t old = umask(077);
        FilePtr file(std::fopen(path.c_str(), mode));
        umask(old);
        return file;
    }
    return FilePtr(std::fopen(path.c_str(), mode));
}

X509Ptr ReadCert(const std::string& path) {
    const auto file = Open(path, "r");
    return X509Ptr(file ? PEM_read_X509(file.get(), nullptr, nullptr, nullptr) : nullptr);
}

KeyPtr ReadKey(const std::string& path) {
    const auto file = Open(path, "r");
    return KeyPtr(file ? PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr) : nullptr);
}

void WriteCert(const std::string& path, X509* cert) {
    const auto file = Open(path, "w");
    if (!file || PEM_write_X509(file.get(), cert) != 1)
        Fail("cannot write " + path);
}

void WriteKey(const std::string& path, EVP_PKEY* key) {
    const auto file = Open(path, "w");
    if (!file ||
        PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        Fail("cannot write " + path);
    }
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr || X509_add_ext(cert, extension, -1) != 1)
        Fail("extension");
    X509_EXTENSION_free(extension);
}

X509Ptr NewCert(EVP_PKEY* key, const std::string& commonName, long days) {
    X509Ptr cert(X509_new());
    unsigned char serial[16];
    if (!cert || RAND_bytes(serial, sizeof serial) != 1)
        Fail("allocation");
    serial[0] &= 0x7F; // a positive serial number
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get()));
    BN_free(number);
    X509_set_version(cert.get(), 2);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Tarvo reference provider"),
                               -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    return cert;
}

KeyPtr NewKey() {
    KeyPtr key(EVP_RSA_gen(2048));
    if (!key)
        Fail("key generation");
    return key;
}

void CreateCa(const std::string& certPath, const std::string& keyPath) {
    const auto key = NewKey();
    const auto cert = NewCert(key.get(), "Tarvo reference provider CA", kCaDays);
    X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get()));
    AddExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0)
        Fail("CA signature");
    WriteKey(keyPath, key.get());
    WriteCert(certPath, cert.get());
}

void CreateServerCert(X509* ca, EVP_PKEY* caKey, const std::string& hostName,
                      const std::string& certPath, const std::string& keyPath) {
    const auto key = NewKey();
    const auto cert = NewCert(key.get(), hostName, kServerDays);
    X509_set_issuer_name(cert.get(), X509_get_subject_name(ca));
    const std::string altNames = "DNS:" + hostName + ",IP:127.0.0.1";
    AddExtension(cert.get(), ca, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), ca, NID_key_usage, "critical,digitalSignature,keyEncipherment");
    AddExtension(cert.get(), ca, NID_ext_key_usage, "serverAuth");
    AddExtension(cert.get(), ca, NID_subject_alt_name, altNames.c_str());
    AddExtension(cert.get(), ca, NID_subject_key_identifier, "hash");
    AddExtension(cert.get(), ca, NID_authority_key_identifier, "keyid:always");
    if (X509_sign(cert.get(), caKey, EVP_sha256()) == 0)
        Fail("server signature");
    WriteKey(keyPath, key.get());
    WriteCert(certPath, cert.get());
}

bool ServerCertUsable(X509* server, X509* ca, EVP_PKEY* caKey, const std::string& hostName) {
    if (server == nullptr)
        return false;
    const time_t renewAt = time(nullptr) + static_cast<time_t>(kRenewDays) * 24 * 3600;
    return X509_check_host(server, hostName.c_str(), hostName.size(), 0, nullptr) == 1 &&
           X509_verify(server, caKey) == 1 && X509_check_issued(ca, server) == X509_V_OK &&
           X509_cmp_time(X509_get0_notAfter(server), const_cast<time_t*>(&renewAt)) > 0;
}

} // namespace

TlsFiles EnsureCertificates(const std::string& dataDir, const std::string& hostName) {
    // The name becomes part of an extension's text, where "," would add names of its own.
    if (!IsValidDnsName(hostName))
        Fail("not a host name: " + hostName);
    const TlsFiles files{dataDir + "/ca.pem", dataDir + "/server.pem", dataDir + "/server-key.pem"};
    const std::string caKeyPath = dataDir + "/ca-key.pem";
    auto ca = ReadCert(files.caCert);
    auto caKey = ReadKey(caKeyPath);
    if (!ca || !caKey) {
        CreateCa(files.caCert, caKeyPath);
        ca = ReadCert(files.caCert);
        caKey = ReadKey(caKeyPath);
        if (!ca || !caKey)
            Fail("cannot read the new CA");
    }
    const auto server = ReadCert(files.serverCert);
    const auto serverKey = ReadKey(files.serverKey);
    if (!serverKey || !ServerCertUsable(server.get(), ca.get(), caKey.get(), hostName)) {
        CreateServerCert(ca.get(), caKey.get(), hostName, files.serverCert, files.serverKey);
    }
    return files;
}

} // namespace vek::provider
