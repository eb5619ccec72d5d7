#pragma once
// The XML answers of the update server: the registration's "id" and "key", the notices reply
// with root "user" or "disabled", and a refusal with root "error".
#include "provider/Store.h"

#include <string>
#include <string_view>
#include <vector>

namespace vek::provider {

std::string XmlEscape(std::string_view text);
std::string RegistrationXml(const ClientCredentials& credentials);
std::string RefusalXml(std::string_view reason);
std::string NoticesXml(const AccountValues& account, const std::vector<Message>& alerts,
                       const std::vector<Message>& notices);
std::string DisabledXml();

} // namespace vek::provider
