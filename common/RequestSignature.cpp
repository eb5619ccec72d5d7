#include "common/RequestSignature.h"

#include "common/UrlEncode.h"

namespace vek {

std::optional<std::string_view> SignedText(std::string_view url) {
    const auto slash = url.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    constexpr std::size_t kMaxSignedLength = 99999;
    return url.substr(slash, kMaxSignedLength);
}

std::string SignatureSuffix(std::string_view base64Signature) {
    return "&pass=HMAC{" + URLEncode(base64Signature) + "}";
}

} // namespace vek
