#pragma once
// The provider's own certificate authority and the update server's certificate, kept as PEM
// files in the data folder: "ca.pem" (the CA certificate to import into the client's trusted
// roots), "ca-key.pem", "server.pem" and "server-key.pem" (keys readable by the owner only).
#include <string>

namespace vek::provider {

struct TlsFiles {
    std::string caCert;
    std::string serverCert;
    std::string serverKey;
};

// Creates the CA when it is missing, and the server certificate when it is missing, does not
// name hostName, was not issued by this CA or expires within 30 days. Throws when hostName is
// not one DNS host name.
TlsFiles EnsureCertificates(const std::string& dataDir, const std::string& hostName);

} // namespace vek::provider
