#pragma once
// One HTTP request read under the limits: the request line, the fields the exchanges use, and a
// body that is counted and dropped. A request beyond a limit fails to parse, and RefusalStatus
// names the status that refuses it.
#include "provider/Limits.h"

// GCC 12 under the sanitizers takes Beast's inlined boost::optional for uninitialised (a false
// positive in the library's own code, reported at its lines).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <boost/beast/http/basic_parser.hpp>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include <boost/asio/buffer.hpp>

#include <string>
#include <string_view>

namespace vek::provider {

class RequestParser final : public boost::beast::http::basic_parser<true> {
public:
    explicit RequestParser(const Limits& limits);

    std::string_view method() const { return method_; }
    std::string_view target() const { return target_; }
    std::string_view userAgent() const { return userAgent_; }
    // Parses what it can of the bytes, as put() does, but refuses a request target over the
    // limit as soon as its bytes show it, before the rest of the head has arrived.
    std::size_t Put(boost::asio::const_buffer bytes, boost::beast::error_code& ec);
    // The status of the refusal for a parse error: 414, 431, 413, 501 or 400.
    int RefusalStatus(const boost::beast::error_code& error) const;

private:
    using error_code = boost::beast::error_code;
    using string_view = boost::beast::string_view;

    void on_request_impl(boost::beast::http::verb, string_view method, string_view target,
                         int version, error_code& ec) override;
    void on_response_impl(int, string_view, int, error_code&) override {}
    void on_field_impl(boost::beast::http::field name, string_view, string_view value,
                       error_code& ec) override;
    void on_header_impl(error_code& ec) override;
    void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}
    std::size_t on_body_impl(string_view body, error_code&) override { return body.size(); }
    void on_chunk_header_impl(std::uint64_t, string_view, error_code&) override {}
    std::size_t on_chunk_body_impl(std::uint64_t, string_view body, error_code&) override {
        return body.size();
    }
    void on_finish_impl(error_code&) override {}

    const Limits& limits_;
    std::string method_;
    std::string target_;
    std::string userAgent_;
    std::size_t fields_ = 0;
    std::string transferCodings_; // every Transfer-Encoding field, joined by ","
    bool transferEncoding_ = false;
    int refusal_ = 0; // set by a limit of our own
};

} // namespace vek::provider
