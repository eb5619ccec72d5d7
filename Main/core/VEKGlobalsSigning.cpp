// Request signing: HMAC-SHA1 of the path and query, keyed with the stored client key.
#include "Main/core/VEKGlobals.h"

#include "classlib/ClassLibError.h"
#include "classlib/HmacSha1.h"
#include "common/Base64.h"
#include "common/RequestSignature.h"
#include "common/UrlEncode.h"

namespace vek {
namespace {

constexpr std::size_t kMaxHmacInput = 65535;

} // namespace

std::string TVEKGlobals::SignURL(const std::string& url) {
    const auto signedText = SignedText(url);
    if (!signedText) {
        return url;
    }
    const std::string signature = HMACSign(std::string(*signedText), GetCKey());
    return url + SignatureSuffix(signature);
}

std::string TVEKGlobals::HMACSign(const std::string& data, const std::string& key) {
    if (key.empty() || key.size() > kMaxHmacInput) {
        throw ERangeError("Range check error: HMAC key length");
    }
    if (data.empty() || data.size() > kMaxHmacInput) {
        throw ERangeError("Range check error: HMAC data length");
    }
    const auto digest = HmacSha1(key, data);
    if (!digest) {
        throw EClassLibError("HMAC-SHA1 is not available");
    }
    return vek::Base64Encode(
        std::string_view(reinterpret_cast<const char*>(digest->data()), digest->size()));
}

std::string TVEKGlobals::URLEncode(const std::string& text) { return vek::URLEncode(text); }

std::string TVEKGlobals::Base64Encode(const std::string& data) { return vek::Base64Encode(data); }

std::string TVEKGlobals::Base64Decode(const std::string& text) { return vek::Base64Decode(text); }

} // namespace vek
