#include "Main/core/ProviderUrls.h"

#include "common/UrlEncode.h"

namespace vek {

std::string RegistrationUrl(const ProviderEndpoints& endpoints, std::string_view email,
                            std::string_view password) {
    return endpoints.UpdateServerTls + "/client/register.php?email=" + URLEncode(email) +
           "&pass=" + URLEncode(password);
}

std::string UnregistrationUrl(const ProviderEndpoints& endpoints, std::string_view clientId) {
    return endpoints.UpdateServer + "/client/unregister.php?email=" + std::string(clientId);
}

std::string HostListUrl(const ProviderEndpoints& endpoints, std::string_view clientId) {
    return endpoints.UpdateServer + "/list-hosts.php?email=" + std::string(clientId);
}

std::string NoticesUrl(const ProviderEndpoints& endpoints, std::string_view clientId,
                       std::int32_t noticeId, std::int32_t alertId) {
    return endpoints.UpdateServer + "/notices.php?email=" + std::string(clientId) +
           "&lastnotice=" + std::to_string(noticeId) + "&lastalert=" + std::to_string(alertId);
}

std::string UpdateUrl(const ProviderEndpoints& endpoints, std::string_view updateList,
                      std::string_view clientId, std::string_view address) {
    return endpoints.UpdateServer + "/vekupdate.php?" + std::string(updateList) +
           "&email=" + std::string(clientId) + "&ip=" + std::string(address);
}

std::string IpEchoUrl(std::string_view echoServer) { return std::string(echoServer) + "/ip.php"; }

} // namespace vek
