// The bounds of one asynchronous WinHTTP request: each step starts only before the deadline and
// is awaited only until it; the requesting thread closes the handles itself, and the state that
// WinHTTP reports into is released once WinHTTP lets go of the request.
#include "classlib/BoundedWinHttpRequest.h"

#include "tests/win/network/NetTestSupport.h"
#include "tests/win/support/PollUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>

namespace vek::testing {
namespace {

std::atomic<ULONGLONG> fakeTicks{0};
ULONGLONG WINAPI FakeTicks() { return fakeTicks.load(); }

WinHttpRequestHandles OpenHandles(const std::string& port, const wchar_t* target) {
    WinHttpRequestHandles handles;
    handles.session.reset(::WinHttpOpen(L"bound test", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                        WINHTTP_FLAG_ASYNC));
    handles.connection.reset(::WinHttpConnect(handles.session.get(), L"localhost",
                                              static_cast<INTERNET_PORT>(std::stoi(port)), 0));
    handles.request.reset(::WinHttpOpenRequest(handles.connection.get(), L"GET", target, nullptr,
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

class BoundedWinHttpRequestTest : public ::testing::Test {
protected:
    // Every state ever made is released, within WinHTTP's own time-outs.
    void TearDown() override {
        EXPECT_TRUE(
            PollUntil([&] { return BoundedWinHttpRequest::LiveStates() == statesBefore; }, 10000));
    }

    const long statesBefore = BoundedWinHttpRequest::LiveStates();
};

TEST_F(BoundedWinHttpRequestTest, StepsRunWithinWhatIsLeftAndTheEndClosesTheHandles) {
    WinHttpRequestHandles handles = OpenHandles(ClosedPort(), L"/");
    ASSERT_TRUE(handles.request);
    const RawHandles raw = Raw(handles);
    {
        BoundedWinHttpRequest request(std::move(handles), Deadline(60000), 15000);
        EXPECT_FALSE(request.SendAndReceive(L""));
        EXPECT_FALSE(request.Expired());
        EXPECT_EQ(Option(raw.request, WINHTTP_OPTION_CONNECT_TIMEOUT), 15000u);
        const auto response = Option(raw.request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT);
        ASSERT_TRUE(response);
        EXPECT_GT(*response, 55000u);
        EXPECT_LE(*response, 60000u);
    }
    ExpectClosed(raw);
}

TEST_F(BoundedWinHttpRequestTest, ADeadlineBetweenTwoStepsStartsNoFurtherStep) {
    WinHttpRequestHandles handles = OpenHandles(Servers().https, L"/body");
    ASSERT_TRUE(handles.request);
    const RawHandles raw = Raw(handles);
    {
        fakeTicks = 0;
        BoundedWinHttpRequest request(std::move(handles), Deadline(10000, &FakeTicks), 15000);
        ASSERT_TRUE(request.SendAndReceive(L"Connection: close"));
        fakeTicks = 10000;
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_FALSE(request.Read());
        EXPECT_TRUE(request.Expired());
        EXPECT_LT(::GetTickCount64() - start, 500u);
    }
    ExpectClosed(raw);
}

TEST_F(BoundedWinHttpRequestTest, ADeadlineInsideAStepEndsItWithinTheBound) {
    // The mute server takes the connection and never answers the TLS handshake.
    WinHttpRequestHandles handles = OpenHandles(Servers().mute, L"/body");
    ASSERT_TRUE(handles.request);
    const RawHandles raw = Raw(handles);
    const ULONGLONG start = ::GetTickCount64();
    {
        BoundedWinHttpRequest request(std::move(handles), Deadline(1000), 15000);
        EXPECT_FALSE(request.SendAndReceive(L"Connection: close"));
        EXPECT_TRUE(request.Expired());
    }
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, 950u);
    EXPECT_LT(took, 1500u);
    ExpectClosed(raw);
}

} // namespace
} // namespace vek::testing
