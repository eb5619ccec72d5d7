#include "WinHttpGet.h"

#include "BoundedWinHttpRequest.h"
#include "CodePageText.h"
#include "UrlParts.h"

#include <optional>

namespace vek {
namespace {

// The program's texts are bytes of the ANSI code page.
std::wstring Wide(const std::string& text) { return WideFromCodePage(text, CP_ACP); }

// WinHTTP may end a body at a closed connection without an error (Wine does), so a declared
// length must be met; the length is unknown only when the header is missing.
bool MatchesDeclaredLength(HINTERNET request, const std::string& body) {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &length, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        return ::GetLastError() == ERROR_WINHTTP_HEADER_NOT_FOUND;
    }
    return body.size() == length;
}

bool ReadBody(const BoundedWinHttpRequest& request, std::string& body) {
    for (;;) {
        if (!request.BeginStep()) {
            return false;
        }
        char chunk[16384];
        DWORD read = 0;
        if (!::WinHttpReadData(request.Handle(), chunk, sizeof chunk, &read)) {
            return false;
        }
        if (read == 0) {
            return !request.Expired() && MatchesDeclaredLength(request.Handle(), body);
        }
        body.append(chunk, read);
    }
}

std::optional<WinHttpRequestHandles> OpenRequest(const UrlParts& parts,
                                                 const std::string& userAgent) {
    WinHttpRequestHandles handles;
    handles.session.reset(::WinHttpOpen(Wide(userAgent).c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!handles.session) {
        return std::nullopt;
    }
    handles.connection.reset(
        ::WinHttpConnect(handles.session.get(), Wide(parts.host).c_str(), parts.port, 0));
    if (!handles.connection) {
        return std::nullopt;
    }
    handles.request.reset(::WinHttpOpenRequest(
        handles.connection.get(), L"GET", Wide(parts.target).c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!handles.request) {
        return std::nullopt;
    }
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    ::WinHttpSetOption(handles.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features,
                       sizeof features);
    return handles;
}

// The status code once the response head has arrived; nothing before that.
std::optional<int> ReceiveStatus(const BoundedWinHttpRequest& request) {
    if (!request.BeginStep() ||
        !::WinHttpSendRequest(request.Handle(), L"Connection: close", static_cast<DWORD>(-1),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !request.BeginStep() || !::WinHttpReceiveResponse(request.Handle(), nullptr) ||
        request.Expired()) {
        return std::nullopt;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpQueryHeaders(
            request.Handle(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    return static_cast<int>(status);
}

} // namespace

HttpReply HttpsGet(const std::string& url, const std::string& userAgent,
                   const HttpTimeouts& timeouts) {
    HttpReply reply;
    const Deadline total(timeouts.totalMs);
    const auto parts = SplitUrl(url, INTERNET_DEFAULT_HTTPS_PORT);
    auto handles = parts ? OpenRequest(*parts, userAgent) : std::nullopt;
    if (!handles) {
        return reply;
    }
    const BoundedWinHttpRequest request(std::move(*handles), total, timeouts.connectMs);
    const auto status = ReceiveStatus(request);
    if (!status) {
        return reply;
    }
    reply.status = *status;
    if (IsSuccessStatus(reply.status)) {
        reply.complete = ReadBody(request, reply.body);
    }
    return reply;
}

} // namespace vek
