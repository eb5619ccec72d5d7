#pragma once
// Reading a request target as the client sends it: the path and the query's "name=value" items
// in order, without decoding (the signed exchanges carry their values unencoded), the optional
// percent-decoding of the registration's values, and the signature at the end of a signed
// request.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek::provider {

struct QueryParam {
    std::string name;
    std::string value;
};

struct RequestTarget {
    std::string path;
    std::vector<QueryParam> params;

    // The value of the one item of that name; nothing when it is missing or given twice.
    std::optional<std::string> Single(std::string_view name) const;
};

// "path?a=1&b" gives path "path" and the items a="1", b="".
RequestTarget ParseRequestTarget(std::string_view target);

// Every "%XX" with two hex digits becomes its byte; everything else stays ("+" included).
std::string PercentDecode(std::string_view text);

// A signed target: the text up to the last "&pass=HMAC{" and the signature between it and the
// closing "}" that ends the target, percent-decoded.
struct SignedTarget {
    std::string signedText;
    std::string signature;
};

// Nothing when the target carries no signature in that form.
std::optional<SignedTarget> SplitSignedTarget(std::string_view target);

// HMAC-SHA1 of the signed text keyed with the client key in lower case, compared in constant
// time with the signature.
bool SignatureMatches(const SignedTarget& target, std::string_view clientKey);

} // namespace vek::provider
