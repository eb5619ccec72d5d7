#pragma once
// HTTPS GET through WinHTTP: the system's TLS with its normal certificate and host-name checks
// (a failed check is a failure before any status line), no redirects, no proxy, no cookies.
#include "classlib/HttpReply.h"

#include <string>

namespace vek {

// url: "host[:port][/path[?query]]" without a scheme; the target is sent with the bytes that
// cannot stand in a request line percent-encoded, as the plain road sends it.
HttpReply HttpsGet(const std::string& url, const std::string& userAgent,
                   const HttpTimeouts& timeouts = {});

} // namespace vek
