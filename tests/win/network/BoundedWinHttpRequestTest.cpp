// The watchdog and step limits of one WinHTTP request, on handles that never reach a server.
#include "BoundedWinHttpRequest.h"

#include "PollUntil.h"

#include <gtest/gtest.h>

#include <optional>

namespace vek::testing {
namespace {

WinHttpRequestHandles OpenHandles() {
    WinHttpRequestHandles handles;
    handles.session.reset(::WinHttpOpen(L"bound test", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    handles.connection.reset(::WinHttpConnect(handles.session.get(), L"localhost", 1, 0));
    handles.request.reset(::WinHttpOpenRequest(handles.connection.get(), L"GET", L"/", nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               WINHTTP_FLAG_SECURE));
    return handles;
}

// A time-out option of the handle, or nothing once the handle is closed.
std::optional<DWORD> Option(HINTERNET handle, DWORD option) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!::WinHttpQueryOption(handle, option, &value, &size)) {
        return std::nullopt;
    }
    return value;
}

struct RawHandles {
    HINTERNET session;
    HINTERNET connection;
    HINTERNET request;
};

RawHandles Raw(const WinHttpRequestHandles& handles) {
    return {handles.session.get(), handles.connection.get(), handles.request.get()};
}

void ExpectClosed(const RawHandles& raw) {
    for (const HINTERNET handle : {raw.request, raw.connection, raw.session}) {
        EXPECT_FALSE(Option(handle, WINHTTP_OPTION_CONNECT_TIMEOUT));
    }
}

TEST(BoundedWinHttpRequest, StepsRunWithinWhatIsLeftAndTheEndClosesTheHandles) {
    WinHttpRequestHandles handles = OpenHandles();
    ASSERT_TRUE(handles.request);
    const RawHandles raw = Raw(handles);
    ULONGLONG ended = 0;
    {
        const BoundedWinHttpRequest request(std::move(handles), Deadline(60000), 15000);
        ASSERT_TRUE(request.BeginStep());
        EXPECT_EQ(Option(raw.request, WINHTTP_OPTION_CONNECT_TIMEOUT), 15000u);
        const auto response = Option(raw.request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT);
        ASSERT_TRUE(response);
        EXPECT_GT(*response, 55000u);
        EXPECT_LE(*response, 60000u);
        EXPECT_FALSE(request.Expired());
        ended = ::GetTickCount64();
    }
    // The watchdog stops at once instead of waiting for the deadline.
    EXPECT_LT(::GetTickCount64() - ended, 5000u);
    ExpectClosed(raw);
}

TEST(BoundedWinHttpRequest, WatchdogClosesTheHandlesWhenTheDeadlinePasses) {
    WinHttpRequestHandles handles = OpenHandles();
    ASSERT_TRUE(handles.request);
    const RawHandles raw = Raw(handles);
    const BoundedWinHttpRequest request(std::move(handles), Deadline(0), 15000);
    // The session is the last handle the watchdog closes.
    ASSERT_TRUE(
        PollUntil([&] { return !Option(raw.session, WINHTTP_OPTION_CONNECT_TIMEOUT); }, 5000));
    EXPECT_TRUE(request.Expired());
    ExpectClosed(raw);
    EXPECT_FALSE(request.BeginStep());
}

} // namespace
} // namespace vek::testing
