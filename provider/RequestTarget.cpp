#include "provider/RequestTarget.h"

#include "common/Ascii.h"
#include "provider/Crypto.h"

#include <algorithm>

namespace vek::provider {

std::optional<std::string> RequestTarget::Single(std::string_view name) const {
    const auto count = std::count_if(params.begin(), params.end(),
                                     [&](const QueryParam& p) { return p.name == name; });
    if (count != 1)
        return std::nullopt;
    return std::find_if(params.begin(), params.end(),
                        [&](const QueryParam& p) { return p.name == name; })
        ->value;
}

RequestTarget ParseRequestTarget(std::string_view target) {
    RequestTarget parsed;
    const auto question = target.find('?');
    parsed.path = std::string(target.substr(0, question));
    if (question == std::string_view::npos)
        return parsed;
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        if (!item.empty()) {
            const auto equals = item.find('=');
            parsed.params.push_back(
                {std::string(item.substr(0, equals)), equals == std::string_view::npos
                                                          ? std::string()
                                                          : std::string(item.substr(equals + 1))});
        }
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
    return parsed;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::optional<SignedTarget> SplitSignedTarget(std::string_view target) {
    static constexpr std::string_view kMarker = "&pass=HMAC{";
    const auto marker = target.rfind(kMarker);
    if (marker == std::string_view::npos || target.back() != '}')
        return std::nullopt;
    const auto start = marker + kMarker.size();
    if (start > target.size() - 1)
        return std::nullopt;
    return SignedTarget{std::string(target.substr(0, marker)),
                        PercentDecode(target.substr(start, target.size() - 1 - start))};
}

bool SignatureMatches(const SignedTarget& target, std::string_view clientKey) {
    if (clientKey.empty() || target.signedText.empty())
        return false;
    return ConstantTimeEquals(HmacSha1Base64(LowerAscii(clientKey), target.signedText),
                              target.signature);
}

} // namespace vek::provider
