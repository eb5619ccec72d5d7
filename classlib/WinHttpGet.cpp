#include "classlib/WinHttpGet.h"

#include "classlib/BoundedWinHttpRequest.h"
#include "classlib/CodePageText.h"
#include "classlib/UrlParts.h"
#include "common/RequestLine.h"

#include <cstdint>
#include <optional>

namespace vek {
namespace {

// The program's texts are bytes of the ANSI code page.
std::wstring Wide(const std::string& text) { return WideFromCodePage(text, CP_ACP); }

// The declared Content-Length, read as text so that no number wraps (a text too long for the
// buffer is too large a size); nothing when the field is missing or is no number.
std::optional<std::uint64_t> DeclaredLength(HINTERNET request) {
    wchar_t text[64];
    DWORD size = sizeof text;
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                               text, &size, WINHTTP_NO_HEADER_INDEX)) {
        if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            return UINT64_MAX;
        }
        return std::nullopt;
    }
    std::string digits;
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) {
        digits += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    }
    return ParseSizeField(digits, 10);
}

// WinHTTP may end a body at a closed connection without an error (Wine does), so a declared
// length must be met; a body beyond the limit, declared or read, is refused.
void ReadBody(BoundedWinHttpRequest& request, HttpReply& reply) {
    const auto declared = DeclaredLength(request.Handle());
    if (declared && !FitsReplyBody(*declared)) {
        reply.tooLarge = true;
        return;
    }
    for (;;) {
        const auto piece = request.Read();
        if (!piece) {
            return;
        }
        if (piece->empty()) {
            reply.complete = !declared || reply.body.size() == *declared;
            return;
        }
        if (piece->size() > kMaxReplyBodyBytes - reply.body.size()) {
            reply.tooLarge = true;
            reply.body.clear();
            return;
        }
        reply.body += *piece;
    }
}

// The target goes out as the plain road sends it, escaped byte by byte (a byte of the ANSI code
// page as "%XX"), and WinHTTP is told not to escape it again.
std::optional<WinHttpRequestHandles> OpenRequest(const UrlParts& parts,
                                                 const std::string& userAgent) {
    WinHttpRequestHandles handles;
    handles.session.reset(::WinHttpOpen(Wide(userAgent).c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                        WINHTTP_FLAG_ASYNC));
    if (!handles.session) {
        return std::nullopt;
    }
    handles.connection.reset(
        ::WinHttpConnect(handles.session.get(), Wide(parts.host).c_str(), parts.port, 0));
    if (!handles.connection) {
        return std::nullopt;
    }
    handles.request.reset(::WinHttpOpenRequest(
        handles.connection.get(), L"GET", Wide(EscapeRequestTarget(parts.target)).c_str(), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
        WINHTTP_FLAG_SECURE | WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY));
    if (!handles.request) {
        return std::nullopt;
    }
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    ::WinHttpSetOption(handles.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features,
                       sizeof features);
    return handles;
}

// The status code once the response head has arrived; nothing before that.
std::optional<int> ReceiveStatus(BoundedWinHttpRequest& request) {
    if (!request.SendAndReceive(L"Connection: close")) {
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
    BoundedWinHttpRequest request(std::move(*handles), total, timeouts.connectMs);
    const auto status = ReceiveStatus(request);
    if (!status) {
        return reply;
    }
    reply.status = *status;
    if (IsSuccessStatus(reply.status)) {
        ReadBody(request, reply);
    }
    return reply;
}

} // namespace vek
