#include "WinHttpGet.h"

#include "CodePageText.h"
#include "Deadline.h"
#include "UrlParts.h"
#include "WinHttpHandle.h"

#include <algorithm>

namespace vek {
namespace {

// The program's texts are bytes of the ANSI code page.
std::wstring Wide(const std::string& text) { return WideFromCodePage(text, CP_ACP); }

int TimeoutValue(DWORD milliseconds) {
    return static_cast<int>(std::min<DWORD>(milliseconds, 0x7FFFFFFF));
}

// Each WinHTTP step is bounded by what is left of the total time.
bool LimitNextStep(HINTERNET request, const Deadline& total) {
    const DWORD left = total.Remaining();
    if (left == 0) {
        return false;
    }
    const int value = TimeoutValue(left);
    return ::WinHttpSetTimeouts(request, value, value, value, value) != FALSE;
}

// WinHTTP may end a body at a closed connection without an error (Wine does), so a declared
// length must be met.
bool MatchesDeclaredLength(HINTERNET request, const std::string& body) {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &length, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return true;
    }
    return body.size() == length;
}

bool ReadBody(HINTERNET request, const Deadline& total, std::string& body) {
    for (;;) {
        if (!LimitNextStep(request, total)) {
            return false;
        }
        char chunk[16384];
        DWORD read = 0;
        if (!::WinHttpReadData(request, chunk, sizeof chunk, &read)) {
            return false;
        }
        if (read == 0) {
            return MatchesDeclaredLength(request, body);
        }
        body.append(chunk, read);
    }
}

} // namespace

HttpReply HttpsGet(const std::string& url, const std::string& userAgent,
                   const HttpTimeouts& timeouts) {
    HttpReply reply;
    const Deadline total(timeouts.totalMs);
    const auto parts = SplitUrl(url, INTERNET_DEFAULT_HTTPS_PORT);
    if (!parts) {
        return reply;
    }
    const UniqueInternet session(::WinHttpOpen(Wide(userAgent).c_str(),
                                               WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        return reply;
    }
    const int connectLimit = TimeoutValue(std::min(timeouts.connectMs, total.Remaining()));
    const int totalLimit = TimeoutValue(total.Remaining());
    ::WinHttpSetTimeouts(session.get(), connectLimit, connectLimit, totalLimit, totalLimit);
    const UniqueInternet connection(
        ::WinHttpConnect(session.get(), Wide(parts->host).c_str(), parts->port, 0));
    if (!connection) {
        return reply;
    }
    const UniqueInternet request(::WinHttpOpenRequest(
        connection.get(), L"GET", Wide(parts->target).c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!request) {
        return reply;
    }
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    if (!::WinHttpSendRequest(request.get(), L"Connection: close", static_cast<DWORD>(-1),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !LimitNextStep(request.get(), total) || !::WinHttpReceiveResponse(request.get(), nullptr)) {
        return reply;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return reply;
    }
    reply.status = static_cast<int>(status);
    if (IsSuccessStatus(reply.status)) {
        reply.complete = ReadBody(request.get(), total, reply.body);
    }
    return reply;
}

} // namespace vek
