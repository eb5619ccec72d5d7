#include "provider/RequestParser.h"

#include "common/Ascii.h"

#include <boost/beast/http/error.hpp>

#include <algorithm>
#include <array>

namespace vek::provider {
namespace {

namespace http = boost::beast::http;

// The transfer codings this server knows by name (it decodes none but "chunked").
constexpr std::array<std::string_view, 7> kKnownCodings = {
    "chunked", "compress", "deflate", "gzip", "identity", "x-compress", "x-gzip"};

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A body must be framed by "chunked" as the last coding, applied once: anything else leaves
// the body's end unknown (400), and a coding of no known name cannot be read at all (501).
int TransferCodingRefusal(std::string_view list) {
    std::size_t chunked = 0;
    std::string_view last;
    while (!list.empty()) {
        const auto comma = list.find(',');
        const std::string_view element = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        const std::string_view coding = Trimmed(element.substr(0, element.find(';')));
        if (coding.empty())
            continue;
        if (std::none_of(kKnownCodings.begin(), kKnownCodings.end(), [&](std::string_view known) {
                return EqualsIgnoringAsciiCase(coding, known);
            })) {
            return 501;
        }
        chunked += EqualsIgnoringAsciiCase(coding, "chunked") ? 1 : 0;
        last = coding;
    }
    return chunked == 1 && EqualsIgnoringAsciiCase(last, "chunked") ? 0 : 400;
}

// The length of the request target in the first bytes of a request, as far as they show it.
std::size_t TargetLength(std::string_view head) {
    head.remove_prefix(std::min(head.find_first_not_of("\r\n"), head.size()));
    const auto space = head.find(' ');
    if (space == std::string_view::npos)
        return 0;
    const auto end = std::min(head.find_first_of(" \r\n", space + 1), head.size());
    return end - (space + 1);
}

} // namespace

RequestParser::RequestParser(const Limits& limits) : limits_(limits) {
    header_limit(static_cast<std::uint32_t>(limits.headerBlock));
    body_limit(limits.body);
    eager(true);
}

std::size_t RequestParser::Put(boost::asio::const_buffer bytes, error_code& ec) {
    if (!is_header_done() && TargetLength({static_cast<const char*>(bytes.data()), bytes.size()}) >
                                 limits_.requestLine) {
        refusal_ = 414;
        ec = http::error::bad_target;
        return 0;
    }
    return put(bytes, ec);
}

void RequestParser::on_request_impl(http::verb, string_view method, string_view target, int version,
                                    error_code& ec) {
    if (version != 10 && version != 11) {
        ec = http::error::bad_version;
        return;
    }
    method_.assign(method.data(), method.size());
    target_.assign(target.data(), target.size());
}

void RequestParser::on_field_impl(http::field name, string_view, string_view value,
                                  error_code& ec) {
    if (++fields_ > limits_.headerCount) {
        refusal_ = 431;
        ec = http::error::header_limit;
        return;
    }
    if (name == http::field::user_agent)
        userAgent_.assign(value.data(), value.size());
    if (name == http::field::transfer_encoding) {
        transferEncoding_ = true;
        transferCodings_.append(",").append(value.data(), value.size());
    }
}

void RequestParser::on_header_impl(error_code& ec) {
    if (!transferEncoding_)
        return;
    if (const int refusal = TransferCodingRefusal(transferCodings_); refusal != 0) {
        refusal_ = refusal;
        ec = http::error::bad_transfer_encoding;
    }
}

int RequestParser::RefusalStatus(const error_code& error) const {
    if (refusal_ != 0)
        return refusal_;
    if (error == http::error::header_limit)
        return 431;
    if (error == http::error::body_limit)
        return 413;
    return 400;
}

} // namespace vek::provider
