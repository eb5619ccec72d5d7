#include "BoundedWinHttpRequest.h"

#include <process.h>

#include <algorithm>

namespace vek {
namespace {

DWORD TimeoutValue(DWORD milliseconds) { return std::min<DWORD>(milliseconds, 0x7FFFFFFF); }

} // namespace

BoundedWinHttpRequest::BoundedWinHttpRequest(WinHttpRequestHandles handles, const Deadline& total,
                                             DWORD connectMs)
    : total_(total), connectMs_(connectMs), handles_(std::move(handles)),
      request_(handles_.request.get()), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (stop_) {
        watchdog_.reset(
            reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &Watch, this, 0, nullptr)));
    }
}

BoundedWinHttpRequest::~BoundedWinHttpRequest() {
    if (watchdog_) {
        ::SetEvent(stop_.get());
        ::WaitForSingleObject(watchdog_.get(), INFINITE);
    }
    CloseHandles();
}

unsigned __stdcall BoundedWinHttpRequest::Watch(void* self) {
    auto& bounded = *static_cast<BoundedWinHttpRequest*>(self);
    if (::WaitForSingleObject(bounded.stop_.get(), bounded.total_.Remaining()) == WAIT_TIMEOUT) {
        // Marked first, so that no new step starts on a handle being closed.
        bounded.expired_ = true;
        bounded.CloseHandles();
    }
    return 0;
}

// The request first, the session last.
void BoundedWinHttpRequest::CloseHandles() {
    handles_.request.reset();
    handles_.connection.reset();
    handles_.session.reset();
}

bool BoundedWinHttpRequest::BeginStep() const {
    const DWORD left = TimeoutValue(total_.Remaining());
    if (!watchdog_ || left == 0 || Expired()) {
        return false;
    }
    const int connect = static_cast<int>(std::min(TimeoutValue(connectMs_), left));
    const int rest = static_cast<int>(left);
    DWORD response = left;
    return ::WinHttpSetTimeouts(request_, connect, connect, rest, rest) &&
           ::WinHttpSetOption(request_, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response,
                              sizeof response);
}

} // namespace vek
