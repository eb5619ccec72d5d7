#include "RequestParser.h"

#include <boost/beast/http/error.hpp>

namespace vek::provider {

namespace http = boost::beast::http;

RequestParser::RequestParser(const Limits& limits) : limits_(limits) {
    header_limit(static_cast<std::uint32_t>(limits.headerBlock));
    body_limit(limits.body);
    eager(true);
}

void RequestParser::on_request_impl(http::verb, string_view method, string_view target, int version,
                                    error_code& ec) {
    if (target.size() > limits_.requestLine) {
        refusal_ = 414;
        ec = http::error::bad_target;
        return;
    }
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
