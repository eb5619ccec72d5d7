#pragma once
// The program's own HTTP/1.1 GET over Winsock: one connection per call, bound to a local address
// when one is given (through the socket-bind seam), "Connection: close", and bodies framed by
// Content-Length, chunked transfer coding or the end of the connection (read by the portable
// reply reader, within its body limit). Redirects are returned, not followed; no proxy, no
// cookies.
#include "classlib/HttpReply.h"

#include <string>

namespace vek {

// url: "host[:port][/path[?query]]" without a scheme; the target is sent with the bytes that
// cannot stand in a request line percent-encoded. boundIP: a local IPv4 address or empty.
HttpReply HttpGetPlain(const std::string& url, const std::string& boundIP,
                       const std::string& userAgent, const HttpTimeouts& timeouts = {});

} // namespace vek
